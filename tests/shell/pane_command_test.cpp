// The command protocol of the skin's pages: which command a URL carries in each pane, and the
// parameters of the commands that take them.
#include <gtest/gtest.h>

#include "pane_command.h"

#include <string>

TEST(PaneCommand, OnlyTheTextAfterTheFirstMarkerIsTheCommand) {
    EXPECT_FALSE(paneCommandOf("file:///c:/lumora/defhtml/portal.htm").has_value());
    EXPECT_EQ(*paneCommandOf("file:///c:/skin/OLECMDID_BACK"), "BACK");
    EXPECT_EQ(*paneCommandOf("x/OLECMDID_HTTP:#h/OLECMDID_CLOSE"), "HTTP:#h/OLECMDID_CLOSE");
    EXPECT_EQ(*paneCommandOf("OLECMDID_"), "");
    EXPECT_FALSE(paneCommandOf("olecmdid_BACK").has_value());  // the marker's case counts
}

TEST(PaneCommand, TheFirstWordOfEachTableWinsWhereverItStands) {
    // BACK comes before HOME in the portal's table, wherever it stands in the text.
    EXPECT_EQ(portalCommandOf("HOME_BACK"), PortalCommand::Back);
    EXPECT_EQ(portalCommandOf("xxHOMExx"), PortalCommand::Home);
    EXPECT_EQ(portalCommandOf("GET_DLMAN"), PortalCommand::ShowDownloadManager);
    EXPECT_EQ(portalCommandOf("TEST2"), PortalCommand::Test2);
    EXPECT_EQ(portalCommandOf("back"), PortalCommand::Unknown);
    EXPECT_EQ(portalCommandOf("NOTHING_KNOWN"), PortalCommand::Unknown);
    // A page address naming a word runs that word: "HTTP:" carries "CLOSE" here.
    EXPECT_EQ(portalCommandOf("HTTP:#host/CLOSE.htm"), PortalCommand::Close);

    EXPECT_EQ(titleBarCommandOf("BACK"), TitleBarCommand::Unknown);  // the title bar has no BACK
    EXPECT_EQ(titleBarCommandOf("MAXIMIZE"), TitleBarCommand::Maximise);
    EXPECT_EQ(titleBarCommandOf("MIN"), TitleBarCommand::Minimise);
    EXPECT_EQ(titleBarCommandOf("TEST_MIN"), TitleBarCommand::Minimise);

    EXPECT_EQ(extraCommandOf("NEXT"), ExtraCommand::Next);
    EXPECT_EQ(extraCommandOf("MOVE:T=1V=20"), ExtraCommand::Move);
    EXPECT_EQ(extraCommandOf("HOME"), ExtraCommand::Unknown);
}

TEST(PaneCommand, StandardCommandsAreSearchedInNumericOrder) {
    EXPECT_EQ(portalCommandOf("SAVEAS"), PortalCommand::Standard);
    EXPECT_EQ(standardCommandOf("SAVEAS"), 3);         // SAVE
    EXPECT_EQ(standardCommandOf("PRINTPREVIEW"), 6);   // PRINT
    EXPECT_EQ(standardCommandOf("SELECTALL"), 17);
    EXPECT_EQ(standardCommandOf("DONTDOWNLOADCSS"), 47);
    EXPECT_EQ(standardCommandOf("ZOOM"), 19);
    EXPECT_EQ(standardCommandOf("nothing"), 0);
    EXPECT_STREQ(standardCommandName(22), "REFRESH");
    EXPECT_STREQ(standardCommandName(0), "");
    EXPECT_STREQ(standardCommandName(48), "");
    // The portal's own REFRESH and CLOSE come before the standard ones.
    EXPECT_EQ(portalCommandOf("REFRESH"), PortalCommand::Refresh);
    EXPECT_EQ(portalCommandOf("CLOSE"), PortalCommand::Close);
}

