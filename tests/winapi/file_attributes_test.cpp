// File attributes, and the read-only attribute as every function that changes a file honours it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "file_helpers.h"
#include "testenv.h"

using file_test::attributesBesidesArchive;
using file_test::readText;
using file_test::writeText;

namespace {

class Attributes : public ::testing::Test {
protected:
    std::string dir = lumora_test::scratchDir();
    std::string at(const char* name) const { return dir + name; }

    DWORD openError(const std::string& path, DWORD access, DWORD disposition, DWORD flags = 0) {
        SetLastError(0xDEAD);
        HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  disposition, flags, nullptr);
        if (file == INVALID_HANDLE_VALUE) return GetLastError();
        CloseHandle(file);
        return 0;
    }
};

TEST_F(Attributes, AreReportedAndReplaced) {
    const std::string path = at("a.txt");
    ASSERT_TRUE(writeText(path, "x"));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(CreateDirectoryA(at("sub").c_str(), nullptr));
    EXPECT_EQ(GetFileAttributesA(at("sub").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(attributesBesidesArchive(path),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(data.dwFileAttributes, GetFileAttributesA(path.c_str()));

    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY), 0u);
    // Windows reports exactly NORMAL now; Wine keeps reporting ARCHIVE on every file.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(GetFileAttributesA(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    }
    // The directory flag is not something a caller sets.
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    SetLastError(0xDEAD);
    EXPECT_EQ(GetFileAttributesA(at("missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA(at("nodir\\x").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA(""), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(SetFileAttributesA(at("missing").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Attributes, ReadOnlyFilesRefuseChangesButNotReadingOrRenaming) {
    const std::string path = at("ro.txt");
    ASSERT_TRUE(writeText(path, "keep"));
    ASSERT_TRUE(writeText(at("other.txt"), "other"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));

    SetLastError(0xDEAD);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(openError(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(openError(path, GENERIC_READ, OPEN_EXISTING), 0u);
    EXPECT_EQ(openError(path, GENERIC_READ, OPEN_ALWAYS), 0u);
    // Wine running as root lets these through (it leaves the check to the host's permissions,
    // which root ignores); Windows refuses every one of them.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(openError(path, GENERIC_WRITE, OPEN_EXISTING), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(openError(path, GENERIC_READ, CREATE_ALWAYS), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(openError(path, GENERIC_WRITE, TRUNCATE_EXISTING), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_FALSE(CopyFileA(at("other.txt").c_str(), path.c_str(), FALSE));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_FALSE(MoveFileExA(at("other.txt").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(readText(path), "keep");

    // Renaming does not change the file, so it is allowed.
    ASSERT_TRUE(MoveFileA(path.c_str(), at("renamed.txt").c_str()));
    EXPECT_EQ(attributesBesidesArchive(at("renamed.txt")), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(at("renamed.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(writeText(at("renamed.txt"), "changed"));
    EXPECT_TRUE(DeleteFileA(at("renamed.txt").c_str()));
}

TEST_F(Attributes, CreationAppliesTheRequestedAttributes) {
    // A new read-only file is still writable through the handle that created it.
    const std::string path = at("new-ro.txt");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &n, nullptr));
    CloseHandle(file);
    EXPECT_EQ(attributesBesidesArchive(path), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(readText(path), "abc");

    // A copy carries the source's attributes, read-only included.
    ASSERT_TRUE(CopyFileA(path.c_str(), at("copy.txt").c_str(), TRUE));
    EXPECT_EQ(attributesBesidesArchive(at("copy.txt")), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));

    // Overwriting a hidden file has to ask for a hidden file again; Wine does not check this.
    const std::string hidden = at("hidden.txt");
    ASSERT_TRUE(writeText(hidden, "h"));
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    if (lumora_test::onLinux()) {
        EXPECT_EQ(openError(hidden, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL),
                  static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(openError(hidden, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_EQ(attributesBesidesArchive(hidden), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
}

}  // namespace
