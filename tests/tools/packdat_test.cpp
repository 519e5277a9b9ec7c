// tools/packdat: the archives the build packs must be exactly what the browser center and the
// updater unpack, and a failed run must leave no archive behind.
#include <gtest/gtest.h>

#include "run_program.h"
#include "testenv.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct PackedEntry {
    std::string name;
    std::string data;
};

std::uint32_t get32(const std::string& bytes, size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

// Splits an archive into its entries; fails the test on any byte that does not fit the format.
std::vector<PackedEntry> entriesOf(const std::string& archive) {
    std::vector<PackedEntry> entries;
    EXPECT_GE(archive.size(), 520u);
    EXPECT_EQ(archive.substr(0, 520), std::string(520, '\0'));
    size_t at = 520;
    while (at < archive.size()) {
        if (at + 4 > archive.size()) {
            ADD_FAILURE() << "name length cut off at " << at;
            break;
        }
        const std::uint32_t nameLength = get32(archive, at);
        if (nameLength == 0 || at + 4 + nameLength + 4 > archive.size()) {
            ADD_FAILURE() << "bad name length at " << at;
            break;
        }
        const std::string name = archive.substr(at + 4, nameLength);
        EXPECT_EQ(name.back(), '\0');
        const std::uint32_t size = get32(archive, at + 4 + nameLength);
        const size_t data = at + 8 + nameLength;
        if (data + size > archive.size()) {
            ADD_FAILURE() << "bad size at " << at;
            break;
        }
        entries.push_back({name.substr(0, nameLength - 1), archive.substr(data, size)});
        at = data + size;
    }
    return entries;
}

void writeFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

}  // namespace

TEST(Packdat, PacksEveryFileInNameOrderWithWindowsNames) {
    const fs::path dir = lumora_test::scratchDir();
    const fs::path folder = dir / "skin";
    writeFile(folder / "skin.ini", "[Skin]\r\n");
    writeFile(folder / "images" / "Grüße.gif", std::string("GIF\0\x01", 5));
    writeFile(folder / "empty.htm", "");
    const fs::path archive = dir / "skin.dat";

    const auto result = lumora_test::runProgram("packdat", {folder.string(), archive.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto entries = entriesOf(lumora_test::readWholeFile(archive.string()));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "empty.htm");
    EXPECT_EQ(entries[0].data, "");
    EXPECT_EQ(entries[1].name, "images\\Gr\xFC\xDF" "e.gif");  // Windows-1252, "\" between folders
    EXPECT_EQ(entries[1].data, std::string("GIF\0\x01", 5));
    EXPECT_EQ(entries[2].name, "skin.ini");
    EXPECT_EQ(entries[2].data, "[Skin]\r\n");
}

TEST(Packdat, FailuresLeaveNoArchive) {
    const fs::path dir = lumora_test::scratchDir();
    const fs::path archive = dir / "out.dat";

    auto result = lumora_test::runProgram("packdat", {(dir / "missing").string(), archive.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("is not a folder"), std::string::npos);
    EXPECT_FALSE(fs::exists(archive));

    // A file name without a Windows-1252 form cannot be packed; the old archive stays untouched.
    writeFile(dir / "in" / "\xE2\x82\xAC-ok.txt", "euro has a form");
    writeFile(dir / "in" / "\xE4\xB8\xAD.txt", "this one has none");
    writeFile(archive, "old archive");
    result = lumora_test::runProgram("packdat", {(dir / "in").string(), archive.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("no Windows-1252 form"), std::string::npos);
    EXPECT_EQ(lumora_test::readWholeFile(archive.string()), "old archive");
    EXPECT_FALSE(fs::exists(archive.string() + ".part"));

    result = lumora_test::runProgram("packdat", {dir.string()});
    EXPECT_EQ(result.exitCode, 2);
}
