// Searching folders with FindFirstFileA / FindNextFileA and Windows wildcard masks.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "file_helpers.h"
#include "testenv.h"

using file_test::writeText;

namespace {

class Find : public ::testing::Test {
protected:
    std::string dir = lumora_test::scratchDir();

    void SetUp() override {
        for (const char* name : {"a", "abc", "ab.txt", "a.b.txt", "file", "file.txt", "x.tx", "Zed"})
            ASSERT_TRUE(writeText(dir + name, name));
        ASSERT_TRUE(CreateDirectoryA((dir + "sub").c_str(), nullptr));
    }

    // The names a search lists, in its order; "error N" when it finds nothing.
    std::vector<std::string> list(const std::string& pattern) {
        WIN32_FIND_DATAA data;
        SetLastError(0xDEAD);
        HANDLE find = FindFirstFileA(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return {"error " + std::to_string(GetLastError())};
        std::vector<std::string> names;
        do names.push_back(data.cFileName);
        while (FindNextFileA(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(find));
        return names;
    }
    std::vector<std::string> sorted(const std::string& pattern) {
        auto names = list(dir + pattern);
        std::sort(names.begin(), names.end());
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(Find, StarAndStarDotStarListEverythingInNameOrder) {
    // "." and ".." first, then ordered by the names in upper case, as NTFS lists them.
    ASSERT_TRUE(writeText(dir + "_u", "_"));
    const Names all = list(dir + "*");
    EXPECT_EQ(all, (Names{".", "..", "a", "a.b.txt", "ab.txt", "abc", "file", "file.txt", "sub", "x.tx", "Zed", "_u"}));
    EXPECT_EQ(list(dir + "*.*"), all);
}

TEST_F(Find, MasksFollowTheWindowsRules) {
    EXPECT_EQ(sorted("*.txt"), (Names{"a.b.txt", "ab.txt", "file.txt"}));
    EXPECT_EQ(sorted("A*.TXT"), (Names{"a.b.txt", "ab.txt"}));
    EXPECT_EQ(sorted("file.*"), (Names{"file", "file.txt"}));
    EXPECT_EQ(sorted("*.t?t"), (Names{"a.b.txt", "ab.txt", "file.txt"}));
    EXPECT_EQ(sorted("ab?"), (Names{"abc"}));
    EXPECT_EQ(sorted("*B*"), (Names{"a.b.txt", "ab.txt", "abc", "sub"}));
    EXPECT_EQ(sorted("z*"), (Names{"Zed"}));
    // Windows NT lets '?' match nothing at the end of a name or before its dot ("TEM?????.???"
    // finds "TEMP.TXT"); Wine matches exactly one character.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(sorted("a?"), (Names{"a"}));
        EXPECT_EQ(sorted("a??"), (Names{"a", "abc"}));
        EXPECT_EQ(sorted("???"), (Names{"Zed", "a", "abc", "sub"}));
    }
}

TEST_F(Find, EntriesDescribeFilesAndFolders) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "SUB").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "sub") << "the name as it is on the disk";
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(FindNextFileA(find, &data));
    FindClose(find);

    find = FindFirstFileA((dir + "a.b.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(data.nFileSizeLow, 7u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_FALSE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);

    // An empty folder holds "." and ".." (the updater's test whether a folder exists).
    EXPECT_EQ(list(dir + "sub\\*.*"), (Names{".", ".."}));
}

TEST_F(Find, FailuresSayWhatIsMissing) {
    EXPECT_EQ(list(dir + "nothing*"), Names{"error 2"});
    EXPECT_EQ(list(dir + "missing\\*"), Names{"error 3"});
    EXPECT_EQ(list(""), Names{"error 3"});
    EXPECT_EQ(list(dir + "sub\\"), Names{"error 2"});
    EXPECT_EQ(list(dir + std::string(300, 'a') + "*"), Names{"error 206"});
    WIN32_FIND_DATAA data;
    SetLastError(0xDEAD);
    EXPECT_FALSE(FindNextFileA(nullptr, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Find, EntriesCanBeDeletedWhileTheSearchGoesOn) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        const std::string name = data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != "..") {
                EXPECT_TRUE(RemoveDirectoryA((dir + name).c_str())) << name;
            }
        } else {
            EXPECT_TRUE(DeleteFileA((dir + name).c_str())) << name;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    EXPECT_EQ(list(dir + "*"), (Names{".", ".."}));
}

TEST_F(Find, NamesAreWindows1252) {
    const std::string name = "Gr\xfc\xdf" "e.txt";  // Grüße.txt
    ASSERT_TRUE(writeText(dir + name, "g"));
    EXPECT_EQ(sorted("gr*"), (Names{name}));
    EXPECT_EQ(sorted("GR\xdc\xdf" "E.TXT"), (Names{name})) << "accented letters compare without case";
#ifndef _WIN32
    // On the disk the name is UTF-8.
    EXPECT_TRUE(std::filesystem::exists(dir + "Gr\xc3\xbc\xc3\x9f" "e.txt"));
#endif
}

}  // namespace
