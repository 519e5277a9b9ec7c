// The demo wizard on a display of its own, driven by keys as a user drives it, with the helper
// stand-ins as real processes reporting through the registered messages.
#include "modem_sim.h"
#include "wizard_process.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <functional>

using namespace wizard_test;

namespace {

struct DemoWizard : ::testing::Test {
    lumora_test::XvfbServer display;
    std::string program =
        programFolder({"cm_32", "clear", "rbtnt", "BR_32_IE", "BR_32_NC", "regedit", "modcfg", "mdm"});
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

std::string registryText(const char* path, const char* name) {
    char value[128] = {};
    DWORD size = sizeof value - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<absent>";
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? value : "<absent>";
}

// The demo machine: Windows 98, an ISDN card among the dial devices, the pseudo-terminal modem on
// COM3 and nothing on the other ports.
TEST_F(DemoWizard, FindsTheModemSetsTheLocationInstallsABrowserAndEndsAtTheRestart) {
    setWindowsVersion("98");
    addDialDevice("ISDN-Karte PCI", "isdn");
    for (const char* file : {"mdm.reg", "isdndevs.dat"})
        std::filesystem::copy_file(std::string(LUMORA_WIZARD_DEPLOY "/") + file, program + file);
    // COM1 holds a modem that never answers; the searches wait there for its time-outs.
    ModemSim silent(1, "silent");
    ModemSim modem(3, "ok");
    ASSERT_TRUE(modem.running() && silent.running());

    const pid_t wizard = startWizard(program, program, {});
    ASSERT_TRUE(shown("131 (index 0)")) << readFile(program + "trace.txt");
    // The check probes the ports, finds the modem on COM3 and prepares the standard modem for it.
    pressKey("Return");
    ASSERT_TRUE(traceShows(program, "system check: port 3, command \"&F1\"")) << readFile(program + "trace.txt");
    ASSERT_TRUE(shown("133 (index 1)")) << readFile(program + "trace.txt");
    EXPECT_TRUE(traceShows(program, "device choice: port 3, ISDN device \"ISDN-Karte PCI\", finding 0"));
    EXPECT_EQ(registryText("System\\CurrentControlSet\\Services\\Class\\Modem\\STDMOD", "AttachedTo"), "COM3");
    // The repeat search finds it again and shows the page anew. The window takes no input while
    // it searches: Escape meanwhile asks nothing.
    pressKey("alt+y");
    pressKey("Escape");
    ASSERT_TRUE(traceShows(program, "device search: port 3, command \"&F1\"")) << readFile(program + "trace.txt");
    ASSERT_TRUE(traceShows(program, "device choice: port 3", 30, 2));
    Sleep(500);
    EXPECT_EQ(readFile(program + "trace.txt").find("cancel question"), std::string::npos);
    // Manual selection leads to the list of the dial-up engine's devices: the standard modem the
    // check set up, and the ISDN card.
    pressKey("alt+s");
    pressKey("Return");
    ASSERT_TRUE(shown("135 (index 2)")) << readFile(program + "trace.txt");
    EXPECT_TRUE(traceShows(program, "device list: 2 devices, 2 with a telephony icon"));
    pressKey("Down");
    pressKey("Up");
    pressKey("Return");
    // The location page: the prefix's location, corrected by the user.
    ASSERT_TRUE(shown("132 (index 3)")) << readFile(program + "trace.txt");
    pressKey("alt+o");
    pressKey("ctrl+a");
    for (const char* digit : {"2", "2", "1"}) pressKey(digit);
    pressKey("alt+m");
    pressKey("0");
    pressKey("alt+i");  // pulse dialling
    pressKey("Return");
    // The demo machine has a browser control too new to install again: the preset is to install
    // the other browser, whose installer runs with its progress and animation.
    ASSERT_TRUE(shown("149 (index 4)")) << readFile(program + "trace.txt");
    pressKey("Return");
    ASSERT_TRUE(shown("137 (index 5)"));
    pressKey("Return");
    ASSERT_TRUE(shown("146 (index 6)"));
    pressKey("Return");
    ASSERT_TRUE(shown("139 (index 7)"));
    ASSERT_TRUE(traceShows(program, "helper \"BR_32_NC.exe lumora install\"")) << readFile(program + "trace.txt");
    ASSERT_TRUE(shown("140 (index 8)")) << readFile(program + "trace.txt");
    const std::string trace = readFile(program + "trace.txt");
    EXPECT_NE(trace.find("progress: frame 1\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("progress: frame 7\n"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("progress: frame 8\n"), std::string::npos) << "eight frames: index 0 to 7";
    pressKey("Return");  // Finish, restart now
    EXPECT_EQ(waitWizard(wizard), 0);

    EXPECT_EQ(variable("ComPort"), "3");
    EXPECT_EQ(variable("RasDeviceName"), "Lumora Online-Standard-Modem");
    EXPECT_EQ(variable("IsdnInUse"), "0");
    EXPECT_EQ(variable("InstallStdModem"), "0");
    EXPECT_EQ(variable("OKZ"), "221");
    EXPECT_EQ(variable("AKZ"), "0");
    EXPECT_EQ(variable("Tonwahl"), "0");
    EXPECT_EQ(variable("Land").substr(0, 12), "Deutschland ");
    EXPECT_EQ(variable("InstallOption"), "Standard");
    char location[256] = {};
    GetPrivateProfileStringA("Locations", "Location1", "", location, sizeof location, "telephon.ini");
    // Area code and outside line as typed, the country kept, pulse dialling (the 1 before the end).
    EXPECT_STREQ(location, "1,\"Standardstandort\",\"0\",\"0\",\"221\",49,0,0,0,\"\",1,\" \"");
    // The installer stand-in registered the browser in the prefix only.
    EXPECT_EQ(registryText("SOFTWARE\\Netscape\\Netscape Navigator", "CurrentVersion"), "4.75 (de)");
    // A normal end: no clean-up, the restart stand-in started (hidden) and counted.
    EXPECT_EQ(readFile(program + "trace.txt").find("clear.exe"), std::string::npos);
    DWORD restarts = 0;
    for (int i = 0; i < 100 && restarts == 0; ++i, Sleep(100)) {
        HKEY restart = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Lumora\\EmulatedRestart", 0, KEY_READ, &restart) == ERROR_SUCCESS) {
            DWORD size = sizeof restarts;
            RegQueryValueExA(restart, "Restarts", nullptr, nullptr, reinterpret_cast<BYTE*>(&restarts), &size);
            RegCloseKey(restart);
        }
    }
    EXPECT_EQ(restarts, 1u);
}

// Whether a window of this title is on the screen (mapped), as xdotool finds it.
bool windowShown(const char* title) {
    const std::string command = std::string("xdotool search --onlyvisible --name '^") + title + "$' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 150; ++i, Sleep(100))
        if (condition()) return true;
    return false;
}

// The device list's "Modem-Assistent": the modem installation program (its stand-in) runs while
// the wizard is out of sight; afterwards the wizard is back and lists the modem it installed.
TEST_F(DemoWizard, TheModemInstallationHidesTheWizardWhileItRunsAndItsModemIsListedAfterwards) {
    setWindowsVersion("98");
    addDialDevice("ISDN-Karte PCI", "isdn");
    // Resumed at the device list, as after the restart of Windows NT 4.
    const pid_t wizard = startWizard(program, program, {"-p", "02"});
    ASSERT_TRUE(shown("135 (index 2)")) << readFile(program + "trace.txt");
    ASSERT_TRUE(traceShows(program, "device list: 1 devices")) << readFile(program + "trace.txt");
    ASSERT_TRUE(waitFor([] { return windowShown("Wizard"); }));
    // From the list past "Eigenschaften" to "Modem-Assistent", pressed with Enter.
    pressKey("Tab");
    pressKey("Tab");
    pressKey("Return");
    ASSERT_TRUE(traceShows(program, "modem installation \"mdm.exe\": started")) << readFile(program + "trace.txt");
    ASSERT_TRUE(waitFor([] { return windowShown("Modem-Assistent"); }));
    EXPECT_FALSE(windowShown("Wizard")) << "the wizard stays hidden while the installation runs";
    // The stand-in's dialog: the second port, OK.
    pressKey("Down");
    pressKey("Return");
    ASSERT_TRUE(traceShows(program, "modem installation ended: wizard shown")) << readFile(program + "trace.txt");
    EXPECT_TRUE(waitFor([] { return windowShown("Wizard"); }));
    EXPECT_FALSE(windowShown("Modem-Assistent"));
    EXPECT_TRUE(traceShows(program, "device list: 2 devices")) << readFile(program + "trace.txt");
    EXPECT_EQ(registryText("System\\CurrentControlSet\\Services\\Class\\Modem\\0000", "AttachedTo"), "COM2");
    // The refreshed list offers the new modem (modems come first): choosing it and going on
    // makes it the dial device.
    pressKey("Down");
    pressKey("Up");
    pressKey("Return");
    ASSERT_TRUE(shown("132 (index 3)")) << readFile(program + "trace.txt");
    EXPECT_EQ(variable("RasDeviceName"), "Standardmodem an COM2") << readFile(program + "trace.txt");
    EXPECT_EQ(variable("IsdnInUse"), "0");
    pressKey("Escape");
    ASSERT_TRUE(traceShows(program, "cancel question"));
    pressKey("Tab");
    pressKey("Return");
    EXPECT_EQ(waitWizard(wizard), 0);
}

// The second demo configuration, read with "-f" from a medium folder that also holds the
// phonebook the variables file names: the node page, then one region's access numbers at a time.
TEST_F(DemoWizard, TheNodeVariantStoresTheAccessNumberChosenInTheRegionsList) {
    const std::string medium = lumora_test::scratchDir();
    std::filesystem::copy_file(lumora_test::binaryDir() + "nodes.ovb", medium + "nodes.ovb");
    for (const char* file : {"lumora.pbr", "lumora.pbk"})
        std::filesystem::copy_file(std::string(LUMORA_WIZARD_DEPLOY "/") + file, medium + file);
    WritePrivateProfileStringA("variables", "kundek", "lumora", "lumora.dat");
    // Internet Explorer's handling off: Netscape's choices take the browser page's first places.
    const pid_t wizard = startWizard(program, medium, {"-f", "nodes.ovb", "-p", "00", "-IE"});
    auto shownHere = [&](const char* page) { return traceShows(medium, std::string("page ") + page + " shown"); };
    ASSERT_TRUE(shownHere("131 (index 0)")) << readFile(medium + "trace.txt");
    pressKey("Return");
    ASSERT_TRUE(shownHere("134 (index 1)")) << readFile(medium + "trace.txt");
    // Without a node chosen Next does nothing.
    pressKey("Return");
    Sleep(700);
    EXPECT_EQ(readFile(medium + "trace.txt").find("page 154"), std::string::npos);
    pressKey("Down");
    pressKey("Return");
    ASSERT_TRUE(shownHere("154 (index 2)")) << readFile(medium + "trace.txt");
    EXPECT_TRUE(traceShows(medium, "region page: phonebook \"lumora\" loaded, 3 regions"));
    // The sorted list: Hamburg, K\xf6ln, M\xfcnchen; the arrow key moved to the second.
    EXPECT_EQ(variable("PopName"), "Lumora K\xf6ln") << "the node page's choice, second text and name";
    pressKey("alt+r");
    pressKey("Down");  // the second region, "S\xfcd"
    pressKey("alt+e");
    pressKey("Down");  // its second number
    pressKey("Return");
    ASSERT_TRUE(shownHere("149 (index 3)")) << readFile(medium + "trace.txt");
    EXPECT_EQ(variable("PopName"), "N\xfcrnberg");
    EXPECT_EQ(variable("PopNumber"), "+49 (911) 19233004");
    const std::string trace = readFile(medium + "trace.txt");
    EXPECT_NE(trace.find("browser choice: IE \"\" (code 0)"), std::string::npos) << trace;
    EXPECT_NE(trace.find(", preset 3\n"), std::string::npos) << trace;
    pressKey("Return");
    ASSERT_TRUE(shownHere("137 (index 4)")) << readFile(medium + "trace.txt");
    pressKey("Return");
    ASSERT_TRUE(shownHere("146 (index 5)")) << readFile(medium + "trace.txt");
    EXPECT_EQ(variable("InstallOption"), "Standard") << "Netscape's first install option";
    pressKey("Escape");
    ASSERT_TRUE(traceShows(medium, "cancel question"));
    pressKey("Tab");
    pressKey("Return");
    EXPECT_EQ(waitWizard(wizard), 0);
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
