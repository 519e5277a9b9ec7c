// The wizard program from its start to its exit: where it finds its configuration, the pages it
// chooses, the resume rule, the variables file, the clean-up helper and the emulated restart.
#include "wizard_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace wizard_test;

namespace {

// The clean-up helper of the test blocks is cmdprobe: it records its command line in
// `record`.cmdprobe.
struct WizardFixture : ::testing::Test {
    std::string program = programFolder({"cmdprobe", "clear", "rbtnt", "cm_32"});
    std::string work = lumora_test::scratchDir();
    std::string record = work + "probe";
    void SetUp() override { setenv("LUMORA_PROBE_RECORD", record.c_str(), 1); }
    std::string cleanupLine() { return readFile(record + ".cmdprobe"); }
};

TEST_F(WizardFixture, StartedFromAnotherFolderItReadsTheConfigurationFileAndPlacesPagesByNumber) {
    ConfigBlock block = testBlock("cmdprobe.exe");
    CPageRecords& p = block.m_Pages;
    p.prufe.m_Order = 1;
    p.member.m_Order = 1;  // the same number as the system check, which comes first in the list
    p.ort.m_Order = 2;
    p.browser.m_Order = 3;
    p.reboot.m_Order = 3;
    p.welcome.m_Order = 4;
    p.option.m_Order = 100;  // above 99: never shown
    p.gerat.m_Order = 7;     // travels with the system check, its number is not used
    writeConfigFile(block, work + "wizard.ovb");
    setVariable("AKZ", "0");
    setVariable("OS", "Win");

    setWindowsVersion("NT4");
    WizardRun run = runWizard(program, work, {});
    EXPECT_NE(run.trace.find("pages: CPrufeStp CGeratStp CGeratFaulStp COrtStp CBrowserStp CWelcomeStp\n"),
              std::string::npos) << run.trace << run.err;
    EXPECT_NE(run.trace.find("start page: 0\n"), std::string::npos) << run.trace;
    // Every key the wizard writes is in the variables file; what helpers put there stays.
    for (const char* key : {"Username", "Password", "RasDeviceName", "InstallOption", "Rebirth", "Mixman",
                            "ComPort", "PopName", "PopNumber", "NewUser", "IsdnInUse", "InstallStdModem",
                            "InstallID", "Microsoft Internet Explorer Version", "Netscape Navigator Version"})
        EXPECT_NE(variable(key), "<absent>") << key;
    EXPECT_EQ(variable("NewUser"), "0") << "absent NewUser reads as an existing customer";
    EXPECT_EQ(variable("AKZ"), "0");
    EXPECT_EQ(variable("Tonwahl"), "<absent>") << "the wizard does not write the dialling mode";
    // Without a page shown the end is abnormal: the clean-up helper gets the short name.
    EXPECT_EQ(cleanupLine().substr(0, cleanupLine().find('\n')), "cmdprobe.exe kurz");

    // Windows 2000 leaves out the device pages and the location page. A "-f" name at the very
    // end of the command line (no blank after it) leaves "wizard.ovb" in force.
    setWindowsVersion("2000");
    run = runWizard(program, work, {"-f", "missing.ovb"});
    EXPECT_NE(run.trace.find("pages: CPrufeStp CBrowserStp CWelcomeStp\n"), std::string::npos) << run.trace;
}

TEST_F(WizardFixture, ResumedAtTheDeviceChoiceOnNtItStartsAtTheDeviceListWithManualSelection) {
    ConfigBlock block = testBlock("cmdprobe.exe");
    block.m_Pages.prufe.m_Order = 1;
    block.m_Pages.gerat.m_Order = 2;
    block.m_Pages.geratFaul.m_Order = 3;
    writeConfigFile(block, work + "other.ovb");
    setVariable("RasDeviceName", "ISDN-Karte");
    setVariable("InstallStdModem", "1");
    setVariable("StartPage", "1");
    setVariable("OS", "NT");
    setWindowsVersion("98");
    // "-p 01" names the device choice page; "-f" names the file (a blank follows it).
    WizardRun run = runWizard(program, work, {"-f", "other.ovb", "-p", "01"});
    EXPECT_NE(run.trace.find("start page: 2\n"), std::string::npos) << run.trace << run.err;
    EXPECT_EQ(variable("InstallStdModem"), "0");
    EXPECT_EQ(variable("RasDeviceName"), "");

    // Without "-p" the variables file's start page decides; "OS" other than "NT" on Windows 98
    // keeps it.
    setVariable("OS", "");
    setVariable("StartPage", "1");
    run = runWizard(program, work, {"-f", "other.ovb", "-IE"});
    EXPECT_NE(run.trace.find("start page: 1\n"), std::string::npos) << run.trace;
}

TEST_F(WizardFixture, AForeignOrDamagedConfigurationEndsBeforeAnyPageAndStartsNothing) {
    std::vector<BYTE> bytes = ::writeConfigFile(testBlock("cmdprobe.exe"));
    bytes[1] = 'X';
    std::ofstream(work + "wizard.ovb", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                               static_cast<std::streamsize>(bytes.size()));
    WizardRun run = runWizard(program, work, {});
    EXPECT_NE(run.err.find("Falsches Dateiformat !"), std::string::npos) << run.err;
    EXPECT_EQ(run.trace.find("pages:"), std::string::npos);

    // Cut inside the record, after the clean-up helper: still nothing of it is used.
    bytes = ::writeConfigFile(testBlock("cmdprobe.exe"));
    bytes.resize(bytes.size() - 10);
    std::ofstream(work + "wizard.ovb", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    run = runWizard(program, work, {});
    EXPECT_NE(run.err.find("ends early"), std::string::npos) << run.err;
    EXPECT_EQ(run.trace.find("pages:"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(record + ".cmdprobe")) << cleanupLine();
}

TEST_F(WizardFixture, TheBuiltProgramCarriesTheDemoBlockAndTheStandInsCleanUpAndRestart) {
    // In its own folder the program reads its appended block: the demo provider, short name
    // "lumora", whose clean-up stand-in removes the variables file after the abnormal end.
    setWindowsVersion("2000");
    WritePrivateProfileStringA("variables", "Username", "vorher", "lumora.dat");
    WizardRun run = runWizard(program, program, {});
    EXPECT_NE(run.trace.find("pages: CPrufeStp CBrowserStp COptionStp CLicenceStp CProgressStp CRebootStp\n"),
              std::string::npos) << run.trace << run.err;
    EXPECT_NE(run.trace.find("helper \"clear.exe lumora\""), std::string::npos) << run.trace;
    // The demo's clean-up helper is not waited for.
    char value[16] = {};
    for (int i = 0; i < 100; ++i, Sleep(50)) {
        GetPrivateProfileStringA("variables", "Username", "<absent>", value, sizeof value, "lumora.dat");
        if (std::string(value) == "<absent>") break;
    }
    EXPECT_STREQ(value, "<absent>");

    // The emulated restart counts the request and runs (and removes) the RunOnce entries.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char command[] = "cmdprobe.exe -p 01";
    RegSetValueExA(key, "Wizard", 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof command);
    RegCloseKey(key);
    ASSERT_EQ(std::system((program + "rbtnt").c_str()), 0);
    for (int i = 0; i < 100 && !std::filesystem::exists(record + ".cmdprobe"); ++i) Sleep(50);
    EXPECT_EQ(cleanupLine().substr(0, cleanupLine().find('\n')), "cmdprobe.exe -p 01");
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    char name[64];
    DWORD nameSize = sizeof name;
    EXPECT_NE(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    DWORD restarts = 0, size = sizeof restarts;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Lumora\\EmulatedRestart", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegQueryValueExA(key, "Restarts", nullptr, nullptr, reinterpret_cast<BYTE*>(&restarts), &size);
    RegCloseKey(key);
    EXPECT_EQ(restarts, 1u);
}

}  // namespace
