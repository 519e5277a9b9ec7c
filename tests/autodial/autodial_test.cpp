// The custom-dial library on Linux as the dial-up networking folder meets it: a real rasdial dials
// the provider's entry, registered by makeAutoDial, and the library (libardial32.so) starts the
// browser center - here a stand-in that answers as the test says - and returns its outcome.
#include "auto_dial.h"
#include "machine_registry.h"
#include "ras_api.h"
#include "registry.h"
#include "testenv.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

namespace {

constexpr const char* kEntry = "Lumora Online";
constexpr const char* kStandIn = "Software\\LumoraTest\\DialerStandIn";
constexpr const char* kEntryKey = "Software\\Tarnwell\\AutoDial\\Lumora Online";

struct RasdialRun {
    int code = -1;
    std::string output;
};

// Runs rasdial with the entry; its exit code and what it printed.
RasdialRun rasdial(const char* entry) {
    RasdialRun run;
    const std::string command =
        "'" + lumora_test::builtProgram("rasdial") + "' '" + entry + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class CustomDial : public ::testing::Test {
protected:
    void SetUp() override {
        lumora_test::setMachineText("System\\Lumora\\RasDevices", "Simuliertes Modem", "modem");
        AutoDialSettings s;
        s.useRas = true;
        s.entryName = kEntry;
        s.phoneNumber = "+49 (0191) 011";
        s.deviceName = "Simuliertes Modem";
        // The library and the stand-in browser center lie in the folder of the built programs.
        s.programFolder = lumora_test::binaryDir();
        s.programFile = "dialer_standin";
        ASSERT_TRUE(makeAutoDial(s));
        unloadRasApi();
        regWriteString(kStandIn, "Entry", kEntry);
        regWriteDword(kStandIn, "Delay", 300);
    }
    static DWORD starts() { return regReadDword(kStandIn, "Starts", 0); }
};

}  // namespace

TEST_F(CustomDial, TwoRequestsAtOnceStartOneBrowserCenterAndShareItsOutcome) {
    regWriteString(kStandIn, "Outcome", "1");
    RasdialRun first, second;
    std::thread other([&] { second = rasdial(kEntry); });
    first = rasdial(kEntry);
    other.join();
    EXPECT_EQ(first.code, 0) << first.output;
    EXPECT_EQ(second.code, 0) << second.output;
    EXPECT_NE(first.output.find("Verbindung mit Lumora Online wurde hergestellt."),
              std::string::npos) << first.output;
    EXPECT_EQ(starts(), 1u);
    EXPECT_STREQ(regReadString(kEntryKey, "Connected", ""), "1");
}

TEST_F(CustomDial, ABrowserCenterEndingWithoutAnOutcomeFailsEveryWaitingRequest) {
    // The stand-in ends after its delay without writing "0" or "1".
    RasdialRun first, second;
    std::thread other([&] { second = rasdial(kEntry); });
    first = rasdial(kEntry);
    other.join();
    EXPECT_EQ(first.code, 1);
    EXPECT_NE(first.output.find("Remotezugriffsfehler 631"), std::string::npos) << first.output;
    EXPECT_NE(second.output.find("Remotezugriffsfehler 631"), std::string::npos) << second.output;
    EXPECT_EQ(starts(), 1u);
    EXPECT_STREQ(regReadString(kEntryKey, "Connected", ""), "0");
}

TEST_F(CustomDial, Windows98CallsTheAutoDialFunctionWhichReportsTheFailure) {
    lumora_test::setMachineText("System\\Lumora", "WindowsVersion", "98");
    AutoDialSettings s;
    s.useRas = true;
    s.entryName = kEntry;
    s.phoneNumber = "0191011";
    s.deviceName = "Simuliertes Modem";
    s.programFolder = lumora_test::binaryDir();
    s.programFile = "dialer_standin";
    ASSERT_TRUE(makeAutoDial(s));
    regWriteString(kStandIn, "Outcome", "0");
    const RasdialRun run = rasdial(kEntry);
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("Remotezugriffsfehler 631"), std::string::npos) << run.output;
    EXPECT_EQ(starts(), 1u);
}

TEST_F(CustomDial, AnEntryNeverRegisteredFailsAtOnceWithoutStartingAnything) {
    // The program path is missing: nothing is started.
    regDeleteValue(kEntryKey, "Name");
    regWriteString(kStandIn, "Outcome", "1");
    RasdialRun run = rasdial(kEntry);
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("Remotezugriffsfehler 631"), std::string::npos) << run.output;
    EXPECT_EQ(starts(), 0u);
}
