// Fuzzes the packed archive: walking the entries must stay inside the archive's bytes, unpacking
// into a scratch folder must put nothing anywhere else, and an archive unpacked without error must
// come back the same when its folder is packed again with packdat's writer and read.
#include "archive.h"
#include "cp1252.h"
#include "fuzz_check.h"
#include "pack_folder.h"
#include "scratch_prefix.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kTarget = "C:\\scratch\\out\\";

// The entries of an archive, checking that every part lies inside it; false when damaged.
bool walk(const std::vector<BYTE>& bytes, std::vector<std::pair<std::string, std::string>>& entries) {
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
std::string fileKey(std::string name) {
    for (char& c : name)
        if (c == '/') c = '\\';
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return winapi::cp1252Lower(name);
}

// Every file and folder below `root` except those below `skip`.
std::set<std::string> listing(const fs::path& root, const fs::path& skip) {
    std::set<std::string> names;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it);
         it.increment(error)) {
        if (it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        names.insert(it->path().string());
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path prefix = useScratchPrefix();
    static const fs::path out = prefix / "scratch" / "out";
    static const fs::path repacked = prefix / "repacked.dat";
    std::error_code error;
    fs::remove_all(out, error);
    fs::create_directories(out, error);
    {
        std::ofstream file(prefix / "input.dat", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CPackedArchive archive("C:\\input.dat");
    // Opening makes the prefix on the first call, so its own files are in the first listing.
    FUZZ_CHECK(archive.openArchive());
    const std::set<std::string> before = listing(prefix, out);

    const std::vector<BYTE> bytes(data, data + size);
    std::vector<std::pair<std::string, std::string>> entries;
    const bool whole = walk(bytes, entries);

    const bool extracted = archive.extractAll(kTarget);
    FUZZ_CHECK(!extracted || whole);

    // Containment: whatever the archive held, nothing new appeared outside the target folder.
    FUZZ_CHECK(listing(prefix, out) == before);
    if (!extracted) return 0;

    // Round trip: the unpacked folder packs into the same files, the last entry of a name winning.
    std::map<std::string, std::string> expected;
    for (const auto& [name, content] : entries) expected[fileKey(name)] = content;
    if (!packFolder(out, repacked)) {
        // packdat refuses only names without a Windows-1252 form, which unpacking never makes.
        FUZZ_CHECK(!"packdat could not pack an unpacked archive");
    }
    std::ifstream in(repacked, std::ios::binary);
    const std::vector<BYTE> again{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::pair<std::string, std::string>> packed;
    FUZZ_CHECK(walk(again, packed));
    std::map<std::string, std::string> found;
    for (const auto& [name, content] : packed) found[fileKey(name)] = content;
    FUZZ_CHECK(found == expected);
    return 0;
}
