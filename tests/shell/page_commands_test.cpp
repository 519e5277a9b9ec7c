// The before-navigate handlers of the skinned window, driven through a recording window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "page_commands.h"

namespace {

const char* paneName(PagePane pane) {
    switch (pane) {
    case PagePane::TitleBar: return "title";
    case PagePane::Portal: return "portal";
    case PagePane::Extra: return "extra";
    case PagePane::Browser: return "browser";
    }
    return "?";
}

// Records every call as one line; answers from its fields.
class RecordingHost : public PageHost {
public:
    std::vector<std::string> calls;
    bool app = true, dialup = true, connected = false, active = false, offline = false;
    bool maximised = false, ignoreConnect = false, standardWorks = true;
    std::string browserUrl = "http://example.org/", extraPage = "about:blank";
    std::string extraShown = "about:blank";
    PaneRects rects{RECT{10, 60, -1, -20}, RECT{0, 0, 0, 0}};

    void record(const std::string& line) { calls.push_back(line); }

    void navigate(PagePane pane, const std::string& url, const std::string& postData) override {
        record(std::string("navigate ") + paneName(pane) + " " + url +
               (postData.empty() ? "" : " post=" + postData));
    }
    void goBack(PagePane pane) override { record(std::string("back ") + paneName(pane)); }
    void goForward(PagePane pane) override { record(std::string("forward ") + paneName(pane)); }
    std::string currentUrl(PagePane pane) override {
        return pane == PagePane::Extra ? extraShown : browserUrl;
    }
    std::string locationName(PagePane) override { return "Beispiel"; }
    bool isOffline(PagePane) override { return offline; }
    void setOffline(PagePane pane, bool off) override {
        offline = off;
        record(std::string("offline ") + paneName(pane) + (off ? " on" : " off"));
    }
    bool execStandardCommand(int id) override {
        record("standard " + std::to_string(id));
        return standardWorks;
    }
    std::string cookieText() override { return "session=1"; }
    std::string elementText(PagePane, const std::string&) override { return std::string(); }
    void setElementText(PagePane pane, const std::string& id, const std::string& text) override {
        record(std::string("text ") + paneName(pane) + " " + id + "=" + text);
    }
    std::string elementAttribute(PagePane, const std::string&, const std::string&) override {
        return std::string();
    }
    void setElementAttribute(PagePane pane, const std::string& id, const std::string& name,
                             const std::string& value) override {
        record(std::string("attribute ") + paneName(pane) + " " + id + "." + name + "=" + value);
    }
    void postClose() override { record("close"); }
    void minimise() override { record("minimise"); }
    bool isMaximised() override { return maximised; }
    void maximise() override { record("maximise"); }
    void restore() override { record("restore"); }
    void startTimer(UINT_PTR id) override { record("timer " + std::to_string(id)); }
    void messageBox(const std::string& text) override { record("box " + text); }
    PaneRects& paneRects() override { return rects; }
    RECT skinBrowserRect() override { return RECT{10, 60, -1, -20}; }
    void placePanes() override { record("place"); }
    std::string skinFolder() override { return "c:\\lumora\\defhtml\\"; }
    std::string browserOnlineUrl() override { return "http://portal.example/"; }
    void setSavedUrl(const std::string& url) override { record("saved " + url); }
    std::string extraUrl() override { return extraPage; }
    void setExtraUrl(const std::string& url) override { extraPage = url; }
    bool hasApp() override { return app; }
    bool dialupInUse() override { return dialup; }
    bool isConnected() override { return connected; }
    bool connectionActive() override { return active; }
    void showPopup(const std::string& page) override { record("popup " + page); }
    void closePopup() override { record("close popup"); }
    bool ignoresConnect() override { return ignoreConnect; }
    void toggleConnection() override { record("toggle"); }
    void onConnected() override { record("connected"); }
    void requestFileUpdate(const std::string& file) override { record("update " + file); }
    std::string listPhonebookEntries() override { return "Testnetz\tAndere"; }
    std::string listActiveConnections() override { return "Testnetz"; }
    void setAccountData(const std::string& number, const std::string& user,
                        const std::string& password) override {
        record("account " + number + "|" + user + "|" + password);
    }
    void addFavorite(const std::string& name, const std::string& url) override {
        record("favorite " + name + " " + url);
    }
    void organiseFavorites() override { record("organise"); }
    void rebuildFavoritesPages() override { record("rebuild favorites"); }
    void takeOverDialSettings() override { record("take over"); }
};

using Calls = std::vector<std::string>;

class PageCommands : public ::testing::Test {
protected:
    RecordingHost host;
    CPageCommands commands{host};
    const std::string skin = "file:///c:/lumora/defhtml/";
};

}  // namespace

