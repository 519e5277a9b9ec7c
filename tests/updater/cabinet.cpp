// The cabinet format as far as an uncompressed cabinet needs it: the header, one folder, the
// file entries and data blocks of at most 32 KiB without checksums.
#include "cabinet.h"

#include <cstdint>

namespace {

void put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xffff));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

constexpr std::uint32_t kBlock = 32768;
constexpr std::uint16_t kDate = (20 << 9) | (1 << 5) | 1;  // 2000-01-01

}  // namespace

std::string makeCabinet(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string stream, entries;
    for (const auto& [name, content] : files) {
        put32(entries, static_cast<std::uint32_t>(content.size()));
        put32(entries, static_cast<std::uint32_t>(stream.size()));
        put16(entries, 0);      // folder
        put16(entries, kDate);
        put16(entries, 0);      // time
        put16(entries, 0x20);   // archive attribute
        entries += name;
        entries += '\0';
        stream += content;
    }
    std::string blocks;
    std::uint16_t blockCount = 0;
    for (std::size_t at = 0; at < stream.size() || blockCount == 0; at += kBlock) {
        const std::string data = stream.substr(at, kBlock);
        put32(blocks, 0);  // no checksum
        put16(blocks, static_cast<std::uint16_t>(data.size()));
        put16(blocks, static_cast<std::uint16_t>(data.size()));
        blocks += data;
        ++blockCount;
        if (stream.empty()) break;
    }
    const std::uint32_t headerSize = 36, folderSize = 8;
    const std::uint32_t filesOffset = headerSize + folderSize;
    const std::uint32_t dataOffset = filesOffset + static_cast<std::uint32_t>(entries.size());
    std::string cabinet = "MSCF";
    put32(cabinet, 0);
    put32(cabinet, dataOffset + static_cast<std::uint32_t>(blocks.size()));
    put32(cabinet, 0);
    put32(cabinet, filesOffset);
    put32(cabinet, 0);
    cabinet += static_cast<char>(3);  // version 1.3
    cabinet += static_cast<char>(1);
    put16(cabinet, 1);  // folders
    put16(cabinet, static_cast<std::uint16_t>(files.size()));
    put16(cabinet, 0);  // flags
    put16(cabinet, 0);  // set
    put16(cabinet, 0);  // index in the set
    put32(cabinet, dataOffset);
    put16(cabinet, blockCount);
    put16(cabinet, 0);  // stored
    return cabinet + entries + blocks;
}
