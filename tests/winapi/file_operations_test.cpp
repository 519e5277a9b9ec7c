// Deleting, renaming and copying files and folders by name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "file_helpers.h"
#include "testenv.h"

using file_test::exists;
using file_test::readText;
using file_test::writeText;

namespace {

class FileOperations : public ::testing::Test {
protected:
    std::string dir = lumora_test::scratchDir();
    std::string at(const char* name) const { return dir + name; }
};

TEST_F(FileOperations, DeleteReportsWhatIsMissingOrNotAFile) {
    ASSERT_TRUE(writeText(at("gone.txt"), "x"));
    EXPECT_TRUE(DeleteFileA(at("GONE.TXT").c_str()));
    EXPECT_FALSE(exists(at("gone.txt")));
    SetLastError(0xDEAD);
    EXPECT_FALSE(DeleteFileA(at("gone.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA(at("nodir\\gone.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ASSERT_TRUE(CreateDirectoryA(at("folder").c_str(), nullptr));
    EXPECT_FALSE(DeleteFileA(at("folder").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileOperations, MoveKeepsOrReplacesTheDestinationAsAsked) {
    ASSERT_TRUE(writeText(at("a.txt"), "A"));
    ASSERT_TRUE(writeText(at("b.txt"), "B"));
    SetLastError(0xDEAD);
    EXPECT_FALSE(MoveFileA(at("a.txt").c_str(), at("b.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(MoveFileA(at("a.txt").c_str(), at("B.TXT").c_str())) << "names compare without case";
    EXPECT_EQ(readText(at("b.txt")), "B");
    ASSERT_TRUE(MoveFileExA(at("a.txt").c_str(), at("b.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(readText(at("b.txt")), "A");
    EXPECT_FALSE(exists(at("a.txt")));

    EXPECT_FALSE(MoveFileA(at("a.txt").c_str(), at("c.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(MoveFileA(at("b.txt").c_str(), at("nodir\\c.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FileOperations, MoveToAnotherSpellingChangesTheLetterCase) {
    ASSERT_TRUE(writeText(at("update.ini"), "u"));
    ASSERT_TRUE(MoveFileA(at("update.ini").c_str(), at("Update.INI").c_str()));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(at("update.ini").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    // Wine keeps the old spelling; Windows renames.
    if (lumora_test::onLinux()) {
        EXPECT_STREQ(data.cFileName, "Update.INI");
    }
    EXPECT_EQ(lstrcmpiA(data.cFileName, "update.ini"), 0);
    EXPECT_EQ(readText(at("update.ini")), "u");
}

TEST_F(FileOperations, FoldersMoveWithTheirContent) {
    ASSERT_TRUE(CreateDirectoryA(at("skin1").c_str(), nullptr));
    ASSERT_TRUE(writeText(at("skin1\\page.htm"), "p"));
    ASSERT_TRUE(CreateDirectoryA(at("other").c_str(), nullptr));
    ASSERT_TRUE(MoveFileA(at("skin1").c_str(), at("skin").c_str()));
    EXPECT_EQ(readText(at("skin\\page.htm")), "p");
    SetLastError(0xDEAD);
    EXPECT_FALSE(MoveFileA(at("skin").c_str(), at("other").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(MoveFileExA(at("skin").c_str(), at("other").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(MoveFileA(at("skin").c_str(), at("skin\\inner").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(readText(at("skin\\page.htm")), "p");
}

TEST_F(FileOperations, CopyKeepsContentAndTimeAndRespectsFailIfExists) {
    std::string big(100000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(writeText(at("src.bin"), big));
    ASSERT_TRUE(CopyFileA(at("src.bin").c_str(), at("dst.bin").c_str(), TRUE));
    EXPECT_EQ(readText(at("dst.bin")), big);
    WIN32_FIND_DATAA source, copy;
    HANDLE find = FindFirstFileA(at("src.bin").c_str(), &source);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    find = FindFirstFileA(at("dst.bin").c_str(), &copy);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(copy.ftLastWriteTime.dwLowDateTime, source.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(copy.ftLastWriteTime.dwHighDateTime, source.ftLastWriteTime.dwHighDateTime);

    ASSERT_TRUE(writeText(at("small.txt"), "small"));
    SetLastError(0xDEAD);
    EXPECT_FALSE(CopyFileA(at("small.txt").c_str(), at("dst.bin").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(readText(at("dst.bin")).size(), big.size());
    EXPECT_TRUE(CopyFileA(at("small.txt").c_str(), at("dst.bin").c_str(), FALSE));
    EXPECT_EQ(readText(at("dst.bin")), "small");

    // Copying a file onto itself must not destroy it.
    EXPECT_FALSE(CopyFileA(at("small.txt").c_str(), at("SMALL.TXT").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(readText(at("small.txt")), "small");

    EXPECT_FALSE(CopyFileA(at("missing").c_str(), at("x").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileA(at("small.txt").c_str(), at("nodir\\x").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ASSERT_TRUE(CreateDirectoryA(at("folder").c_str(), nullptr));
    EXPECT_FALSE(CopyFileA(at("folder").c_str(), at("x").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(exists(at("x")));
}

}  // namespace
