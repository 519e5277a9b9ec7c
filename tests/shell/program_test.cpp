// The program itself, in real processes: the version import end to end, and the instance
// counter that the program shares with other processes deciding who starts the updater.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "instance_counter.h"
#include "probe_calls.h"
#include "process.h"
#include "registry.h"
#include "text.h"
#include "testenv.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace {

// A copy of the program in an install folder of its own (with the libraries it needs beside
// it); empty when this build has no program (the test build for Windows).
std::string installProgram(const std::string& folder) {
    fs::path program = lumora_test::builtProgram("lumora");
    if (!fs::exists(program)) return std::string();
    fs::path target = fs::path(folder) / program.filename();
    fs::copy_file(program, target);
    copyProgramLibraries(folder);
    return target.string();
}

DWORD runLumora(const std::string& program, const char* arguments) {
    std::string line = "\"" + program + "\" " + arguments;
    DWORD code = 0xFFFF;
    EXPECT_TRUE(runProgram(program.c_str(), line.c_str(), SW_SHOW, true, &code));
    return code;
}

}  // namespace

TEST(Program, AnInstallFolderTooLongForThePathBuffersRefusesToStart) {
#ifdef _WIN32
    GTEST_SKIP() << "the system's process start refuses so long a path itself";
#else
    // 260 characters and more: the system cuts the program's path.
    const std::string folder = lumora_test::scratchDir() + std::string(200, 'a') + "/" +
                               std::string(60, 'b') + "/";
    fs::create_directories(folder);
    std::string program = installProgram(folder);
    if (program.empty()) GTEST_SKIP() << "this build has no browser center program";
    // Started from a shell in a folder of the caller's; without a display the refusal is told
    // on standard error instead of in a box waiting for a click.
    const std::string caller = lumora_test::scratchDir();
    const std::string output = lumora_test::scratchDir() + "out.txt";
    const int status = std::system(("cd '" + caller + "' && DISPLAY= '" + program + "' 2>'" +
                                    output + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream said(output);
    std::string message((std::istreambuf_iterator<char>(said)), std::istreambuf_iterator<char>());
    EXPECT_NE(message.find("Pfad seines Ordners ist zu lang"), std::string::npos) << message;
    // Nothing was written as a program without a name: no "Installed" straight under
    // "Software", no files in the caller's folder.
    EXPECT_EQ(regReadString("Software", "Installed", nullptr), nullptr);
    EXPECT_TRUE(fs::is_empty(caller));
#endif
}

TEST(Program, ImportIniWritesOneValuePerKeyAndEnds) {
    std::string folder = lumora_test::scratchDir();
    std::string program = installProgram(folder);
    if (program.empty()) GTEST_SKIP() << "this build has no browser center program";
    std::ofstream(folder + "update.ini")
        << "[Update]\nlumora.exe=4\ndefhtml.dat=12\nupdate.ini=7\n[Other]\nx=1\n";

    EXPECT_EQ(runLumora(program, "-importini"), 0u);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\lumora\\Updates", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD values = 0;
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(values, 3u);
    EXPECT_STREQ(regReadString("Software\\lumora\\Updates", "lumora.exe", "-"), "4");
    EXPECT_STREQ(regReadString("Software\\lumora\\Updates", "defhtml.dat", "-"), "12");
    EXPECT_STREQ(regReadString("Software\\lumora\\Updates", "update.ini", "-"), "7");
}

TEST(Program, OnlyTheLastProcessStartsTheReplacements) {
    std::string folder = lumora_test::scratchDir();
    std::string program = installProgram(folder);
    if (program.empty()) GTEST_SKIP() << "this build has no browser center program";
    installUpdaterProbe(folder);
    std::string fileName = fs::path(program).filename().string();
    std::ofstream(folder + "_" + fileName) << "new program";
    std::ofstream(folder + "_Ardial32.dll") << "new library";

    // This process counts as a second browser center: the program is not the last one.
    InstanceCounter other("lumora");
    ASSERT_EQ(other.attach(), 1);
    EXPECT_EQ(runLumora(program, "-importini"), 0u);
    EXPECT_EQ(other.read(), 1);  // the program counted itself in and out again
    EXPECT_EQ(other.release(), 0);

    EXPECT_EQ(runLumora(program, "-importini"), 0u);
    // The program names its folder in lower case, as it takes its own path; Windows reports the
    // temporary folder the test runs in with capitals ("C:\\users\\...\\Temp\\").
    const std::string inst = lowerText(folder);
    std::vector<std::string> expected = {
        "-r\"" + inst + "_Ardial32.dll\" -l\"" + inst + "Ardial32.dll\" -x\"3\"",
        "-r\"" + inst + "_" + lowerText(fileName) + "\" -l\"" + lowerText(program) + "\" -x\"3\""};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(waitForProbeCalls(folder, 2), expected);
}

TEST(Program, ALaterInstanceRestoresAConfigFolderThatWasRemoved) {
    // An installation copied anew while a browser center of it runs: the packed status pages
    // are there, their folder is gone, and this process counts as the running browser center.
    std::string folder = lumora_test::scratchDir();
    std::string program = installProgram(folder);
    if (program.empty()) GTEST_SKIP() << "this build has no browser center program";
    fs::copy_file(lumora_test::binaryDir() + "config.dat", folder + "config.dat");
    InstanceCounter other("lumora");
    ASSERT_EQ(other.attach(), 1);
    // A machine whose browser control is too old for the pages: a later instance of the dialog
    // fallback ends at once, without a dialog, once the pages have been dealt with.
    const char* ieKey = "SOFTWARE\\Microsoft\\Internet Explorer";
    const char* iePaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
    regWriteString(iePaths, "Path", "C:\\Programme\\Internet Explorer;", HKEY_LOCAL_MACHINE);
    regWriteString(ieKey, "Version", "4.71.1712.6", HKEY_LOCAL_MACHINE);

    EXPECT_EQ(runLumora(program, ""), 0u);
    EXPECT_TRUE(fs::exists(folder + "config/dial.htm"));

    // A folder that is there belongs to the running instance's pages: a later one keeps it.
    fs::remove(folder + "config/dial.htm");
    EXPECT_EQ(runLumora(program, ""), 0u);
    EXPECT_FALSE(fs::exists(folder + "config/dial.htm"));
    EXPECT_EQ(other.release(), 0);
    regDeleteValue(ieKey, "Version", HKEY_LOCAL_MACHINE);
    regDeleteValue(iePaths, "Path", HKEY_LOCAL_MACHINE);
}
