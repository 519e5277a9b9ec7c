// The demo wizard on a display of its own, driven by keys as a user drives it, with the helper
// stand-ins as real processes reporting through the registered messages.
#include "wizard_process.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>

using namespace wizard_test;

namespace {

struct DemoWizard : ::testing::Test {
    lumora_test::XvfbServer display;
    std::string program = programFolder({"cm_32", "clear", "rbtnt", "BR_32_IE", "BR_32_NC"});
    void SetUp() override {
        if (!display.start()) GTEST_SKIP() << "no Xvfb";
        setWindowsVersion("2000");
    }
    bool shown(const char* page) { return traceShows(program, std::string("page ") + page + " shown"); }
    std::string variable(const char* key) {
        char value[64] = {};
        GetPrivateProfileStringA("variables", key, "<absent>", value, sizeof value, "lumora.dat");
        return value;
    }
};

TEST_F(DemoWizard, RunsTheShippedSequenceToTheEmulatedRestart) {
    const pid_t wizard = startWizard(program, program, {});
    ASSERT_TRUE(shown("131 (index 0)")) << readFile(program + "trace.txt");
    // Next starts the check helper, whose end moves the wizard on to the browser choice.
    pressKey("Return");
    ASSERT_TRUE(traceShows(program, "helper \"cm_32.exe lumora\""));
    ASSERT_TRUE(shown("149 (index 1)")) << readFile(program + "trace.txt");
    pressKey("Return");  // install Internet Explorer (no browser is installed)
    ASSERT_TRUE(shown("137 (index 2)"));
    pressKey("Return");  // the first install option
    ASSERT_TRUE(shown("146 (index 3)"));
    pressKey("Return");
    // The progress page runs the installer at once and goes on when it reports its end.
    ASSERT_TRUE(shown("139 (index 4)"));
    ASSERT_TRUE(traceShows(program, "helper \"BR_32_IE.exe lumora install\""));
    ASSERT_TRUE(shown("140 (index 5)")) << readFile(program + "trace.txt");
    pressKey("Return");  // Finish, restart now
    EXPECT_EQ(waitWizard(wizard), 0);

    EXPECT_EQ(variable("InstallOption"), "Minimal");
    EXPECT_EQ(variable("NewUser"), "0");
    EXPECT_EQ(variable("Microsoft Internet Explorer Version"), "");
    // A normal end: no clean-up, the restart stand-in started (hidden) and counted.
    EXPECT_EQ(readFile(program + "trace.txt").find("clear.exe"), std::string::npos);
    DWORD restarts = 0;
    for (int i = 0; i < 100 && restarts == 0; ++i, Sleep(100)) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Lumora\\EmulatedRestart", 0, KEY_READ, &key) == ERROR_SUCCESS) {
            DWORD size = sizeof restarts;
            RegQueryValueExA(key, "Restarts", nullptr, nullptr, reinterpret_cast<BYTE*>(&restarts), &size);
            RegCloseKey(key);
        }
    }
    EXPECT_EQ(restarts, 1u);
}

TEST_F(DemoWizard, OnlyAConfirmedCancelEndsTheWizardAndRunsTheCleanUpWithTheShortName) {
    const pid_t wizard = startWizard(program, program, {});
    ASSERT_TRUE(shown("131 (index 0)"));
    pressKey("Escape");  // the sheet's Cancel: the question
    ASSERT_TRUE(traceShows(program, "cancel question"));
    pressKey("Escape");  // closing the question any other way keeps the wizard
    ASSERT_TRUE(traceShows(program, "cancel declined"));
    Sleep(500);
    int status = 0;
    EXPECT_EQ(::waitpid(wizard, &status, WNOHANG), 0) << "the wizard ended";
    pressKey("Escape");
    ASSERT_TRUE(traceShows(program, "cancel question", 5, 2));
    pressKey("Tab");  // from Back to the question's Cancel
    pressKey("Return");
    ASSERT_TRUE(traceShows(program, "cancel confirmed")) << readFile(program + "trace.txt");
    EXPECT_EQ(waitWizard(wizard), 0);
    EXPECT_TRUE(traceShows(program, "helper \"clear.exe lumora\"", 1));
    // The clean-up stand-in removes the variables file the start-up wrote.
    std::string userName = "?";
    for (int i = 0; i < 100 && userName != "<absent>"; ++i, Sleep(100)) userName = variable("Username");
    EXPECT_EQ(userName, "<absent>");
}

TEST_F(DemoWizard, OnWindowsNt4TheCheckEndsWithARestartAndTheWizardResumesAtTheDeviceList) {
    setWindowsVersion("NT4");
    const pid_t wizard = startWizard(program, program, {});
    ASSERT_TRUE(shown("131 (index 0)"));
    pressKey("Return");
    // The check helper asks for the resume through RunOnce and reports its end; the page then
    // tells the user about the restart and ends the wizard in order.
    ASSERT_TRUE(traceShows(program, "system check: restart")) << readFile(program + "trace.txt");
    pressKey("Return");
    EXPECT_EQ(waitWizard(wizard), 0);
    // The emulated restart runs the RunOnce entry: the wizard again, at the device choice page's
    // index, which the resume rule turns into the device list with manual selection.
    ASSERT_TRUE(traceShows(program, "start page: 2")) << readFile(program + "trace.txt");
    ASSERT_TRUE(shown("135 (index 2)"));
    EXPECT_EQ(variable("InstallStdModem"), "0");
    EXPECT_EQ(readFile(program + "trace.txt").find("page 133"), std::string::npos);
    // That wizard is not this test's child: it is ended as a user ends it.
    pressKey("Escape");
    ASSERT_TRUE(traceShows(program, "cancel question"));
    pressKey("Tab");
    pressKey("Return");
    EXPECT_TRUE(traceShows(program, "helper \"clear.exe lumora\""));
}

}  // namespace