TEST_F(PageCommands, PortalLinksToTheBrowserPane) {
    EXPECT_FALSE(commands.OnBeforeNavigatePortal(skin + "portal.htm", ""));
    EXPECT_TRUE(host.calls.empty());

    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_HTTP:#host/x.htm#a=1", "q=1"));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_HTTP:%23host/x.htm#a", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_HTTP:", "q=2"));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_LOCAL:hilfe.htm", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_HOME", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_BACK", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_NEXT", ""));
    EXPECT_EQ(host.calls, (Calls{"navigate browser http://host/x.htm?a=1 post=q=1",
                                 "navigate browser http://host/x.htm#a",
                                 "navigate browser about:blank post=q=2",
                                 "navigate browser c:\\lumora\\defhtml\\hilfe.htm",
                                 "navigate browser http://portal.example/", "back browser",
                                 "forward browser"}));
}

TEST_F(PageCommands, StandardCommandsAndRefresh) {
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_SAVEAS", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_PRINTPREVIEW", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_REFRESH", ""));
    host.browserUrl = "FILE:///c:/lumora/config/dial.htm";
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_REFRESH", ""));
    host.standardWorks = false;  // refused: traced, still cancelled
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_COPY", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_NOSUCHWORD", ""));
    EXPECT_EQ(host.calls, (Calls{"standard 3", "standard 6", "standard 22",
                                 "navigate browser FILE:///c:/lumora/config/dial.htm",
                                 "standard 12"}));
}

TEST_F(PageCommands, TitleBarHasItsOwnWords) {
    EXPECT_TRUE(commands.OnBeforeNavigateTitleBar(skin + "OLECMDID_BACK", ""));
    EXPECT_TRUE(host.calls.empty());  // the title bar has no BACK
    EXPECT_TRUE(commands.OnBeforeNavigateTitleBar(skin + "OLECMDID_MAX", ""));
    host.maximised = true;
    EXPECT_TRUE(commands.OnBeforeNavigateTitleBar(skin + "OLECMDID_MAX", ""));
    EXPECT_TRUE(commands.OnBeforeNavigateTitleBar(skin + "OLECMDID_MIN", ""));
    EXPECT_TRUE(commands.OnBeforeNavigateTitleBar(skin + "OLECMDID_CLOSE", ""));
    EXPECT_TRUE(commands.OnBeforeNavigateTitleBar(skin + "OLECMDID_CONNECT", ""));
    host.active = true;
    EXPECT_TRUE(commands.OnBeforeNavigateTitleBar(skin + "OLECMDID_CONNECT", ""));
    EXPECT_TRUE(commands.OnBeforeNavigateTitleBar(skin + "OLECMDID_HTTP:#h/p", ""));
    EXPECT_EQ(host.calls, (Calls{"maximise", "restore", "minimise", "close", "popup aufbauen.htm",
                                 "popup abbauen.htm", "navigate browser http://h/p"}));
}

TEST_F(PageCommands, ConnectTakesTheAccountDataThenShowsAPage) {
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(
        skin + "OLECMDID_CONNECT:number{0301234}user{kunde}pass{geheim}", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_CONNECT:user{nur}", ""));
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_CONNECT", ""));
    host.dialup = false;  // without dial-up there is no page to show
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_CONNECT", ""));
    EXPECT_EQ(host.calls, (Calls{"account 0301234|kunde|geheim", "popup aufbauen.htm",
                                 "account |nur|", "popup aufbauen.htm", "popup aufbauen.htm"}));
}

TEST_F(PageCommands, ExtraDocksLoadsItsPageAndMovesTheBrowser) {
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_EXTRA:T=3V=100:info.htm:X1=5", ""));
    EXPECT_EQ(host.calls, (Calls{"text portal CTN_EXTRA_VISIBLE=1", "place",
                                 "navigate extra c:\\lumora\\defhtml\\info.htm", "place"}));
    EXPECT_EQ(host.extraPage, "c:\\lumora\\defhtml\\info.htm");
    EXPECT_EQ(commands.extraDock(), 3);
    EXPECT_EQ(host.rects.browser.left, 5);
    EXPECT_EQ(host.rects.browser.right, -100);
    EXPECT_EQ(host.rects.extra.left, -99);

    host.calls.clear();
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_MOVE:Y1=80Y2=-40", ""));
    EXPECT_EQ(host.rects.extra.top, 80);  // docked right: the extra pane follows Y1 and Y2
    EXPECT_EQ(host.rects.extra.bottom, -40);
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_EXTRA:T=0", ""));
    EXPECT_EQ(host.calls, (Calls{"place", "text portal CTN_EXTRA_VISIBLE=0", "place",
                                 "navigate extra about:blank"}));
    EXPECT_EQ(host.rects.browser.left, 10);
    EXPECT_EQ(host.rects.browser.right, -1);
}

TEST_F(PageCommands, ExtraPaneKeepsToItsFolder) {
    host.extraPage = "c:\\lumora\\config\\dial.htm";
    EXPECT_FALSE(commands.OnBeforeNavigateExtra("file:///C:/Lumora/Config/aufbauen.htm", ""));
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("http://example.org/agb.htm", "a=b"));
    EXPECT_EQ(host.calls, (Calls{"navigate browser http://example.org/agb.htm post=a=b"}));
    EXPECT_FALSE(commands.takeCommandNavigation());

    host.calls.clear();
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_LOCAL:x.htm", ""));
    EXPECT_TRUE(commands.takeCommandNavigation());
    EXPECT_FALSE(commands.takeCommandNavigation());  // reading it cleared it
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_MOVE:T=2V=50", ""));
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_HOME", ""));
    EXPECT_EQ(host.calls, (Calls{"navigate extra file:///c:/lumora/config/x.htm",
                                 "text portal CTN_EXTRA_VISIBLE=1", "place"}));
    EXPECT_EQ(commands.extraDock(), 2);
}

