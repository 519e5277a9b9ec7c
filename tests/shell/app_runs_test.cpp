// What a start of the browser center is for, decided from the command line, the registry and
// the dial-up state.
#include "app_fixture.h"

#include "instance_counter.h"

namespace fs = std::filesystem;

TEST_F(AppTest, ImportIniRecordsTheListedVersionsAndOpensNoWindow) {
    std::ofstream(dir + "update.ini") << "[Update]\nlumora.exe=3\ntnupdate.exe=2\ndefhtml.dat=5\n";
    start();
    EXPECT_EQ(app->run(commandLine("-ImportIni").c_str()), 0);
    EXPECT_EQ(parts.loops, 0);
    EXPECT_TRUE(parts.windows.empty());
    EXPECT_TRUE(parts.parsed.empty());
    EXPECT_TRUE(parts.messageBoxes.empty());
    std::string updates = key + "\\Updates";
    EXPECT_STREQ(regReadString(updates.c_str(), "lumora.exe", "-"), "3");
    EXPECT_STREQ(regReadString(updates.c_str(), "tnupdate.exe", "-"), "2");
    EXPECT_STREQ(regReadString(updates.c_str(), "defhtml.dat", "-"), "5");
    EXPECT_NE(trace().find("Command line: \"" + commandLine("-ImportIni") + "\""),
              std::string::npos);
}

TEST_F(AppTest, SignupFileArgumentIsAppliedWithoutAWindow) {
    start();
    EXPECT_FALSE(init("\"C:\\Downloads\\Neu.TNI\""));
    ASSERT_EQ(parts.parsed.size(), 1u);
    EXPECT_EQ(parts.parsed[0].path, "c:\\downloads\\neu.tni");
    EXPECT_EQ(parts.parsed[0].label, name);
    EXPECT_TRUE(parts.parsed[0].closeAll);
    EXPECT_TRUE(parts.windows.empty());
    EXPECT_NE(trace().find("The new instance will now parse the tni file...\n"), std::string::npos);

    // A file named from the folder the program was started in.
    const std::string caller = fs::current_path().string();
    start();
    EXPECT_FALSE(init("Downloads\\Neu.tni"));
    ASSERT_EQ(parts.parsed.size(), 2u);
    EXPECT_EQ(parts.parsed[1].path, caller + "\\downloads\\neu.tni");
}

TEST_F(AppTest, FirstStartAppliesTheBrandingFileOnce) {
    installSkin();
    start();
    EXPECT_TRUE(init(""));
    ASSERT_EQ(parts.parsed.size(), 1u);
    EXPECT_EQ(parts.parsed[0].path, inst + name + ".tni");
    EXPECT_TRUE(parts.parsed[0].closeAll);
    EXPECT_STREQ(regReadString(key.c_str(), "Installed", "0"), "1");

    parts.parsed.clear();
    start();
    EXPECT_TRUE(init(""));
    EXPECT_TRUE(parts.parsed.empty());
}

TEST_F(AppTest, AFirstTimeFileThatCouldNotBeAppliedIsTriedAgain) {
    installSkin();
    std::ofstream(dir + name + ".tni") << "[User]\r\n";
    parts.signupApplies = false;
    start();
    EXPECT_TRUE(init(""));
    EXPECT_EQ(parts.parsed.size(), 1u);
    EXPECT_STREQ(regReadString(key.c_str(), "Installed", "0"), "0");
    parts.signupApplies = true;
    start();
    EXPECT_TRUE(init(""));
    EXPECT_EQ(parts.parsed.size(), 2u);
    EXPECT_STREQ(regReadString(key.c_str(), "Installed", "0"), "1");
}

TEST_F(AppTest, MissingBrowserOrSocketsEndTheRunWithAMessage) {
    regWriteString(kIePath, "Path", ";", HKEY_LOCAL_MACHINE);
    regWriteString(kNetscapePath, "Path", "", HKEY_LOCAL_MACHINE);
    start();
    EXPECT_FALSE(init(""));
    ASSERT_EQ(parts.messageBoxes.size(), 1u);
    EXPECT_EQ(parts.messageBoxes[0], "Bitte installieren Sie einen Browser.");
    EXPECT_TRUE(parts.windows.empty());

    // Netscape alone is a browser too.
    regWriteString(kNetscapePath, "Path", "C:\\Programme\\Netscape\\;", HKEY_LOCAL_MACHINE);
    parts.socketsWork = false;
    start();
    EXPECT_FALSE(init(""));
    ASSERT_EQ(parts.messageBoxes.size(), 2u);
    EXPECT_EQ(parts.messageBoxes[1], "Fehler beim Initialisieren der Windows-Sockets.");
}

