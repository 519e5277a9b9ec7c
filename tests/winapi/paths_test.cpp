// Folders, the current folder, the forms of a path, the machine's folders and temporary names.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "file_helpers.h"
#include "testenv.h"

using file_test::exists;
using file_test::readText;
using file_test::writeText;

namespace {

class Paths : public ::testing::Test {
protected:
    std::string dir = lumora_test::scratchDir();
    char saved[MAX_PATH] = {};

    void SetUp() override { ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u); }
    void TearDown() override { SetCurrentDirectoryA(saved); }

    bool endsWith(const std::string& text, const std::string& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    }
    static bool separator(char c) { return c == '\\' || c == '/'; }
};

// Checks the "length or needed size" protocol of a function filling a buffer.
template <class Call>
void checkBufferProtocol(Call call, const char* what) {
    SCOPED_TRACE(what);
    const DWORD needed = call(nullptr, 0);
    ASSERT_GT(needed, 1u);
    char buffer[1024];
    ASSERT_LT(needed, sizeof buffer);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(call(buffer, needed - 1), needed) << "too small: the size with the NUL";
    EXPECT_EQ(buffer[0], '#') << "too small: the buffer stays untouched";
    EXPECT_EQ(call(buffer, needed), needed - 1) << "fits: the length without the NUL";
    EXPECT_EQ(std::strlen(buffer), needed - 1);
}

