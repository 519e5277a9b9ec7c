// Connections coming up and going down, and the application's windows and popup.
#include "app_fixture.h"

namespace {

class Events : public AppTest {
protected:
    void browserRun(const char* mode = "0") {
        normalAccount(mode);
        installSkin();
        start();
        ASSERT_TRUE(init(""));
    }
    FakeWindow* popup() { return static_cast<FakeWindow*>(app->popup()); }
};

const std::vector<std::string> updateList(size_t times) {
    return std::vector<std::string>(times, "update.ini");
}

}  // namespace

TEST_F(Events, ProviderConnectionClosesThePopupAndStartsUpdates) {
    browserRun();
    ASSERT_NE(app->addInstance("defhtml"), nullptr);
    app->showPopup("aufbauen.htm");
    FakeWindow* shownPopup = popup();
    parts.connected = entry;

    app->OnConnected();
    EXPECT_TRUE(app->isConnected());
    EXPECT_EQ(shownPopup->closeRequests, 1);
    // Twice for the connection, and once per window at the first connection of the first
    // instance.
    EXPECT_EQ(parts.updateRequests, updateList(4));
    EXPECT_EQ(parts.window(0)->timers, std::vector<UINT_PTR>{1});
    EXPECT_EQ(parts.window(1)->timers, std::vector<UINT_PTR>{1});
    EXPECT_TRUE(shownPopup->timers.empty());
    EXPECT_STREQ(regReadString(("RemoteAccess\\Profile\\" + entry).c_str(), "User", "-"), "");

    app->OnConnected();
    EXPECT_EQ(parts.updateRequests, updateList(6));
}

TEST_F(Events, ConnectionsOfOtherEntriesAreOnlyNoted) {
    browserRun();
    app->showPopup("dial.htm");
    parts.connected = "Andere Verbindung";
    app->OnConnected();
    EXPECT_TRUE(app->isConnected());
    EXPECT_EQ(popup()->closeRequests, 0);
    EXPECT_TRUE(parts.updateRequests.empty());
    EXPECT_NE(trace().find("externally connected...\n"), std::string::npos);
}

TEST_F(Events, SignupConnectionOpensTheStartPageFullScreenOnce) {
    browserRun("1");
    app->showPopup("aufbauen.htm");
    FakeWindow* shownPopup = popup();
    size_t before = parts.windows.size();
    parts.connected = entry;

    app->OnConnected();
    ASSERT_EQ(parts.windows.size(), before + 1);
    FakeWindow* signup = parts.lastWindow();
    std::string startPage = inst + "./config/start.htm";
    EXPECT_EQ(parts.patched, std::vector<std::string>{startPage});
    EXPECT_EQ(signup->browserUrls, std::vector<std::string>{startPage});
    EXPECT_FALSE(signup->withPortal);
    EXPECT_EQ(signup->position.right, 1280);
    EXPECT_EQ(signup->position.bottom, 1000);
    EXPECT_EQ(app->appLayout().m_TitleBarUrl, inst + "config\\Titlebar.htm");
    EXPECT_EQ(shownPopup->closeRequests, 1);
    EXPECT_TRUE(parts.updateRequests.empty());

    app->OnConnected();
    EXPECT_EQ(parts.windows.size(), before + 1);
    EXPECT_EQ(parts.patched.size(), 1u);
}

TEST_F(Events, TheDisconnectQuestionIgnoresConnections) {
    normalAccount();
    installSkin();
    parts.connected = entry;
    start();
    ASSERT_TRUE(init("-disconnect"));
    app->OnConnected();
    EXPECT_EQ(popup()->closeRequests, 0);
    EXPECT_TRUE(parts.updateRequests.empty());
}

TEST_F(Events, LostConnectionRestoresTheOfflinePortalExceptInSignup) {
    browserRun();
    app->showPopup("aufbauen.htm");
    parts.connected = entry;
    app->OnConnected();
    parts.connected.clear();
    app->OnDisconnected();
    EXPECT_FALSE(app->isConnected());
    EXPECT_EQ(parts.window(0)->timers, (std::vector<UINT_PTR>{1, 2}));

    browserRun("1");
    FakeWindow* window = parts.lastWindow();
    app->showPopup("aufbauen.htm");
    app->OnDisconnected();
    EXPECT_TRUE(window->timers.empty());
    EXPECT_EQ(popup()->closeRequests, 0);
}

TEST_F(Events, RefreshedSkinReachesTheWindowsOfThatSkinOnly) {
    browserRun();
    app->addInstance("blau");
    SkinLayout fresh;
    fresh.m_SkinName = "defhtml";
    fresh.m_PortalOnlineUrl = "neu.htm";
    app->refreshSkin(fresh);
    EXPECT_EQ(parts.refreshed.m_PortalOnlineUrl, "neu.htm");
    EXPECT_EQ(parts.window(0)->layout.m_PortalOnlineUrl, "neu.htm");
    EXPECT_EQ(parts.window(1)->layout.m_SkinName, "blau");
    EXPECT_NE(parts.window(1)->layout.m_PortalOnlineUrl, "neu.htm");
}

TEST_F(Events, AHundredWindowsAtMost) {
    browserRun();
    for (int i = 1; i < CLmrApp::kMaxWindows; ++i) ASSERT_NE(app->addInstance("defhtml"), nullptr);
    EXPECT_EQ(app->addInstance("defhtml"), nullptr);
    EXPECT_EQ(parts.window(99)->number, 99);
    EXPECT_NE(trace().find("all 100 windows in use"), std::string::npos);

    // The popup takes a number but no slot; a freed slot is used again.
    app->showPopup("dial.htm");
    EXPECT_EQ(popup()->number, 100);
    app->onInstanceClosed(parts.window(5));
    LmrWindow* again = app->addInstance("defhtml");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->windowNumber(), 101);
}

TEST_F(Events, OnePopupIsRedirectedUntilItCloses) {
    browserRun();
    app->showPopup("dial.htm");
    FakeWindow* first = popup();
    app->showPopup("aufbauen.htm");
    app->showPopup("http://www.example.net/hilfe.htm");
    EXPECT_EQ(popup(), first);
    EXPECT_EQ(first->extraUrls,
              (std::vector<std::string>{inst + "config\\dial.htm", inst + "config\\aufbauen.htm",
                                        "http://www.example.net/hilfe.htm"}));
    EXPECT_NE(trace().find("POPUP window still active... redirecting\n"), std::string::npos);

    app->closePopup();
    app->closePopup();
    EXPECT_EQ(first->closeRequests, 1);
    app->showPopup("QClose.htm");  // the closing popup is not reused
    EXPECT_NE(popup(), first);
    EXPECT_EQ(popupPage(), inst + "config\\QClose.htm");

    // A page whose path does not fit its buffer is not shown.
    size_t windows = parts.windows.size();
    app->onInstanceClosed(popup());
    app->showPopup(std::string(600, 'p') + ".htm");
    EXPECT_EQ(parts.windows.size(), windows);
}

TEST_F(Events, TheConnectCommandDialsOnlyWithDialupAndAMonitor) {
    browserRun();
    ASSERT_TRUE(parts.monitor);
    app->toggleConnection();
    EXPECT_EQ(parts.toggles, 1);

    parts.monitor = false;
    app->toggleConnection();
    EXPECT_EQ(parts.toggles, 1);

    // On a LAN the command does nothing, monitor or not.
    parts.monitor = true;
    app->settings().setUseRas(false);
    app->toggleConnection();
    EXPECT_EQ(parts.toggles, 1);
}