TEST(PaneCommand, NumbersAreFoundAnywhereAndMissingKeysGiveNothing) {
    const std::string text = "X2=-1Y1=40;X1=10";
    EXPECT_EQ(numberParameter(text, "X1="), 10);
    EXPECT_EQ(numberParameter(text, "Y1="), 40);
    EXPECT_EQ(numberParameter(text, "X2="), -1);
    EXPECT_FALSE(numberParameter(text, "Y2=").has_value());
    EXPECT_EQ(numberParameter("T=", "T="), 0);
    EXPECT_EQ(numberParameter("V=12px", "V="), 12);
    EXPECT_EQ(numberParameter("X1=99999999999999999999999", "X1="), kNumberParameterMax);
    EXPECT_EQ(numberParameter("X1=-99999999999999999999999", "X1="), -kNumberParameterMax);
    EXPECT_EQ(parameterText("HTTP:#host", "HTTP:"), "#host");
    EXPECT_EQ(parameterText("HTTP:", "HTTP:"), "");
    // A word that does not follow the marker directly reads from the wrong place.
    EXPECT_EQ(parameterText("xHTTP:#host", "HTTP:"), ":#host");
}

TEST(PaneCommand, HttpTargets) {
    const std::string skin = "c:\\lumora\\defhtml\\";
    HttpTarget t = httpTarget("#host/x.htm#a=1", skin);
    EXPECT_EQ(t.url, "http://host/x.htm?a=1");
    EXPECT_TRUE(t.rewritten);
    EXPECT_EQ(httpTarget("#h/a#b#c", skin).url, "http://h/a?b?c");
    t = httpTarget("%23host/x.htm#a", skin);
    EXPECT_EQ(t.url, "http://host/x.htm#a");
    EXPECT_FALSE(t.rewritten);
    t = httpTarget("", skin);
    EXPECT_EQ(t.url, "about:blank");
    EXPECT_TRUE(t.blank);
    EXPECT_EQ(httpTarget("hilfe.htm", skin).url, skin + "hilfe.htm");
    EXPECT_EQ(httpTarget("%2", skin).url, skin + "%2");
}

TEST(PaneCommand, AccountDataBetweenBraces) {
    AccountData a = accountDataOf(":number{+49 30 1234}user{kunde}pass{geheim}");
    EXPECT_EQ(a.number, "+49 30 1234");
    EXPECT_EQ(a.user, "kunde");
    EXPECT_EQ(a.password, "geheim");

    a = accountDataOf(":user{kunde pass{x}");  // the user's value runs to the first "}"
    EXPECT_EQ(a.user, "kunde pass{x");
    EXPECT_EQ(a.password, "x");
    a = accountDataOf(":number{123 user kunde");  // no closing brace, no braces at all
    EXPECT_EQ(a.number, "");
    EXPECT_EQ(a.user, "");
    a = accountDataOf(":pass}{x}");  // the value starts at the first "{" after the key
    EXPECT_EQ(a.password, "x");

    const std::string longValue(300, 'u');
    a = accountDataOf(":user{" + longValue + "}");
    EXPECT_EQ(a.user, std::string(kAccountValueMax, 'u'));
    EXPECT_EQ(accountDataOf(":user{" + std::string(255, 'v') + "}").user, std::string(255, 'v'));
}

TEST(PaneCommand, ExtraPagesAndTheirPlacement) {
    const std::string skin = "c:\\lumora\\defhtml\\";
    std::string placement;
    EXPECT_EQ(extraPage("T=1V=200:info.htm:X1=5Y2=-1", skin, placement), skin + "info.htm");
    EXPECT_EQ(placement, "X1=5Y2=-1");
    EXPECT_EQ(extraPage("T=2V=30::X1=1", skin, placement), "about:blank");
    EXPECT_EQ(placement, "X1=1");
    EXPECT_EQ(extraPage("T=0", skin, placement), "about:blank");
    EXPECT_EQ(placement, "");
    EXPECT_EQ(extraPage("T=4V=9:#host/news.htm", skin, placement), "http://host/news.htm");
    EXPECT_EQ(placement, "");

    EXPECT_EQ(extraDomainOf("c:\\lumora\\config\\dial.htm"), "c:\\lumora\\config\\");
    EXPECT_EQ(extraDomainOf("http://host/a/b.htm"), "http://host/a/b.htm");
}