TEST_F(AppTest, AnOldBrowserControlLeadsToTheDialogFallback) {
    normalAccount();
    installSkin();
    regWriteString(kIeVersion, "Version", "10.0", HKEY_LOCAL_MACHINE);  // compared as text
    start();
    EXPECT_FALSE(init(""));
    EXPECT_EQ(parts.fallbacks, 1);
    EXPECT_EQ(parts.migrations, 0);
    EXPECT_TRUE(parts.windows.empty());

    regWriteString(kIeVersion, "Version", "4.72.3110.1", HKEY_LOCAL_MACHINE);
    start();
    EXPECT_TRUE(init(""));
    EXPECT_EQ(parts.fallbacks, 1);
    EXPECT_EQ(parts.migrations, 1);
}

// A build whose skinned window cannot start runs the plain dialogs where they can be shown, and
// ends as before where neither can (no display).
TEST_F(AppTest, WithoutItsWindowButWithDialogsTheProgramRunsTheDialogFallback) {
    normalAccount();
    installSkin();
    parts.windowsStart = false;
    parts.dialogsStart = true;
    start();
    EXPECT_FALSE(init(""));
    EXPECT_EQ(parts.fallbacks, 1);

    parts.dialogsStart = false;
    start();
    init("");
    EXPECT_EQ(parts.fallbacks, 1);
}

TEST_F(AppTest, TheFirstInstanceUnpacksTheConfigArchive) {
    normalAccount();
    installSkin();
    std::ofstream(dir + "config.dat") << "archive";
    fs::create_directories(dir + "config");
    std::ofstream(dir + "config/old.htm") << "old";

    InstanceCounter other(name);
    other.attach();
    start();
    EXPECT_TRUE(init(""));
    EXPECT_TRUE(parts.archivesOpened.empty());  // not the first instance
    EXPECT_TRUE(fs::exists(dir + "config/old.htm"));
    app.reset();
    other.release();

    start();
    EXPECT_TRUE(init(""));
    ASSERT_EQ(parts.archivesOpened.size(), 1u);
    EXPECT_EQ(parts.archivesOpened[0], inst + "config.dat");
    EXPECT_FALSE(fs::exists(dir + "config"));
    ASSERT_EQ(parts.extractedTo.size(), 1u);
    EXPECT_EQ(parts.extractedTo[0], inst + "config\\");

    parts.extractionWorks = false;
    start();
    EXPECT_FALSE(init(""));
    EXPECT_EQ(parts.windows.size(), 2u);  // only the windows of the two runs before
}

TEST_F(AppTest, DisconnectAsksOnlyAboutTheProvidersConnection) {
    normalAccount();
    installSkin();
    start();
    EXPECT_FALSE(init("-disconnect"));
    parts.connected = "Andere Verbindung";
    start();
    EXPECT_FALSE(init("-disconnect"));
    EXPECT_TRUE(parts.windows.empty());

    parts.connected = entry;
    start();
    EXPECT_TRUE(init("-Disconnect"));
    EXPECT_TRUE(app->ignoresConnect());
    ASSERT_EQ(parts.windows.size(), 1u);
    EXPECT_EQ(popupPage(), inst + "config\\QClose.htm");
    FakeWindow* popup = parts.window(0);
    EXPECT_TRUE(popup->topmost && popup->extraOnly && popup->allOffline && popup->shown);
    EXPECT_EQ(popup->position.left, 435);  // 410 x 410, centred on 1280 x 1000
    EXPECT_EQ(popup->position.top, 295);
    EXPECT_EQ(popup->position.right, 845);
    EXPECT_EQ(popup->position.bottom, 705);
}

TEST_F(AppTest, WithoutASkinOnlyTheDialOrClosePageIsShown) {
    normalAccount();
    parts.skinIniReadable = false;

    parts.connected = entry;
    start();
    EXPECT_TRUE(init(""));
    EXPECT_TRUE(app->ignoresConnect());
    EXPECT_EQ(popupPage(), inst + "config\\QClose.htm");

    parts.connected = "Andere Verbindung";
    start();
    EXPECT_TRUE(init(""));
    EXPECT_FALSE(app->ignoresConnect());
    EXPECT_EQ(parts.toggles, 1);  // the other connection is ended first
    EXPECT_EQ(popupPage(), inst + "config\\dial.htm");
    EXPECT_EQ(parts.windows.size(), 2u);

    // A skin archive is a skin, even before its skin.ini is unpacked.
    std::ofstream(dir + "defhtml.dat") << "archive";
    parts.connected.clear();
    start();
    EXPECT_TRUE(init(""));
    EXPECT_EQ(app->popup(), nullptr);
    EXPECT_EQ(parts.toggles, 1);
}

