// The connection monitor against the prefix's real remote-access service and its simulated
// provider: dialling, its progress, its failures, hanging up and connections made elsewhere.
#include <gtest/gtest.h>

#include <windows.h>

#include <ras.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "connection_monitor.h"
#include "ras_api.h"
#include "ras_calls.h"
#include "dial_entry.h"
#include "machine_registry.h"
#include "testenv.h"
#ifndef _WIN32
#include "xvfb.h"
#endif

namespace {

// Records what the monitor asks of the application.
class RecordingApp : public ConnectionHost {
public:
    bool dialup = true;
    std::string entry = "Lumora Online", user = "kunde", pass = "geheim";
    std::string lastError = "(unchanged)";
    std::vector<std::string> pages, statuses;
    int closedPopups = 0, connected = 0, disconnected = 0;

    bool dialupInUse() override { return dialup; }
    bool isSignupMode() override { return false; }
    std::string entryName() override { return entry; }
    std::string userName() override { return user; }
    std::string password() override { return pass; }
    void setLastConnectionError(const std::string& text) override { lastError = text; }
    void showPopup(const std::string& page) override { pages.push_back(page); }
    void closePopup() override { ++closedPopups; }
    void setPopupStatus(const std::string& text) override { statuses.push_back(text); }
    void onConnected() override { ++connected; }
    void onDisconnected() override { ++disconnected; }
    std::string installDir() override { return lumora_test::binaryDir(); }
    std::string programName() override { return "dialuptests"; }
    unsigned updatePeriodMs() override { return 10000; }
    void skinUpdated(const std::string&) override {}
};

// The system's text of a refused logon (691).
std::string refusedText() {
    char text[512] = {};
    EXPECT_EQ(rasApi().pRasGetErrorStringA(691, text, sizeof text), 0u);
    return text;
}

// Runs the message loop until `done` holds or `limitMs` have passed.
bool pumpUntil(const std::function<bool()>& done, int limitMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    MSG msg;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    }
    return true;
}

#ifndef _WIN32
// A display for the logon prompt, there before anything in this process starts the remote-access
// service (a test of any suite may): the service shows its windows on the display of the process
// that started it, and keeps it for its life.
lumora_test::XvfbServer display_;

class DisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override { display_.start(); }
    void TearDown() override { display_.stop(); }
};

const auto* displayEnvironment = ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);
#endif

class ConnectionMonitor : public ::testing::Test {
protected:

    void SetUp() override {
        if (!lumora_test::onLinux()) GTEST_SKIP() << "dialling needs the prefix's simulated provider";
        // The tests share the process's prefix: each starts from a provider that takes anyone.
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, lumora_test::kProviderAccountsKey);
        lumora_test::setProviderNumber("StepDelay", 5);
        lumora_test::setProviderNumber("LogonPrompt", 0);
        ASSERT_TRUE(loadRasApi());
        makeDialEntry("Lumora Online", "Simuliertes Modem");
        ASSERT_TRUE(monitor.create(app));
    }
    void TearDown() override {
        if (!getConnectedEntries().empty()) closeRasConnection(getConnectedEntries().c_str());
        monitor.destroy();
    }

    bool sawStatus(const std::string& text) {
        for (const auto& s : app.statuses)
            if (s == text) return true;
        return false;
    }

    RecordingApp app;
    CConnectionMonitor monitor;
};

}  // namespace

TEST(RasStateText, GermanTextsFromTheStringTable) {
    EXPECT_EQ(rasStateText(RASCS_OpenPort), "COM-Anschluss wird ge\xF6" "ffnet");
    EXPECT_EQ(rasStateText(RASCS_ConnectDevice), "Verbinden mit Lumora Test...");
    EXPECT_EQ(rasStateText(RASCS_DeviceConnected), "Verbunden mit Lumora Test");
    EXPECT_EQ(rasStateText(RASCS_AuthChangePassword), "\xC4nderung des Kennwortes wurde angefordert");
    EXPECT_EQ(rasStateText(RASCS_Connected), "Verbindung wurde aufgebaut");
    EXPECT_EQ(rasStateText(RASCS_Disconnected), "Verbindung wurde getrennt");
    EXPECT_EQ(rasStateText(RASCS_PasswordExpired), "Ihr Kennwort ist abgelaufen");
    EXPECT_EQ(rasStateText(19), "");  // authentication starting: the status is blanked
    EXPECT_EQ(rasStateText(0x2002), "");
    EXPECT_EQ(rasStateText(20), "");
}

TEST_F(ConnectionMonitor, DialsShowsProgressThenHangsUp) {
    monitor.toggleConnection();
    EXPECT_TRUE(monitor.dialInProgress());
    ASSERT_TRUE(pumpUntil([&] { return sawStatus("Verbindung wurde aufgebaut"); }));
    EXPECT_TRUE(sawStatus("COM-Anschluss wird ge\xF6" "ffnet"));
    EXPECT_FALSE(monitor.dialInProgress());  // a connection is no dial in progress
    EXPECT_EQ(app.lastError, "");            // cleared when the connection came up
    ASSERT_TRUE(pumpUntil([&] { return app.connected == 1; }));  // the poll noticed it
    EXPECT_EQ(getConnectedEntries(), "Lumora Online");

    monitor.toggleConnection();  // connected: the connect command hangs up
    EXPECT_EQ(getConnectedEntries(), "");
    ASSERT_TRUE(pumpUntil([&] { return app.disconnected == 1; }));
    EXPECT_TRUE(app.pages.empty());
}

