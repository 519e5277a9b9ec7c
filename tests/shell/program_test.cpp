// The program itself, in real processes: the version import end to end, and the instance
// counter that the program shares with other processes deciding who starts the updater.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "instance_counter.h"
#include "probe_calls.h"
#include "process.h"
#include "registry.h"
#include "testenv.h"

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
    std::vector<std::string> expected = {
        "-r\"" + folder + "_Ardial32.dll\" -l\"" + folder + "Ardial32.dll\" -x\"3\"",
        "-r\"" + folder + "_" + fileName + "\" -l\"" + program + "\" -x\"3\""};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(waitForProbeCalls(folder, 2), expected);
}
