// File and folder routines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files.h"
#include "testenv.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path) { std::ofstream(path) << "x"; }

}  // namespace

TEST(FileExists, FindsFilesFoldersAndWildcards) {
    std::string dir = lumora_test::scratchDir();
    writeFile(fs::path(dir) / "update.ini");
    fs::create_directory(fs::path(dir) / "config");

    EXPECT_TRUE(fileExists((dir + "update.ini").c_str()));
    EXPECT_TRUE(fileExists((dir + "UPDATE.INI").c_str()));
    EXPECT_TRUE(fileExists((dir + "config").c_str()));
    EXPECT_TRUE(fileExists((dir + "*.ini").c_str()));
    EXPECT_FALSE(fileExists((dir + "*.dat").c_str()));
    EXPECT_FALSE(fileExists((dir + "_Ardial32.dll").c_str()));
    EXPECT_FALSE(fileExists(""));
    EXPECT_FALSE(fileExists(nullptr));
}

TEST(CreateDirectoryPath, CreatesMissingParentsAndReportsTheLastAttempt) {
    std::string dir = lumora_test::scratchDir();
    std::string deep = dir + "a\\b\\c";
    EXPECT_TRUE(createDirectoryPath(deep.c_str()));
    EXPECT_TRUE(fs::is_directory(fs::path(dir) / "a" / "b" / "c"));
    // A folder that is there already cannot be created again.
    EXPECT_FALSE(createDirectoryPath(deep.c_str()));
    EXPECT_FALSE(createDirectoryPath(""));
}

TEST(DeleteDirectoryTree, RemovesFilesFoldersAndReadOnlyFiles) {
    for (const char* ending : {"", "\\"}) {
        std::string dir = lumora_test::scratchDir();
        fs::path root = fs::path(dir) / "config";
        fs::create_directories(root / "img" / "deeper");
        writeFile(root / "dial.htm");
        writeFile(root / "README");  // no extension: still matched by *.*
        writeFile(root / "img" / "connect.gif");
        writeFile(root / "img" / "deeper" / "x.gif");
        fs::path locked = root / "img" / "locked.htm";
        writeFile(locked);
        fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write |
                                    fs::perms::others_write,
                        fs::perm_options::remove);

        EXPECT_TRUE(deleteDirectoryTree((dir + "config" + ending).c_str())) << ending;
        EXPECT_FALSE(fs::exists(root)) << ending;
        EXPECT_TRUE(fs::exists(dir)) << ending;
    }
}
