// The last-error value and the small string functions.
#include <windows.h>

#include <gtest/gtest.h>

TEST(LastError, IsKeptPerThreadUntilChanged) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(Strings, CompareIgnoringCaseFoldsUmlauts) {
    EXPECT_EQ(lstrcmpiA("Verbindung", "VERBINDUNG"), 0);
    EXPECT_EQ(lstrcmpiA("\xdc" "ber", "\xfc" "BER"), 0);  // Über / üBER in Windows-1252
    EXPECT_LT(lstrcmpiA("abc", "abd"), 0);
    EXPECT_GT(lstrcmpiA("abd", "ABC"), 0);
    EXPECT_EQ(lstrlenA("dial.htm"), 8);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}