TEST_F(AppTest, BrowserRunOpensOneWindowOnTheOfflinePage) {
    normalAccount();
    installSkin();
    start();
    EXPECT_EQ(app->run(commandLine("").c_str()), 0);
    EXPECT_EQ(parts.loops, 1);
    EXPECT_EQ(app->getStoredStartupMode(), "0");
    EXPECT_EQ(app->popup(), nullptr);
    ASSERT_EQ(parts.windows.size(), 1u);
    FakeWindow* window = parts.window(0);
    ASSERT_EQ(window->browserUrls.size(), 1u);
    EXPECT_EQ(window->browserUrls[0], "C:\\skins\\defhtml\\offline.htm");
    EXPECT_FALSE(window->browserOffline);
    EXPECT_TRUE(window->withPortal);
    EXPECT_EQ(window->position.left, 1280 / 2 - 1024 / 2);
    EXPECT_EQ(window->position.right - window->position.left, 1024);
    EXPECT_EQ(window->position.bottom - window->position.top, 768);
    EXPECT_EQ(parts.favoritesConverted, 1);
    EXPECT_EQ(parts.migrations, 1);
    EXPECT_TRUE(parts.monitor);
    EXPECT_TRUE(parts.updateRequests.empty());
}

TEST_F(AppTest, ARunWhoseWindowCannotOpenEndsWithoutAMessageLoop) {
    normalAccount();
    installSkin();
    parts.windowsFail = true;
    start();
    EXPECT_EQ(app->run(commandLine("").c_str()), 0);
    EXPECT_EQ(parts.loops, 0);
    EXPECT_NE(trace().find("no window could be opened"), std::string::npos);
}

TEST_F(AppTest, ArgumentsReplaceTheOfflinePage) {
    normalAccount();
    installSkin();
    struct Case {
        const char* arguments;
        const char* page;
    };
    for (const Case& c : {Case{"\"C:\\Seiten\\Neue Seite.htm\" -x", "C:\\Seiten\\Neue Seite.htm"},
                          Case{"http://www.example.net/A B", "http://www.example.net/A B"},
                          Case{"\"unclosed page", ""}}) {
        parts.windows.clear();
        start();
        EXPECT_TRUE(init(c.arguments));
        ASSERT_EQ(parts.windows.size(), 1u) << c.arguments;
        EXPECT_EQ(app->appLayout().m_BrowserOfflineUrl, c.page);
        EXPECT_EQ(parts.window(0)->browserUrls.at(0), c.page);
    }
}

TEST_F(AppTest, WithoutAUsableDeviceTheDialPageComesFirst) {
    normalAccount();
    installSkin();
    parts.existingDevice = "Some Other Modem";
    start();
    EXPECT_TRUE(init(""));
    EXPECT_EQ(app->getStoredStartupMode(), "3");
    EXPECT_EQ(popupPage(), inst + "config\\dial.htm");
    EXPECT_EQ(parts.windows.size(), 2u);  // the popup and the browser window
}

TEST_F(AppTest, OnALanTheBrowserGoesOnlineAndChecksForUpdates) {
    normalAccount();
    installSkin();
    noDialup();
    parts.existingDevice.clear();  // the device does not matter on a LAN
    start();
    EXPECT_TRUE(init(""));
    EXPECT_EQ(app->popup(), nullptr);
    ASSERT_EQ(parts.windows.size(), 1u);
    EXPECT_EQ(parts.window(0)->browserUrls.at(0), "http://www.example.net/");
    EXPECT_EQ(parts.updateRequests, (std::vector<std::string>{"update.ini", "update.ini"}));

    start();
    EXPECT_FALSE(init("-dialer"));
}

TEST_F(AppTest, DialerRunShowsOnlyTheDialPage) {
    normalAccount();
    installSkin();
    start();
    EXPECT_TRUE(init("-dialer"));
    ASSERT_EQ(parts.windows.size(), 1u);
    EXPECT_EQ(popupPage(), inst + "config\\dial.htm");
    EXPECT_NE(trace().find("Started as dialer. Now showing dial.htm.\n"), std::string::npos);

    // The dialer switch is case-sensitive: this is a browser run.
    start();
    EXPECT_TRUE(init("-DIALER"));
    EXPECT_EQ(app->popup(), nullptr);
    EXPECT_EQ(parts.windows.size(), 2u);
}
