// URL comparison: the forms the panes report (backslashes, %20, any case) against known pages.
#include <gtest/gtest.h>

#include <string>

#include "url.h"

TEST(UrlContains, MatchesAcrossSlashesBlanksAndCase) {
    EXPECT_TRUE(urlContains("C:\\Skins\\X%20Y\\A.htm", "c:/skins/x y/"));
    EXPECT_TRUE(urlContains("file:///C:/Lumora/Config/Dial.htm", "C:\\LUMORA\\config\\dial.htm"));
    EXPECT_TRUE(urlContains("x%20%20y", "x  y"));
    // Letters beyond ASCII fold as the system folds them (Windows-1252 Ä and ä).
    EXPECT_TRUE(urlContains("C:\\\xC4nderung\\a.htm", "/\xE4nderung/"));
}

TEST(UrlContains, DecodesBlanksOnlyInTheAddress) {
    EXPECT_FALSE(urlContains("c:/x y/a.htm", "x%20y"));
    EXPECT_FALSE(urlContains("c:/x%2520y", "x y"));
    EXPECT_FALSE(urlContains("c:/skins/defhtml/a.htm", "c:/skins/other"));
}

TEST(UrlContains, EmptyAndMissingTexts) {
    EXPECT_TRUE(urlContains("", ""));
    EXPECT_FALSE(urlContains("c:/a.htm", ""));
    EXPECT_FALSE(urlContains("", "a"));
    EXPECT_FALSE(urlContains(nullptr, "a"));
    EXPECT_FALSE(urlContains("a", nullptr));
    EXPECT_FALSE(urlContains(nullptr, nullptr));
}

TEST(UrlContains, TextsBeyondTheirBufferNeverMatch) {
    std::string longest(kUrlCompareMax, 'a');
    EXPECT_TRUE(urlContains(longest.c_str(), "aaa"));
    EXPECT_TRUE(urlContains(longest.c_str(), longest.c_str()));
    std::string tooLong = longest + "a";
    EXPECT_FALSE(urlContains(tooLong.c_str(), "aaa"));
    EXPECT_FALSE(urlContains(tooLong.c_str(), tooLong.c_str()));
}

TEST(ReplaceText, ReplacesEveryOccurrenceAndRefusesEndlessOnes) {
    std::string text = "a%20b%20%20c";
    EXPECT_TRUE(replaceText(text, "%20", " "));
    EXPECT_EQ(text, "a b  c");

    std::string grows = "ab";
    EXPECT_FALSE(replaceText(grows, "a", "aa"));
    EXPECT_EQ(grows, "ab");
    EXPECT_FALSE(replaceText(grows, "", "x"));
    EXPECT_EQ(grows, "ab");
}
