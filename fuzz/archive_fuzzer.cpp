// Fuzzes the packed archive: walking the entries must stay inside the archive's bytes, unpacking
// into a scratch folder must put nothing anywhere else, and an archive unpacked without error must
// come back the same when its folder is packed again with packdat's writer and read.
#include "archive_walk.h"
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
    const std::set<std::string> before = listing(prefix, {out});

    const std::vector<BYTE> bytes(data, data + size);
    ArchiveEntries entries;
    const bool whole = walkArchive(bytes, entries);

    const bool extracted = archive.extractAll(kTarget);
    FUZZ_CHECK(!extracted || whole);

    // Containment: whatever the archive held, nothing new appeared outside the target folder.
    FUZZ_CHECK(listing(prefix, {out}) == before);
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
    ArchiveEntries packed;
    FUZZ_CHECK(walkArchive(again, packed));
    std::map<std::string, std::string> found;
    for (const auto& [name, content] : packed) found[fileKey(name)] = content;
    FUZZ_CHECK(found == expected);
    return 0;
}
