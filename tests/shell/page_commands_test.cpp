// The before-navigate handlers of the skinned window, driven through a recording window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "page_commands.h"
#include "recording_host.h"

namespace {

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
