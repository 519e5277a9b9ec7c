// The user's special folders: the favorites folder exists and takes files, its item list names
// the same folder; a folder number the shell does not know gives FALSE.
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

    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, &list), S_OK);
    char fromList[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListA(list, fromList));
    EXPECT_STREQ(fromList, path);
    ILFree(list);

    char other[MAX_PATH] = "unchanged";
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, other, 0x7f, FALSE));
}
