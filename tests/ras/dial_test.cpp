// Dialling through rasapi32 and the prefix's remote-access service: the events a window receives,
// each failure of the simulated provider, connections shared by the processes of the prefix.
#include "ras_fixture.h"
#include "run_program.h"

using namespace ras_test;
using Events = std::vector<std::pair<DWORD, DWORD>>;

namespace {

// RASCS_StartAuthentication, reported by Windows NT and later only.
constexpr DWORD kStartAuthentication = 19;

class Dial : public ::testing::Test {
protected:
    void SetUp() override {
        setProviderNumber("StepDelay", 1);
        makeEntry("Provider");
    }

    // Dials "Provider" asynchronously and returns the events up to the end of the dial.
    Events dialEvents(const char* user = "kunde", const char* password = "geheim") {
        DialEvents events;
        RASDIALPARAMSA p = dialParams("Provider", user, password);
        HRASCONN connection = nullptr;
        EXPECT_EQ(RasDialA(nullptr, nullptr, &p, 0xFFFFFFFF, events.window(), &connection), 0u);
        EXPECT_TRUE(connection != nullptr);
        Events seen = events.waitForEnd();
        last_ = connection;
        return seen;
    }

    HRASCONN last_ = nullptr;
};

Events prefixOf(std::initializer_list<DWORD> states, DWORD error) {
    Events events;
    for (DWORD s : states) events.emplace_back(s, 0);
    events.back().second = error;
    return events;
}

TEST_F(Dial, WindowReceivesEveryStateUpToConnected) {
    const Events events = dialEvents();
    EXPECT_EQ(events, prefixOf({RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice,
                                RASCS_DeviceConnected, RASCS_AllDevicesConnected,
                                kStartAuthentication, RASCS_Authenticate, RASCS_AuthNotify,
                                RASCS_AuthProject,
                                RASCS_Authenticated, RASCS_Connected},
                               0));
    RASCONNSTATUSA status{};
    status.dwSize = sizeof status;
    ASSERT_EQ(RasGetConnectStatusA(last_, &status), 0u);
    EXPECT_EQ(status.rasconnstate, RASCS_Connected);
    EXPECT_STREQ(status.szDeviceName, "Simuliertes Modem");
    RASPPPIPA ip{};
    ip.dwSize = sizeof ip;
    DWORD size = sizeof ip;
    ASSERT_EQ(RasGetProjectionInfoA(last_, RASP_PppIp, &ip, &size), 0u);
    EXPECT_EQ(std::string(ip.szIpAddress).rfind("10.", 0), 0u);
    EXPECT_EQ(RasHangUpA(last_), 0u);
    EXPECT_EQ(RasGetConnectStatusA(last_, &status), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Dial, EachLineFailureEndsAtConnectDeviceWithItsError) {
    const std::pair<const char*, DWORD> cases[] = {{"busy", ERROR_LINE_BUSY},
                                                   {"nocarrier", ERROR_NO_CARRIER},
                                                   {"nodialtone", ERROR_NO_DIALTONE},
                                                   {"noanswer", ERROR_NO_ANSWER}};
    for (const auto& [line, error] : cases) {
        SCOPED_TRACE(line);
        setMachineText("System\\Lumora\\Provider", "Line", line);
        EXPECT_EQ(dialEvents(),
                  prefixOf({RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice}, error));
        // A failed dial is no connection, but its handle tells what happened until hung up.
        EXPECT_TRUE(connectionNames().empty());
        RASCONNSTATUSA status{};
        status.dwSize = sizeof status;
        ASSERT_EQ(RasGetConnectStatusA(last_, &status), 0u);
        EXPECT_EQ(status.dwError, error);
        EXPECT_EQ(RasHangUpA(last_), 0u);
    }
}

TEST_F(Dial, Windows98KnowsNoStartOfAuthentication) {
    setWindowsVersion("98");
    EXPECT_EQ(dialEvents(), prefixOf({RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice,
                                      RASCS_DeviceConnected, RASCS_AllDevicesConnected,
                                      RASCS_Authenticate, RASCS_AuthNotify, RASCS_AuthProject,
                                      RASCS_Authenticated, RASCS_Connected},
                                     0));
    setWindowsVersion("2000");
}

TEST_F(Dial, WrongPasswordIsRefusedWith691AfterAuthentication) {
    setMachineText("System\\Lumora\\Provider\\Accounts", "kunde", "geheim");
    EXPECT_EQ(dialEvents("kunde", "falsch"),
              prefixOf({RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice,
                        RASCS_DeviceConnected, RASCS_AllDevicesConnected, kStartAuthentication,
                        RASCS_Authenticate, RASCS_AuthNotify},
                       ERROR_AUTHENTICATION_FAILURE));
    RasHangUpA(last_);
    EXPECT_EQ(dialEvents("unbekannt", "geheim").back().second,
              static_cast<DWORD>(ERROR_AUTHENTICATION_FAILURE));
    RasHangUpA(last_);
    EXPECT_EQ(dialEvents("kunde", "geheim").back(), std::make_pair(DWORD(RASCS_Connected), 0u));
    RasHangUpA(last_);
}

TEST_F(Dial, SynchronousDialReturnsTheOutcome) {
    setMachineText("System\\Lumora\\Provider\\Accounts", "kunde", "geheim");
    RASDIALPARAMSA p = dialParams("Provider", "kunde", "falsch");
    HRASCONN connection = nullptr;
    EXPECT_EQ(RasDialA(nullptr, nullptr, &p, 0, nullptr, &connection),
              static_cast<DWORD>(ERROR_AUTHENTICATION_FAILURE));
    EXPECT_TRUE(connection != nullptr);
    RasHangUpA(connection);
    p = dialParams("Provider", "kunde", "geheim");
    ASSERT_EQ(RasDialA(nullptr, nullptr, &p, 0, nullptr, &connection), 0u);
    EXPECT_EQ(connectionNames(), std::vector<std::string>{"Provider"});
    RasHangUpA(connection);
    EXPECT_TRUE(connectionNames().empty());
}

// An entry is connected once: dialling it again answers with the connection that is up.
TEST_F(Dial, DiallingAConnectedEntryAgainGivesItsConnection) {
    RASDIALPARAMSA p = dialParams("Provider", "kunde", "geheim");
    HRASCONN first = nullptr;
    ASSERT_EQ(RasDialA(nullptr, nullptr, &p, 0, nullptr, &first), 0u);
    HRASCONN second = nullptr;
    ASSERT_EQ(RasDialA(nullptr, nullptr, &p, 0, nullptr, &second), 0u);
    EXPECT_TRUE(second == first);
    EXPECT_EQ(connectionNames(), std::vector<std::string>{"Provider"});
    EXPECT_EQ(RasHangUpA(first), 0u);
    EXPECT_EQ(RasHangUpA(second), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Dial, UnknownEntryAndBadArgumentsAreRefused) {
    RASDIALPARAMSA p = dialParams("Fehlt", "kunde", "geheim");
    HRASCONN connection = nullptr;
    EXPECT_EQ(RasDialA(nullptr, nullptr, &p, 0, nullptr, &connection),
              static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
    p = dialParams("Provider", "kunde", "geheim");
    p.dwSize = 1060;
    EXPECT_EQ(RasDialA(nullptr, nullptr, &p, 0, nullptr, &connection),
              static_cast<DWORD>(ERROR_INVALID_SIZE));
    p.dwSize = sizeof p;
    EXPECT_EQ(RasDialA(nullptr, nullptr, &p, 0, nullptr, nullptr),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RasHangUpA(nullptr), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Dial, DroppedLineEndsTheConnection) {
    setProviderNumber("DropAfter", 1);
    ASSERT_EQ(dialEvents().back().first, static_cast<DWORD>(RASCS_Connected));
    RASCONNSTATUSA status{};
    status.dwSize = sizeof status;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_EQ(RasGetConnectStatusA(last_, &status), 0u);
    } while (status.rasconnstate != RASCS_Disconnected &&
             std::chrono::steady_clock::now() < deadline);
    EXPECT_EQ(status.rasconnstate, RASCS_Disconnected);
    EXPECT_EQ(status.dwError, static_cast<DWORD>(ERROR_REMOTE_DISCONNECTION));
    EXPECT_TRUE(connectionNames().empty());
    EXPECT_EQ(RasHangUpA(last_), 0u);
}

// rasdial is a real second program of the prefix: it dials and exits, the connection stays,
// another process hangs it up.
TEST_F(Dial, ConnectionOutlivesTheDiallerAndAnyProcessHangsUp) {
    const auto dialled = lumora_test::runProgram("rasdial", {"Provider", "kunde", "geheim"});
    ASSERT_EQ(dialled.exitCode, 0) << dialled.out << dialled.err;
    EXPECT_NE(dialled.out.find("Verbindung mit Provider wurde hergestellt."), std::string::npos);
    EXPECT_EQ(connectionNames(), std::vector<std::string>{"Provider"});
    const auto listed = lumora_test::runProgram("rasdial", {});
    EXPECT_NE(listed.out.find("Verbunden mit\nProvider\n"), std::string::npos) << listed.out;
    const auto hungUp = lumora_test::runProgram("rasdial", {"Provider", "/disconnect"});
    EXPECT_EQ(hungUp.exitCode, 0);
    EXPECT_TRUE(connectionNames().empty());
    const auto again = lumora_test::runProgram("rasdial", {"Provider", "/disconnect"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.out.find("Sie sind nicht mit Provider verbunden."), std::string::npos);
}

// On Windows 98 an entry with an AutoDial library and function is dialled through them.
TEST_F(Dial, RasdialHandsAnAutoDialEntryToItsFunction) {
    setWindowsVersion("98");
    RASENTRYA entry{};
    entry.dwSize = 1768;
    DWORD size = sizeof entry;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "Provider", &entry, &size, nullptr, nullptr), 0u);
    std::strcpy(entry.szAutodialDll, lumora_test::builtProgram("libtest_autodial.so").c_str());
    std::strcpy(entry.szAutodialFunc, "TestAutoDialA");
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, "Provider", &entry, 1768, nullptr, 0), 0u);
    const auto dialled = lumora_test::runProgram("rasdial", {"Provider"});
    EXPECT_EQ(dialled.exitCode, 0) << dialled.out << dialled.err;
    // The function dialled; rasdial showed none of its own progress.
    EXPECT_EQ(dialled.out.find("wird hergestellt"), std::string::npos);
    EXPECT_EQ(connectionNames(), std::vector<std::string>{"Provider"});

    std::strcpy(entry.szAutodialFunc, "Fehlt");
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, "Provider", &entry, 1768, nullptr, 0), 0u);
    lumora_test::runProgram("rasdial", {"Provider", "/disconnect"});
    const auto missing = lumora_test::runProgram("rasdial", {"Provider"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("AutoDial-Funktion"), std::string::npos);
}

