// Fuzzes the updater's unpacking of a downloaded archive (mode 1): whatever the archive holds,
// nothing changes outside the skin folder, no staging or side folder is left, a refused archive
// leaves the old skin folder exactly as it was, and an installed one leaves a folder whose every
// file is an entry of the archive with the entry's content.
#include "archive_walk.h"
#include "install.h"
#include "scratch_prefix.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

// The files below a folder by their names as fileKey spells them, with their content.
Files filesBelow(const fs::path& folder) {
    Files files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::end(it); it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        std::ifstream in(it->path(), std::ios::binary);
        // The host keeps names in UTF-8; the archive holds them in Windows-1252.
        const std::string name = winapi::utf8ToCp1252(fs::relative(it->path(), folder).string());
        files[fileKey(name)] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path prefix = useScratchPrefix();
    static const fs::path updates = prefix / "updates";
    static const fs::path skin = updates / "skin";
    static const Files oldSkin = {{"index.htm", "old index"}, {fileKey("pages/a.htm"), "old a"}};
    std::error_code error;
    fs::remove_all(updates, error);
    fs::create_directories(skin / "pages", error);
    std::ofstream(skin / "index.htm", std::ios::binary) << "old index";
    std::ofstream(skin / "pages" / "a.htm", std::ios::binary) << "old a";
    {
        std::ofstream file(updates / "skin.dat", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // The first call makes the prefix: its own files are listed from the second call on.
    static bool prefixMade = false;
    if (!prefixMade) {
        installArchive("C:\\updates\\none.dat");
        prefixMade = true;
    }
    // The registry's journal files come and go with its use (the updater reads its wait limit),
    // and a process that records opens enters itself under run/holders.
    static const std::set<fs::path> skipped = {skin, prefix / "registry.db-wal", prefix / "registry.db-shm",
                                               prefix / "run" / "holders"};
    const std::set<std::string> before = listing(prefix, skipped);

    ArchiveEntries entries;
    const bool whole = walkArchive(std::vector<BYTE>(data, data + size), entries);
    const bool installed = installArchive("C:\\updates\\skin.dat");
    FUZZ_CHECK(!installed || whole);
    FUZZ_CHECK(!fs::exists(updates / "skin1"));
    FUZZ_CHECK(!fs::exists(updates / "skin.old"));
    FUZZ_CHECK(listing(prefix, skipped) == before);
    const Files now = filesBelow(skin);
    if (!installed) {
        FUZZ_CHECK(now == oldSkin);
        return 0;
    }
    // Entries the file system cannot hold are skipped; what was written is the archive's.
    Files expected;
    for (const auto& [name, content] : entries) expected[fileKey(name)] = content;
    for (const auto& [name, content] : now) {
        const auto entry = expected.find(name);
        FUZZ_CHECK(entry != expected.end());
        FUZZ_CHECK(entry->second == content);
    }
    return 0;
}
