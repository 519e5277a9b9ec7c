// Writing a packed file archive from the files below a folder: a zero-filled header block of 520
// bytes, then one entry per file in name order, each a 32-bit little-endian name length (with the
// terminating zero), the path relative to the folder with "\" between folders in Windows-1252, a
// 32-bit little-endian size and the bytes. The archive is written beside its final name and
// renamed into place, so a failed run leaves no half-written archive.
#include "pack_folder.h"

#include "cp1252.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kHeaderSize = 520;

struct Entry {
    std::string name;  // Windows-1252, "\" between folders
    fs::path file;
};

void put32(std::ofstream& out, std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    out.write(bytes, 4);
}

bool fail(const std::string& message) {
    std::fprintf(stderr, "packdat: %s\n", message.c_str());
    return false;
}

bool collect(const fs::path& folder, std::vector<Entry>& entries) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::end(it);
         it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        std::string name;
        for (const fs::path& part : fs::relative(it->path(), folder, error)) {
            if (!name.empty()) name += '\\';
            name += part.string();
        }
        const std::string windowsName = winapi::utf8ToCp1252(name);
        if (winapi::cp1252ToUtf8(windowsName) != name)
            return fail("file name has no Windows-1252 form: " + it->path().string());
        entries.push_back({windowsName, it->path()});
    }
    if (error) return fail(folder.string() + ": " + error.message());
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return true;
}

bool write(const std::vector<Entry>& entries, const fs::path& archive) {
    const fs::path partial = archive.string() + ".part";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) return fail("cannot write " + partial.string());
    const std::string header(kHeaderSize, '\0');
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    std::vector<char> buffer(1 << 20);
    for (const Entry& entry : entries) {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(entry.file, error);
        if (error || size > UINT32_MAX || entry.name.size() + 1 > UINT32_MAX) {
            fs::remove(partial, error);
            return fail("cannot pack " + entry.file.string());
        }
        put32(out, static_cast<std::uint32_t>(entry.name.size() + 1));
        out.write(entry.name.c_str(), static_cast<std::streamsize>(entry.name.size() + 1));
        put32(out, static_cast<std::uint32_t>(size));
        std::ifstream in(entry.file, std::ios::binary);
        std::uintmax_t copied = 0;
        while (in && copied < size) {
            in.read(buffer.data(), static_cast<std::streamsize>(std::min<std::uintmax_t>(buffer.size(), size - copied)));
            out.write(buffer.data(), in.gcount());
            copied += static_cast<std::uintmax_t>(in.gcount());
        }
        if (copied != size) {
            fs::remove(partial, error);
            return fail("cannot read " + entry.file.string());
        }
    }
    out.close();
    std::error_code error;
    if (!out || (fs::rename(partial, archive, error), error)) {
        fs::remove(partial, error);
        return fail("cannot write " + archive.string());
    }
    return true;
}

}  // namespace

bool packFolder(const fs::path& folder, const fs::path& archive) {
    std::vector<Entry> entries;
    if (!fs::is_directory(folder)) return fail(folder.string() + " is not a folder");
    return collect(folder, entries) && write(entries, archive);
}