TEST_F(PageCommands, ExtraConnectTakesOverDialSettingsOrToggles) {
    host.extraShown = "file:///c:/lumora/config/dial.htm";
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_CONNECT", ""));
    host.extraShown = "file:///c:/lumora/config/abbauen.htm";
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_CONNECT", ""));
    host.ignoreConnect = true;
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_CONNECT", ""));
    host.dialup = false;
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_CONNECT", ""));
    EXPECT_TRUE(commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_ENUM", ""));
    EXPECT_EQ(host.calls, (Calls{"take over", "toggle", "close popup", "toggle", "box Testnetz"}));
}

TEST_F(PageCommands, WithoutTheApplicationItsCommandsDoNothing) {
    host.app = false;
    for (const char* word : {"ENUM", "TEST3", "UPDATE", "ADDFAV", "ORGFAV", "CONNECT:user{x}"})
        EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_" + word, ""));
    EXPECT_TRUE(host.calls.empty());
    host.app = true;
    for (const char* word : {"ENUM", "TEST3", "UPDATE", "ADDFAV", "ORGFAV", "TEST1", "SHOWCOOKIE"})
        EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_" + word, ""));
    EXPECT_EQ(host.calls, (Calls{"box Testnetz\tAndere", "connected", "update update.ini",
                                 "favorite Beispiel http://example.org/", "rebuild favorites",
                                 "organise", "rebuild favorites", "timer 1", "box session=1"}));
}

TEST_F(PageCommands, OfflineBrowserLinksWaitForTheConnection) {
    host.offline = true;
    EXPECT_TRUE(commands.OnBeforeNavigateBrowser("http://example.org/news.htm"));
    EXPECT_FALSE(commands.OnBeforeNavigateBrowser("file:///c:/lumora/defhtml/start.htm"));
    EXPECT_FALSE(commands.OnBeforeNavigateBrowser("c:\\lumora\\defhtml\\start.htm"));
    host.connected = true;
    EXPECT_FALSE(commands.OnBeforeNavigateBrowser("HTTPS://bank.example/"));
    host.connected = false;
    host.dialup = false;
    EXPECT_FALSE(commands.OnBeforeNavigateBrowser("http://example.org/"));
    EXPECT_EQ(host.calls,
              (Calls{"offline browser off", "saved http://example.org/news.htm", "popup dial.htm",
                     "attribute portal IDC_SECURE.src=insecure.gif",
                     "attribute portal IDC_SECURE.src=insecure.gif",
                     "attribute portal IDC_SECURE.src=secure.gif",
                     "attribute portal IDC_SECURE.src=insecure.gif"}));
}

UINT dlmanCalls = 0;

LRESULT CALLBACK downloadManagerProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == RegisterWindowMessageA("WM_TN_SHOW_DLMAN")) ++dlmanCalls;
    return DefWindowProcA(hwnd, msg, w, l);
}

TEST_F(PageCommands, TheDownloadManagerIsCalledByBroadcast) {
    UINT& received = dlmanCalls;
    WNDCLASSA wc{};
    wc.lpfnWndProc = downloadManagerProc;
    wc.lpszClassName = "PageCommandsDownloadManager";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "dlman", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(commands.OnBeforeNavigatePortal(skin + "OLECMDID_GET_DLMAN", ""));
    MSG msg;
    for (int i = 0; i < 50 && received == 0; ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (received == 0) Sleep(100);
    }
    EXPECT_EQ(received, 1u);
    DestroyWindow(window);
}
