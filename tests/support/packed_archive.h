// The bytes of a packed archive, for the tests of both of its readers: the zero-filled header,
// then each entry as name length (with the terminating zero), name, data size and data.
#pragma once

#include "archive.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lumora_test {

inline std::string packedArchive(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string archive(kArchiveHeaderSize, '\0');
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) archive += static_cast<char>((v >> (8 * i)) & 0xff);
    };
    for (const auto& [name, content] : entries) {
        put32(static_cast<std::uint32_t>(name.size() + 1));
        archive += name;
        archive += '\0';
        put32(static_cast<std::uint32_t>(content.size()));
        archive += content;
    }
    return archive;
}

}  // namespace lumora_test
