// What happens when the last window of a run closes: quit, ask about the connection, launch the
// standard browser, or end the signup with its outcome page.
#include "app_fixture.h"

#include "instance_counter.h"

namespace {

class LastWindow : public AppTest {
protected:
    // A browser run of a set-up customer (or, with mode "1", of one in signup).
    FakeWindow* browserRun(const char* mode = "0") {
        normalAccount(mode);
        installSkin();
        start();
        EXPECT_TRUE(init(""));
        return parts.lastWindow();
    }
    void close(LmrWindow* window) { app->onInstanceClosed(window); }
    FakeWindow* popup() { return static_cast<FakeWindow*>(app->popup()); }
};

}  // namespace

TEST_F(LastWindow, WithoutDialupTheRunJustEnds) {
    noDialup();
    FakeWindow* window = browserRun();
    parts.connected = entry;
    close(window);
    EXPECT_EQ(parts.quits, 1);
    EXPECT_EQ(app->popup(), nullptr);
}

TEST_F(LastWindow, WhileOtherWindowsOrThePopupAreOpenNothingEnds) {
    FakeWindow* first = browserRun();
    LmrWindow* second = app->addInstance("defhtml");
    ASSERT_NE(second, nullptr);
    close(first);
    app->showPopup("aufbauen.htm");
    close(second);
    EXPECT_EQ(parts.quits, 0);
    close(popup());
    EXPECT_EQ(parts.quits, 1);
}

TEST_F(LastWindow, TheDisconnectQuestionEndsWithItsPopup) {
    normalAccount();
    installSkin();
    parts.connected = entry;
    start();
    ASSERT_TRUE(init("-disconnect"));
    close(popup());
    EXPECT_EQ(parts.quits, 1);
    EXPECT_NE(trace().find("(m_IgnoreConnect == true) - terminating application\n"),
              std::string::npos);
}

TEST_F(LastWindow, NormalRunAsksBeforeLeavingTheProviderConnectionOpen) {
    FakeWindow* window = browserRun();
    parts.connected = entry;
    close(window);
    EXPECT_EQ(parts.quits, 0);
    EXPECT_EQ(popupPage(), inst + "config\\QClose.htm");
    EXPECT_NE(trace().find("Current instance counter: 1\n"), std::string::npos);
    // Closing the question itself ends the run.
    close(popup());
    EXPECT_EQ(parts.quits, 1);
    EXPECT_NE(trace().find("posting Quit Message\n"), std::string::npos);
}

TEST_F(LastWindow, ConnectionsOfOtherEntriesAreLeftAlone) {
    FakeWindow* window = browserRun();
    parts.connected = "Andere Verbindung";
    close(window);
    EXPECT_EQ(parts.quits, 1);
    EXPECT_EQ(app->popup(), nullptr);

    // Two connections run together still name the provider's entry.
    window = browserRun();
    parts.connected = "Andere Verbindung" + entry;
    close(window);
    EXPECT_EQ(popupPage(), inst + "config\\QClose.htm");
}

TEST_F(LastWindow, OnlyTheOnlyInstanceAsks) {
    FakeWindow* window = browserRun();
    InstanceCounter other(name);
    other.attach();
    parts.connected = entry;
    close(window);
    EXPECT_EQ(parts.quits, 1);
    EXPECT_EQ(app->popup(), nullptr);
    EXPECT_NE(trace().find("Current instance counter: 2\n"), std::string::npos);
}

TEST_F(LastWindow, WithoutTheSkinFilesTheStandardBrowserTakesOver) {
    FakeWindow* window = browserRun();
    std::filesystem::remove_all(dir + "defhtml");
    regWriteString(key.c_str(), "StartUrl", "http://start.example.net/");
    parts.connected = entry;
    parts.browserOpenPolls = 3;
    close(window);
    EXPECT_EQ(parts.launched, std::vector<std::string>{"http://start.example.net/"});
    EXPECT_EQ(parts.browserOpenPolls, 0);  // waited until its window closed
    EXPECT_EQ(popupPage(), inst + "config\\QClose.htm");

    // When the connection ended with the browser, there is nothing to ask.
    window = browserRun();
    std::filesystem::remove_all(dir + "defhtml");
    parts.launched.clear();
    parts.connected = entry;
    parts.browserOpenPolls = 2;
    parts.browserClosesConnection = true;
    close(window);
    EXPECT_EQ(parts.launched.size(), 1u);
    EXPECT_EQ(parts.quits, 1);
}

