// SHGetSpecialFolderPathA: the user's favorites folder is a folder that exists and takes files;
// a folder number the shell does not know gives FALSE.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

TEST(SpecialFolders, TheFavoritesFolderExistsAndTakesShortcuts) {
    char path[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_FAVORITES, TRUE));
    const DWORD attributes = GetFileAttributesA(path);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    const std::string file = std::string(path) + "\\special-folders-test.url";
    ASSERT_TRUE(WritePrivateProfileStringA("InternetShortcut", "URL", "http://a.example/",
                                           file.c_str()));
    char url[64] = {};
    GetPrivateProfileStringA("InternetShortcut", "URL", "", url, sizeof url, file.c_str());
    EXPECT_STREQ(url, "http://a.example/");
    EXPECT_TRUE(DeleteFileA(file.c_str()));

    char other[MAX_PATH] = "unchanged";
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, other, 0x7f, FALSE));
}