TEST_F(ConnectionMonitor, AWrongPasswordEndsInTheErrorPage) {
    lumora_test::setMachineText(lumora_test::kProviderAccountsKey, "kunde", "richtig");
    monitor.toggleConnection();
    ASSERT_TRUE(pumpUntil([&] { return !app.pages.empty(); }));
    EXPECT_EQ(app.pages, std::vector<std::string>{"discon.htm"});
    EXPECT_EQ(app.lastError, refusedText());
    EXPECT_FALSE(monitor.dialInProgress());
    EXPECT_EQ(getConnectedEntries(), "");
}

TEST_F(ConnectionMonitor, ASecondConnectCancelsTheDialWithoutAnErrorPage) {
    lumora_test::setProviderNumber("StepDelay", 200);
    monitor.toggleConnection();
    ASSERT_TRUE(monitor.dialInProgress());
    monitor.toggleConnection();
    EXPECT_FALSE(monitor.dialInProgress());
    EXPECT_EQ(app.closedPopups, 1);
    pumpUntil([] { return false; }, 1500);  // events of the cancelled dial come to nothing
    EXPECT_TRUE(app.pages.empty());
    EXPECT_EQ(getConnectedEntries(), "");
}

TEST_F(ConnectionMonitor, AFailedStartLeavesNoDialAndTheNextConnectDialsAgain) {
    app.entry = "Unbekannt";
    monitor.toggleConnection();
    EXPECT_FALSE(monitor.dialInProgress());
    EXPECT_EQ(app.pages, std::vector<std::string>{"discon.htm"});
    EXPECT_EQ(app.lastError, "(unchanged)");
    app.entry = "Lumora Online";
    monitor.toggleConnection();
    EXPECT_TRUE(monitor.dialInProgress());
    EXPECT_TRUE(pumpUntil([&] { return app.connected == 1; }));
}

TEST_F(ConnectionMonitor, EventsWithoutADialAndPausedStates) {
    monitor.onRasDialEvent(RASCS_Authenticate, 691);  // not our dial: only traced
    EXPECT_TRUE(app.pages.empty());
    EXPECT_EQ(app.lastError, "(unchanged)");
    monitor.onRasDialEvent(RASCS_Interactive, 0);  // paused: hang up, error page, error kept
    EXPECT_EQ(app.pages, std::vector<std::string>{"discon.htm"});
    EXPECT_EQ(app.lastError, "(unchanged)");
    monitor.onRasDialEvent(19, 0);
    EXPECT_EQ(app.statuses, std::vector<std::string>{""});
}

TEST_F(ConnectionMonitor, ConnectionsMadeElsewhereAreNoticedOnlyWithDialup) {
    app.dialup = false;
    RASDIALPARAMSA params;
    ASSERT_TRUE(getEntryDialParams("Lumora Online", &params));
    std::strcpy(params.szUserName, "kunde");
    std::strcpy(params.szPassword, "geheim");
    HRASCONN handle = nullptr;
    ASSERT_EQ(rasApi().pRasDialA(nullptr, nullptr, &params, 0, nullptr, &handle), 0u);
    monitor.onTimer(CConnectionMonitor::kPollTimer);
    EXPECT_EQ(app.connected, 0);
    app.dialup = true;
    ASSERT_TRUE(pumpUntil([&] { return app.connected == 1; }));
    // The connect command hangs up a connection up whoever dialled it.
    monitor.toggleConnection();
    EXPECT_EQ(getConnectedEntries(), "");
    EXPECT_FALSE(monitor.dialInProgress());
    ASSERT_TRUE(pumpUntil([&] { return app.disconnected == 1; }));
}

TEST_F(ConnectionMonitor, ConnectHangsUpEveryConnectionAndALibraryWithoutDialFailsToStart) {
    makeDialEntry("Zweitnetz", "Standard-28800-bps-Modem");
    for (const char* entry : {"Lumora Online", "Zweitnetz"}) {
        RASDIALPARAMSA params;
        ASSERT_TRUE(getEntryDialParams(entry, &params));
        std::strcpy(params.szUserName, "kunde");
        std::strcpy(params.szPassword, "geheim");
        HRASCONN handle = nullptr;
        ASSERT_EQ(rasApi().pRasDialA(nullptr, nullptr, &params, 0, nullptr, &handle), 0u);
    }
    ASSERT_EQ(getConnectedEntries(), "Lumora OnlineZweitnetz");
    monitor.toggleConnection();
    EXPECT_EQ(getConnectedEntries(), "");

    // A remote-access library that lacks the dial function: the dial cannot start.
    rasApi().pRasDialA = nullptr;
    monitor.toggleConnection();
    unloadRasApi();  // the next binding is whole again
    EXPECT_FALSE(monitor.dialInProgress());
    EXPECT_EQ(app.pages, std::vector<std::string>{"discon.htm"});
}

#ifndef _WIN32
TEST_F(ConnectionMonitor, TheLogonPromptEndsTheDialAsAWrongPassword) {
    if (display_.display().empty()) GTEST_SKIP() << "Xvfb is not installed or does not start";
    // The prompt waits for an answer; the watch looks every 500 ms once authentication starts.
    lumora_test::setProviderNumber("LogonPrompt", 1);
    monitor.toggleConnection();
    ASSERT_TRUE(pumpUntil([&] { return !app.pages.empty(); }));
    EXPECT_EQ(app.pages, std::vector<std::string>{"discon.htm"});
    EXPECT_EQ(app.lastError, refusedText());
    EXPECT_FALSE(monitor.dialInProgress());
}
#endif
