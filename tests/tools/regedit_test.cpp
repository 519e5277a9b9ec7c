// tools/regedit: importing scripts into the prefix's registry and exporting keys, run as the
// program the wizard starts.
#include <windows.h>

#include <gtest/gtest.h>

#include "prefix.h"
#include "run_program.h"
#include "testenv.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

using lumora_test::runProgram;

std::string writeScript(const std::string& text, const char* name = "script.reg") {
    const std::string path = lumora_test::scratchDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

struct Queried {
    LSTATUS status;
    DWORD type;
    std::string data;
};

Queried query(const std::string& keyPath, const char* name) {
    HKEY key = nullptr;
    Queried result{RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key), REG_NONE, {}};
    if (result.status != ERROR_SUCCESS) return result;
    char data[512];
    DWORD size = sizeof data;
    result.status = RegQueryValueExA(key, name, nullptr, &result.type, reinterpret_cast<BYTE*>(data), &size);
    if (result.status == ERROR_SUCCESS) result.data.assign(data, size);
    RegCloseKey(key);
    return result;
}

bool keyExists(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

TEST(Regedit, ImportedScriptsExportAndImportBackUnchanged) {
    const std::string path = lumora_test::uniqueKey("regedit");
    const std::string root = "HKEY_CURRENT_USER\\" + path;
    std::string longList = "7f";
    for (int i = 1; i < 100; ++i) longList += ",7f";
    const std::string script = "REGEDIT4\r\n\r\n; all kinds of entries\r\n[" + root + "]\r\n" +
                               "@=\"default\"\r\n"
                               "\"Text\"=\"quote \\\" and back\\\\slash and \xe4\"\r\n"
                               "\"Number\"=dword:0000002a\r\n"
                               "\"Bytes\"=hex:00,01,fe,ff\r\n"
                               "\"Multi\"=hex(7):61,00,62,00,\\\r\n  00\r\n"
                               "\r\n[" + root + "\\Sub Key]\r\n"
                               "\"Long\"=hex:" + longList + "\r\n";
    auto imported = runProgram("regedit", {"/s", writeScript(script)});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "");
    EXPECT_EQ(query(path, "Text").data, std::string("quote \" and back\\slash and \xe4") + '\0');
    EXPECT_EQ(query(path, "Number").type, DWORD(REG_DWORD));
    EXPECT_EQ(query(path, "Multi").data, std::string("a\0b\0\0", 5));
    EXPECT_EQ(query(path + "\\Sub Key", "Long").data, std::string(100, '\x7f'));

    // Values the string forms cannot carry come back through hex.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcX"), 3),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Lines", 0, REG_SZ, reinterpret_cast<const BYTE*>("a\r\nb"), 5),
              ERROR_SUCCESS);
    RegCloseKey(key);

    const std::string dir = lumora_test::scratchDir();
    auto exported = runProgram("regedit", {"/e", dir + "first.reg", root});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    auto removed = runProgram("regedit", {"-S", writeScript("REGEDIT4\r\n[-" + root + "]\r\n", "del.reg")});
    ASSERT_EQ(removed.exitCode, 0) << removed.err;
    ASSERT_FALSE(keyExists(path));

    auto reimported = runProgram("regedit", {"/S", dir + "first.reg"});
    ASSERT_EQ(reimported.exitCode, 0) << reimported.err;
    EXPECT_EQ(query(path, "Unterminated").data, "abc");
    EXPECT_EQ(query(path, "Lines").data, std::string("a\r\nb", 5));
    EXPECT_EQ(query(path, "").data, std::string("default", 8));
    auto again = runProgram("regedit", {"/e", dir + "second.reg", root});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(lumora_test::readWholeFile(dir + "second.reg"), lumora_test::readWholeFile(dir + "first.reg"));
}

TEST(Regedit, AMalformedScriptIsReportedAndAppliesNothing) {
    const std::string kept = lumora_test::uniqueKey("kept");
    const std::string fresh = lumora_test::uniqueKey("fresh");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kept.c_str(), &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string script = "REGEDIT4\n"
                               "\n"
                               "[-HKEY_CURRENT_USER\\" + kept + "]\n"
                               "[HKEY_CURRENT_USER\\" + fresh + "]\n"
                               "\"a\"=\"b\"\n"
                               "\"n\"=dword:00000001\n"
                               "\"bad\"=dword:xyz\n"
                               "\"c\"=\"d\"\n";
    auto result = runProgram("regedit", {"/s", writeScript(script)});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("line 7"), std::string::npos) << result.err;
    EXPECT_FALSE(keyExists(fresh));
    EXPECT_EQ(query(kept, "v").data, std::string("1", 2));
}

TEST(Regedit, OptionsIgnoreCaseAndOnlyTheSilentImportIsQuiet) {
    const std::string path = lumora_test::uniqueKey("options");
    const std::string file = writeScript("REGEDIT4\n[HKEY_CURRENT_USER\\" + path + "]\n\"x\"=\"1\"\n");
    auto loud = runProgram("regedit", {file});
    EXPECT_EQ(loud.exitCode, 0) << loud.err;
    EXPECT_NE(loud.out.find(file), std::string::npos) << loud.out;
    auto quiet = runProgram("regedit", {"-s", file});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(runProgram("regedit", {"/x", file}).exitCode, 2);
    EXPECT_EQ(runProgram("regedit", {"/E"}).exitCode, 2);
    auto missing = runProgram("regedit", {"/s", lumora_test::scratchDir() + "missing.reg"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("missing.reg"), std::string::npos);
    auto noKey = runProgram("regedit", {"/e", lumora_test::scratchDir() + "x.reg", "HKCU\\No\\Such\\Key"});
    EXPECT_EQ(noKey.exitCode, 1);
}

TEST(Regedit, WindowsPathsNameFilesInThePrefix) {
    const std::string path = lumora_test::uniqueKey("drive");
    std::ofstream(winapi::prefixFile("temp/Import.reg"), std::ios::binary)
        << "REGEDIT4\r\n[HKEY_CURRENT_USER\\" << path << "]\r\n\"where\"=\"prefix\"\r\n";
    auto result = runProgram("regedit", {"/s", "C:\\TEMP\\import.reg"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(query(path, "where").data, std::string("prefix", 7));

    auto exported = runProgram("regedit", {"/e", "C:\\temp\\Export.reg", "HKEY_CURRENT_USER\\" + path});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_NE(lumora_test::readWholeFile(winapi::prefixFile("temp/Export.reg")).find("\"where\"=\"prefix\""),
              std::string::npos);
}

TEST(Regedit, TheWholeRegistryExportsWithBothRoots) {
    const std::string file = lumora_test::scratchDir() + "all.reg";
    auto result = runProgram("regedit", {"/e", file});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string text = lumora_test::readWholeFile(file);
    EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\n[HKEY_LOCAL_MACHINE\\System\\Lumora]\r\n\"WindowsVersion\"=\"2000\"\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n[HKEY_CURRENT_USER]\r\n"), std::string::npos);
}

}  // namespace
