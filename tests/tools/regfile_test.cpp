// Registry scripts: what the parser accepts, where it reports a malformed line, and that what the
// writer writes parses back to the same values.
#include "regfile.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace winapi::registry;
using Kind = ScriptOperation::Kind;

// The bytes of a literal, inner NULs included, without the one that ends it.
template <size_t N>
std::string bin(const char (&text)[N]) {
    return std::string(text, N - 1);
}

TEST(RegistryScript, MalformedLinesAreReportedWithTheirNumber) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "line 1:"},
        {"REGEDIT5\n[HKLM\\X]\n", "line 1:"},
        {"REGEDIT4\n\"a\"=\"b\"\n", "line 2:"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X\n", "line 2:"},
        {"REGEDIT4\n[HKEY_USERS\\X]\n", "line 2:"},
        {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", "line 2:"},
        {"REGEDIT4\n[HKLM\\A\\\\B]\n", "line 2:"},
        {"REGEDIT4\n[HKLM\\X] junk\n", "line 2:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\"=\"unterminated\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\"=dword:123456789\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\"=dword:\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\"=hex:01,2g\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\"=hex:01,,02\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\"=hex(zz):01\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\"=hex:01,\\\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\n\"a\"=hex:01,\\\n  02,\\\n  zz\n", "line 4:"},
        {"REGEDIT4\n[HKLM\\X]\nname=1\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\" \"b\"\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\X]\n\"a\"=text\n", "line 3:"},
        {"REGEDIT4\n[HKLM\\" + std::string(257, 'k') + "]\n", "line 2:"},
    };
    for (const auto& [text, where] : cases) {
        Script script;
        std::string error;
        EXPECT_FALSE(parseScript(text, script, error)) << text;
        EXPECT_EQ(error.rfind(where, 0), 0u) << text << " -> " << error;
    }
}

TEST(RegistryScript, EveryFormOfEntryIsRead) {
    const std::string text =
        "REGEDIT4\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
        "@=\"default\"\r\n"
        "  \"Quoted \\\"name\\\"\" = \"back\\\\slash\" ; trailing comment\r\n"
        "\"Number\"=DWORD:0000002A\r\n"
        "\"Bytes\"=hex:00,01,\\\r\n"
        "  fe,ff\r\n"
        "\"Nothing\"=hex(0):\r\n"
        "\"Gone\"=-\r\n"
        "[-HKCR\\.old\\]\r\n"
        "\"ignored\"=\"under a deleted key\"\r\n";
    Script script;
    std::string error;
    ASSERT_TRUE(parseScript(text, script, error)) << error;
    const auto& ops = script.operations;
    ASSERT_EQ(ops.size(), 8u);
    EXPECT_EQ(ops[0].kind, Kind::CreateKey);
    EXPECT_EQ(formatKeyPath(ops[0].key), "HKEY_CURRENT_USER\\Software\\Test");
    EXPECT_EQ(ops[1].valueName, "");
    EXPECT_EQ(ops[1].data, bin("default\0"));
    EXPECT_EQ(ops[2].valueName, "Quoted \"name\"");
    EXPECT_EQ(ops[2].data, bin("back\\slash\0"));
    EXPECT_EQ(ops[3].type, DWORD(REG_DWORD));
    EXPECT_EQ(ops[3].data, bin("\x2a\0\0\0"));
    EXPECT_EQ(ops[4].type, DWORD(REG_BINARY));
    EXPECT_EQ(ops[4].data, bin("\x00\x01\xfe\xff"));
    EXPECT_EQ(ops[5].type, DWORD(REG_NONE));
    EXPECT_EQ(ops[5].data, "");
    EXPECT_EQ(ops[6].kind, Kind::DeleteValue);
    EXPECT_EQ(ops[7].kind, Kind::DeleteTree);
    EXPECT_EQ(formatKeyPath(ops[7].key), "HKEY_CLASSES_ROOT\\.old");
}

TEST(RegistryScript, WrittenScriptsReadBackToTheSameValues) {
    const std::vector<std::pair<DWORD, std::string>> values = {
        {REG_SZ, bin("plain \"quoted\" back\\slash \xe4\0")},
        {REG_SZ, bin("no terminating NUL")},
        {REG_SZ, bin("two\r\nlines\0")},
        {REG_SZ, bin("")},
        {REG_DWORD, bin("\x78\x56\x34\x12")},
        {REG_DWORD, bin("\x01\x02")},
        {REG_EXPAND_SZ, bin("%WINDIR%\0")},
        {REG_MULTI_SZ, bin("a\0b\0\0")},
        {REG_BINARY, std::string(200, '\xab')},
        {0x12345, bin("odd type")},
    };
    ScriptWriter writer;
    writer.key("HKEY_LOCAL_MACHINE\\Software\\Round Trip");
    for (size_t i = 0; i < values.size(); ++i)
        writer.value(i == 0 ? "" : "v" + std::to_string(i), values[i].first, values[i].second);

    std::istringstream lines(writer.text());
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 81u) << line;

    Script script;
    std::string error;
    ASSERT_TRUE(parseScript(writer.text(), script, error)) << error;
    ASSERT_EQ(script.operations.size(), values.size() + 1);
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(script.operations[i + 1].type, values[i].first) << i;
        EXPECT_EQ(script.operations[i + 1].data, values[i].second) << i;
    }
}

TEST(RegistryScript, Version5ScriptsInUtf16AreReadAsWindows1252) {
    const std::u16string text =
        u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Test]\r\n"
        u"\"Stadt\"=\"M\u00fcnchen\"\r\n\"Pfad\"=hex(2):43,00,3a,00,5c,00,00,00\r\n";
    std::string bytes = "\xff\xfe";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xff);
        bytes += static_cast<char>(c >> 8);
    }
    Script script;
    std::string error;
    ASSERT_TRUE(parseScript(bytes, script, error)) << error;
    ASSERT_EQ(script.operations.size(), 3u);
    EXPECT_EQ(script.operations[1].data, bin("M\xfcnchen\0"));
    EXPECT_EQ(script.operations[2].type, DWORD(REG_EXPAND_SZ));
    EXPECT_EQ(script.operations[2].data, bin("C:\\\0"));
}

}  // namespace