TEST_F(LastWindow, SignupWithoutChangeEndsOrReportsTheError) {
    FakeWindow* window = browserRun("1");
    EXPECT_EQ(app->getStoredStartupMode(), "1");
    close(window);
    EXPECT_EQ(parts.quits, 1);
    std::string text = trace();
    EXPECT_NE(text.find("  getStoredStartupMode() returns: 1\n"), std::string::npos);
    EXPECT_NE(text.find("  readStartupMode()      returns: 1\n"), std::string::npos);

    window = browserRun("1");
    parts.connected = entry;
    close(window);
    EXPECT_EQ(parts.toggles, 1);  // the signup connection is ended
    EXPECT_EQ(popupPage(), inst + "config\\SignupError.htm");
}

TEST_F(LastWindow, CompletedSignupClosesLikeANormalRun) {
    FakeWindow* window = browserRun("1");
    regWriteString(key.c_str(), "StartupMode", "0");  // the signup recorded the account
    parts.connected = entry;
    close(window);
    EXPECT_EQ(parts.toggles, 0);
    EXPECT_EQ(popupPage(), inst + "config\\QClose.htm");
}

TEST_F(LastWindow, SignupTerminationReportsTheOutcome) {
    browserRun("1");
    regWriteString(key.c_str(), "StartupMode", "0");
    app->handleSignupModeTermination();
    EXPECT_EQ(popupPage(), inst + "config\\SignupSuccess.htm");
    EXPECT_EQ(parts.quits, 0);

    browserRun("1");
    regWriteString(key.c_str(), "StartupMode", "3");
    app->handleSignupModeTermination();
    EXPECT_EQ(app->popup(), nullptr);
    EXPECT_EQ(parts.quits, 1);
}

TEST_F(LastWindow, ChangedModeOtherThanNormalTerminates) {
    FakeWindow* window = browserRun("0");
    regWriteString(key.c_str(), "StartupMode", "3");
    close(window);
    EXPECT_EQ(parts.quits, 1);
    EXPECT_EQ(app->popup(), nullptr);
    EXPECT_NE(trace().find("Terminating application\n"), std::string::npos);
}

TEST_F(LastWindow, DialerReportsTheOutcomeLaunchesTheBrowserAndAsksOnce) {
    normalAccount();
    installSkin();
    regWriteString(key.c_str(), "StartUrl", "http://start.example.net/");
    start();
    ASSERT_TRUE(init("-dialer"));
    parts.connected = entry;
    close(popup());
    EXPECT_EQ(autoDialConnected(), "1");
    EXPECT_EQ(parts.launched, std::vector<std::string>{"http://start.example.net/"});
    EXPECT_EQ(parts.quits, 0);
    EXPECT_EQ(popupPage(), inst + "config\\QClose.htm");

    close(popup());
    EXPECT_EQ(parts.quits, 1);
    EXPECT_EQ(parts.launched.size(), 1u);
    EXPECT_NE(trace().find("user already informed\n"), std::string::npos);
}

TEST_F(LastWindow, DialerWithoutConnectionReportsItAndEnds) {
    normalAccount();
    installSkin();
    start();
    ASSERT_TRUE(init("-dialer"));
    close(popup());
    EXPECT_EQ(autoDialConnected(), "0");
    EXPECT_TRUE(parts.launched.empty());
    EXPECT_EQ(parts.quits, 1);
    EXPECT_NE(trace().find("*not* launching standard browser... No Connection yet\n"),
              std::string::npos);
}