// On Windows 2000 an entry with a custom-dial library is dialled through it; the refusal it
// reports is rasdial's error.
TEST_F(Dial, RasdialHandsACustomDialEntryToItsLibrary) {
    setMachineText("System\\Lumora\\Provider\\Accounts", "kunde", "geheim");
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    DWORD size = sizeof entry;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "Provider", &entry, &size, nullptr, nullptr), 0u);
    std::strcpy(entry.szCustomDialDll,
                lumora_test::builtProgram("libtest_customdial.so").c_str());
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, "Provider", &entry, sizeof entry, nullptr, 0), 0u);
    // The user and password given here are not the library's business.
    const auto dialled = lumora_test::runProgram("rasdial", {"Provider", "x", "y"});
    EXPECT_EQ(dialled.exitCode, 0) << dialled.out << dialled.err;
    EXPECT_EQ(connectionNames(), std::vector<std::string>{"Provider"});
    lumora_test::runProgram("rasdial", {"Provider", "/disconnect"});

    setMachineText("System\\Lumora\\Provider\\Accounts", "kunde", "anders");
    const auto refused = lumora_test::runProgram("rasdial", {"Provider"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("Remotezugriffsfehler 691"), std::string::npos) << refused.out;
}

TEST_F(Dial, RasdialReportsAWrongPasswordWithItsGermanText) {
    setMachineText("System\\Lumora\\Provider\\Accounts", "kunde", "geheim");
    const auto refused = lumora_test::runProgram("rasdial", {"Provider", "kunde", "falsch"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("Remotezugriffsfehler 691 - Der Zugriff wurde verweigert, da "
                               "Benutzername und/oder Kennwort in der Domäne ungültig ist."),
              std::string::npos)
        << refused.out;
    EXPECT_TRUE(connectionNames().empty());
}

}  // namespace