TEST_F(Paths, CreateAndRemoveFolders) {
    const std::string folder = dir + "Skins";
    ASSERT_TRUE(CreateDirectoryA((folder + "\\").c_str(), nullptr)) << "a trailing separator is fine";
    SetLastError(0xDEAD);
    EXPECT_FALSE(CreateDirectoryA((dir + "skins").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_TRUE(writeText(dir + "file.txt", "f"));
    EXPECT_FALSE(CreateDirectoryA((dir + "file.txt").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA((dir + "a\\b\\c").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(CreateDirectoryA("", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    ASSERT_TRUE(writeText(folder + "\\inner.htm", "i"));
    EXPECT_FALSE(RemoveDirectoryA(folder.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(RemoveDirectoryA((dir + "file.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(RemoveDirectoryA((dir + "missing").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(DeleteFileA((folder + "\\inner.htm").c_str()));
    EXPECT_TRUE(RemoveDirectoryA((dir + "SKINS").c_str()));
    EXPECT_FALSE(exists(folder));
}

TEST_F(Paths, CurrentFolderIsUsedForRelativeNamesAndCannotBeRemoved) {
    ASSERT_TRUE(CreateDirectoryA((dir + "work").c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA((dir + "WORK").c_str()));
    ASSERT_TRUE(writeText("relative.txt", "r"));
    EXPECT_EQ(readText(dir + "work\\relative.txt"), "r");
    checkBufferProtocol([](LPSTR b, DWORD n) { return GetCurrentDirectoryA(n, b); }, "GetCurrentDirectoryA");
    char current[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, current), 0u);
    // Windows keeps the spelling the caller gave, Linux the one on the disk.
    const std::string now = current;
    EXPECT_EQ(lstrcmpiA(now.substr(now.size() - 4).c_str(), "work"), 0) << current;

    SetLastError(0xDEAD);
    EXPECT_FALSE(RemoveDirectoryA((dir + "work").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(SetCurrentDirectoryA("relative.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(SetCurrentDirectoryA("missing"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetCurrentDirectoryA("missing\\deeper"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    EXPECT_TRUE(DeleteFileA("work\\relative.txt"));
    EXPECT_TRUE(RemoveDirectoryA("work"));
}

TEST_F(Paths, FullPathNamesAreWorkedOutOnTheText) {
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    char full[MAX_PATH];
    LPSTR filePart = nullptr;
    DWORD n = GetFullPathNameA("sub\\x\\..\\y.txt", MAX_PATH, full, &filePart);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, std::strlen(full));
    const std::string text = full;
    ASSERT_GT(text.size(), 6u);
    EXPECT_TRUE(endsWith(text, "y.txt") && separator(text[text.size() - 6]) &&
                endsWith(text.substr(0, text.size() - 6), "sub")) << text;
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "y.txt");
    // The result names the same place as the relative name.
    ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
    ASSERT_TRUE(writeText("sub\\y.txt", "y"));
    EXPECT_EQ(readText(full), "y");
    if (lumora_test::onLinux()) {
        EXPECT_EQ(full[0], '/') << "a host path";
    }

    n = GetFullPathNameA("sub\\", MAX_PATH, full, &filePart);
    ASSERT_GT(n, 0u);
    EXPECT_TRUE(separator(full[n - 1])) << full;
    EXPECT_EQ(filePart, nullptr);
    n = GetFullPathNameA("name.. ", MAX_PATH, full, &filePart);
    ASSERT_GT(n, 0u);
    EXPECT_STREQ(filePart, "name");
    checkBufferProtocol([](LPSTR b, DWORD size) { return GetFullPathNameA("sub\\y.txt", size, b, nullptr); },
                        "GetFullPathNameA");
}

TEST_F(Paths, LongAndShortNamesNameExistingFilesAsOnTheDisk) {
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    ASSERT_TRUE(CreateDirectoryA("Config", nullptr));
    ASSERT_TRUE(writeText("Config\\start.htm", "s"));
    char name[MAX_PATH];
    DWORD n = GetLongPathNameA("CONFIG\\START.HTM", name, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::string text = name;
    EXPECT_EQ(text.size(), n);
    EXPECT_TRUE(endsWith(text, "start.htm") && text.find("Config") == 0) << text;
    EXPECT_EQ(readText(text), "s");
    checkBufferProtocol([](LPSTR b, DWORD size) { return GetLongPathNameA("config\\start.htm", b, size); },
                        "GetLongPathNameA");
    n = GetShortPathNameA((dir + "config\\start.htm").c_str(), name, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(readText(name), "s");

    SetLastError(0xDEAD);
    EXPECT_EQ(GetLongPathNameA("config\\missing.htm", name, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetShortPathNameA("missing.htm", name, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Paths, TheMachinesFoldersExist) {
    checkBufferProtocol([](LPSTR b, DWORD n) { return GetWindowsDirectoryA(b, n); }, "GetWindowsDirectoryA");
    checkBufferProtocol([](LPSTR b, DWORD n) { return GetSystemDirectoryA(b, n); }, "GetSystemDirectoryA");
    checkBufferProtocol([](LPSTR b, DWORD n) { return GetTempPathA(n, b); }, "GetTempPathA");
    char windows[MAX_PATH], system[MAX_PATH], temp[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const DWORD tempLength = GetTempPathA(MAX_PATH, temp);
    ASSERT_GT(tempLength, 0u);
    EXPECT_TRUE(separator(temp[tempLength - 1])) << temp;
    for (const char* folder : {windows, system, temp})
        EXPECT_EQ(GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)) << folder;
    EXPECT_EQ(std::strncmp(system, windows, std::strlen(windows)), 0) << system;
    // Profile files without a folder live there, so it must take new files.
    const std::string key = lumora_test::uniqueKey("probe");
    const std::string probe = std::string(windows) + "\\" + key.substr(key.find_last_of('\\') + 1) + ".ini";
    EXPECT_TRUE(writeText(probe, "[s]\r\n"));
    EXPECT_TRUE(DeleteFileA(probe.c_str()));
}

TEST_F(Paths, TemporaryFileNames) {
    char first[MAX_PATH], second[MAX_PATH];
    const UINT a = GetTempFileNameA(dir.c_str(), "tnixyz", 0, first);
    const UINT b = GetTempFileNameA(dir.c_str(), "tnixyz", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_STRNE(first, second);
    // "<path><prefix of 3><hex>.tmp", created empty.
    const std::string name = first;
    EXPECT_EQ(name.compare(0, dir.size() + 3, dir + "tni"), 0) << name;
    EXPECT_EQ(lstrcmpiA(name.substr(name.size() - 4).c_str(), ".tmp"), 0) << name;
    EXPECT_TRUE(exists(name));
    EXPECT_EQ(readText(name), "");

    char named[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), "up", 0x12ABC, named), 0x2ABCu);
    EXPECT_EQ(lstrcmpiA(named, (dir + "up2abc.tmp").c_str()), 0) << named;
    EXPECT_FALSE(exists(named)) << "a given number creates nothing";

    SetLastError(0xDEAD);
    EXPECT_EQ(GetTempFileNameA((dir + "missing").c_str(), "tni", 0, named), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

}  // namespace
