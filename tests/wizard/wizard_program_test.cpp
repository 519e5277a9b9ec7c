// The built wizard program on both targets (under Wine on Windows): started from another folder
// it reads that folder's wizard.ovb, writes the variables file and, having no page to show, ends as
// if cancelled: the clean-up helper gets the short name.
#include "config_block.h"
#include "testenv.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

TEST(WizardProgram, StartedElsewhereItReadsWizardOvbAndCleansUpAfterShowingNoPage) {
    const std::string work = lumora_test::scratchDir();
    // A short name of this run's own: under Wine the runs share the Windows folder.
    std::string shortName = lumora_test::uniqueKey("w");
    shortName = shortName.substr(shortName.rfind('\\') + 1);
    ConfigBlock block;
    block.m_Version = 21;
    block.m_Data.m_ShortName = shortName;
    block.m_Data.m_CleanupHelper = {"cmdprobe.exe", SW_HIDE, 1};  // no page has a number
    const std::vector<BYTE> bytes = writeConfigFile(block);
    std::ofstream(work + "wizard.ovb", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const std::string record = work + "probe";
    SetEnvironmentVariableA("LUMORA_PROBE_RECORD", record.c_str());

    const std::string program = lumora_test::builtProgram(lumora_test::onLinux() ? "orvane" : "Orvane");
    std::string line = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               work.c_str(), &startup, &process))
        << GetLastError();
    CloseHandle(process.hThread);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    CloseHandle(process.hProcess);

    // The clean-up helper was waited for (its wait flag), with the short name appended.
    std::ifstream in(record + ".cmdprobe");
    std::string commandLine;
    std::getline(in, commandLine);
    EXPECT_EQ(commandLine, "cmdprobe.exe " + shortName);
    const std::string file = shortName + ".dat";
    char value[64] = {};
    for (const char* key : {"Username", "RasDeviceName", "NewUser", "InstallStdModem", "InstallID",
                            "Netscape Navigator Version"}) {
        GetPrivateProfileStringA("variables", key, "<absent>", value, sizeof value, file.c_str());
        EXPECT_STRNE(value, "<absent>") << key;
    }
    GetPrivateProfileStringA("variables", "NewUser", "", value, sizeof value, file.c_str());
    EXPECT_STREQ(value, "0");
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    DeleteFileA((std::string(windows) + "\\" + file).c_str());
}

}  // namespace
