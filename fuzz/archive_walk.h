// What the packed-archive fuzz targets share: walking an archive's entries with checks that every
// part lies inside it, the name under which the file system keeps an entry, and a listing of a
// folder tree for the containment checks.
#pragma once

#include "archive.h"
#include "cp1252.h"
#include "fuzz_check.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

using ArchiveEntries = std::vector<std::pair<std::string, std::string>>;

// The entries of an archive, checking that every part lies inside it; false when damaged.
inline bool walkArchive(const std::vector<BYTE>& bytes, ArchiveEntries& entries) {
    // A copy of exactly the archive's size, so that a read past it is a sanitizer finding.
    std::vector<BYTE> archive(bytes);
    BYTE* begin = archive.data();
    const DWORD size = static_cast<DWORD>(archive.size());
    DWORD position = kArchiveHeaderSize;
    for (;;) {
        const DWORD before = position;
        ArchiveEntry entry;
        const ArchiveRead read = readArchiveEntry(begin, size, position, entry);
        if (read == ArchiveRead::End) return true;
        if (read == ArchiveRead::Damaged) {
            FUZZ_CHECK(position == before);
            return false;
        }
        FUZZ_CHECK(position > before && position <= size);
        const BYTE* name = reinterpret_cast<const BYTE*>(entry.name);
        FUZZ_CHECK(name > begin + before && name < begin + size);
        FUZZ_CHECK(std::memchr(name, 0, static_cast<size_t>(begin + size - name)) != nullptr);
        FUZZ_CHECK(entry.data == begin + entry.dataOffset);
        FUZZ_CHECK(entry.dataOffset + entry.size == position);
        entries.emplace_back(entry.name, std::string(reinterpret_cast<const char*>(entry.data), entry.size));
    }
}

// The name under which the file system keeps an entry: "\" separators, letter case ignored, the
// last part's trailing dots and blanks dropped as Windows drops them.
inline std::string fileKey(std::string name) {
    for (char& c : name)
        if (c == '/') c = '\\';
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return winapi::cp1252Lower(name);
}

// Every file and folder below `root` except those below the `skip` folders.
inline std::set<std::string> listing(const std::filesystem::path& root, const std::set<std::filesystem::path>& skip) {
    std::set<std::string> names;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error); !error && it != std::filesystem::end(it);
         it.increment(error)) {
        if (skip.count(it->path())) {
            it.disable_recursion_pending();
            continue;
        }
        names.insert(it->path().string());
    }
    return names;
}
