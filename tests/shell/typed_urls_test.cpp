// The typed URLs of the location bar: read up to the first gap, at most 25, filtered, and the
// URL typed before a page loaded moved to the front.
#include "typed_urls.h"

#include "registry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kKey = "software\\Microsoft\\Internet Explorer\\TypedURLs";

void clearList() {
    for (int i = 1; i <= 30; ++i) regDeleteValue(kKey, ("url" + std::to_string(i)).c_str());
}

class TypedUrlsTest : public ::testing::Test {
protected:
    void SetUp() override { clearList(); }
    void TearDown() override { clearList(); }
};

TEST_F(TypedUrlsTest, ReadingStopsAtTheFirstGapAndAtTwentyFive) {
    regWriteString(kKey, "url1", "http://eins.de/");
    regWriteString(kKey, "url2", "http://zwei.de/");
    regWriteString(kKey, "url4", "http://vier.de/");
    TypedUrls list;
    list.load();
    ASSERT_EQ(list.urls().size(), 2u);

    for (int i = 1; i <= 30; ++i)
        regWriteString(kKey, ("url" + std::to_string(i)).c_str(),
                       ("http://seite" + std::to_string(i) + ".de/").c_str());
    list.load();
    ASSERT_EQ(list.urls().size(), 25u);
    EXPECT_EQ(list.urls().back(), "http://seite25.de/");
}

TEST_F(TypedUrlsTest, FilterKeepsTheOrderOfTheList) {
    regWriteString(kKey, "url1", "http://www.lumora.de/");
    regWriteString(kKey, "url2", "http://example.com/");
    regWriteString(kKey, "url3", "http://lumora.example/");
    TypedUrls list;
    list.load();
    std::vector<std::string> found = list.matching("lumora");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], "http://www.lumora.de/");
    EXPECT_EQ(found[1], "http://lumora.example/");
    EXPECT_EQ(list.matching("").size(), 3u);
}

TEST_F(TypedUrlsTest, TypedUrlMovesToTheFrontAndIsWrittenBack) {
    regWriteString(kKey, "url1", "http://a.de/");
    regWriteString(kKey, "url2", "http://b.de/");
    regWriteString(kKey, "url3", "http://c.de/");
    regWriteString(kKey, "url4", "http://alt.de/");
    TypedUrls list;
    list.load();
    list.save();  // unchanged list, nothing lost
    // A loaded page already in the list changes nothing; "res:" pages never do.
    EXPECT_FALSE(list.loaded("http://b.de/", "http://c.de/"));
    EXPECT_FALSE(list.loaded("res://ieframe.dll/fehler.htm", "http://c.de/"));
    EXPECT_TRUE(list.loaded("http://c.de/start.htm", "http://c.de/"));
    ASSERT_EQ(list.urls().size(), 4u);
    EXPECT_EQ(list.urls()[0], "http://c.de/");
    EXPECT_EQ(list.urls()[1], "http://a.de/");
    EXPECT_EQ(list.urls()[3], "http://alt.de/");
    list.save();
    EXPECT_STREQ(regReadString(kKey, "url1", ""), "http://c.de/");
    EXPECT_STREQ(regReadString(kKey, "url3", ""), "http://b.de/");
}

TEST_F(TypedUrlsTest, ListIsCutToTwentyFive) {
    for (int i = 1; i <= 25; ++i)
        regWriteString(kKey, ("url" + std::to_string(i)).c_str(),
                       ("http://s" + std::to_string(i) + ".de/").c_str());
    TypedUrls list;
    list.load();
    EXPECT_TRUE(list.loaded("http://neu.de/index.htm", "http://neu.de/"));
    ASSERT_EQ(list.urls().size(), 25u);
    EXPECT_EQ(list.urls().front(), "http://neu.de/");
    EXPECT_EQ(list.urls().back(), "http://s24.de/");
}

}  // namespace
