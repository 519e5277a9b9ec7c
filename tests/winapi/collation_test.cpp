// Texts compared and sorted as a German user's Windows does (the same test runs against Wine's
// user32 and kernel32): umlauts beside their base letters, letter case ignored by lstrcmpiA and
// by a sorted combo box, which also keeps equal items in the order they came.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> sortedByCombo(const std::vector<const char*>& items) {
    // Never shown, as the browser center's own; a top-level one needs no parent.
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100, 30,
                                 nullptr, nullptr, nullptr, nullptr);
    std::vector<std::string> out;
    EXPECT_NE(combo, nullptr);
    if (!combo) return out;
    for (const char* item : items) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = {};
        EXPECT_LT(SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0), 64);
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(count), 0), CB_ERR);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    DestroyWindow(combo);
    return out;
}

}  // namespace

TEST(Collation, UmlautsSortBesideTheirBaseLetterAndCaseIsIgnored) {
    EXPECT_LT(lstrcmpiA("Afghanistan", "\xC4gypten"), 0);  // Ägypten
    EXPECT_LT(lstrcmpiA("\xC4gypten", "Albanien"), 0);
    EXPECT_LT(lstrcmpiA("\xD6sterreich", "Panama"), 0);      // Österreich
    EXPECT_EQ(lstrcmpiA("deutschland", "DEUTSCHLAND"), 0);
    EXPECT_NE(lstrcmpiA("Agypten", "\xC4gypten"), 0);
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "abc", -1, "ABC", -1), CSTR_EQUAL);
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "Zypern", -1, "\xC4gypten", -1),
              CSTR_GREATER_THAN);
    // A count stops the comparison before the end of the text.
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "Abcx", 3, "Abcy", 3), CSTR_EQUAL);
}

TEST(Collation, ASortedComboBoxOrdersItsItemsAsTheLocaleDoes) {
    const std::vector<std::string> sorted = sortedByCombo(
        {"Zypern\t357", "\xC4gypten\t20", "albanien\t355", "Afghanistan\t93",
         "\xD6sterreich\t43", "Oman\t968", "Deutschland\t49"});
    const std::vector<std::string> expected = {"Afghanistan\t93", "\xC4gypten\t20",
                                               "albanien\t355",   "Deutschland\t49",
                                               "Oman\t968",       "\xD6sterreich\t43",
                                               "Zypern\t357"};
    EXPECT_EQ(sorted, expected);
}
