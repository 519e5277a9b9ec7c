// The browser center applying signup files in a real process, on a machine whose provider
// connection is up through the prefix's remote-access service: the connection goes before the
// account changes, the phonebook entry follows the file, the second browser's profile is made,
// and a second file with a user name that would leave the profile folder changes the account
// but reaches no folder.
#include <windows.h>

#include <ras.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "dial_entry.h"
#include "machine_registry.h"
#include "probe_calls.h"
#include "process.h"
#include "ras_api.h"
#include "ras_calls.h"
#include "registry.h"
#include "testenv.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDevice = "Simuliertes Modem";
constexpr const char* kEntry = "Lumora Online";
constexpr const char* kKey = "Software\\lumora";

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string scrambled(std::string text) {
    for (char& c : text) c = static_cast<char>(c + 6);
    return text;
}

class SignupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        folder = lumora_test::scratchDir();
        fs::copy_file(lumora_test::builtProgram("lumora"), folder + "lumora");
        fs::copy_file(lumora_test::builtProgram("rasman"), folder + "rasman");
        copyProgramLibraries(folder);
        // The trace on, as a provider build for support would have it.
        std::ofstream(folder + "lumora.strings") << "114 = \"1\"\n";
        std::ofstream(folder + "lumora.ini") << "[Dialup]\r\nUseRas=1\r\n";
        WritePrivateProfileStringA("variables", "RasDeviceName", "\"Simuliertes Modem\"",
                                   "lumora.dat");
        regWriteString("System\\Lumora\\RasDevices", kDevice, "modem", HKEY_LOCAL_MACHINE);
        regWriteString(kKey, "Installed", "1");
        regWriteString(kKey, "StartupMode", "0");
        regWriteString(lumora_test::kProviderAccountsKey, "kunde", "geheim", HKEY_LOCAL_MACHINE);
        lumora_test::setProviderNumber("StepDelay", 1);
        lumora_test::setProviderNumber("LogonPrompt", 0);

        // The second browser, installed in the machine's programs.
        prefix = std::getenv("LUMORA_PREFIX");
        netscape = prefix + "/programs/Netscape";
        fs::create_directories(netscape + "/Communicator/Program");
        // Registered as the machine's template registers its programs: with backslashes.
        std::string program = netscape + "/Communicator/Program";
        for (char& c : program)
            if (c == '/') c = '\\';
        regWriteString("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\NETSCAPE.EXE",
                       "Path", (program + ";").c_str(), HKEY_LOCAL_MACHINE);
        regWriteString("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\NETSCAPE.EXE",
                       nullptr, (program + "\\netscape.exe").c_str(), HKEY_LOCAL_MACHINE);

        ASSERT_TRUE(loadRasApi());
        makeDialEntry(kEntry, kDevice);
    }

    void TearDown() override {
        if (!getConnectedEntries().empty()) closeRasConnection(kEntry);
        unloadRasApi();
    }

    DWORD apply(const std::string& file) {
        const std::string line = "\"" + folder + "lumora\" \"" + file + "\"";
        DWORD code = 0xFFFF;
        EXPECT_TRUE(runProgram((folder + "lumora").c_str(), line.c_str(), SW_SHOW, true, &code));
        return code;
    }

    std::string folder, prefix, netscape;
};

TEST_F(SignupProgram, WhileConnectedTheFileHangsUpBeforeTheAccountAndTheEntryChange) {
    RASDIALPARAMSA params;
    ASSERT_TRUE(getEntryDialParams(kEntry, &params));
    std::strcpy(params.szUserName, "kunde");
    std::strcpy(params.szPassword, "geheim");
    HRASCONN connection = nullptr;
    ASSERT_EQ(rasApi().pRasDialA(nullptr, nullptr, &params, 0, nullptr, &connection), 0u);
    ASSERT_EQ(getConnectedEntries(), kEntry);

    const std::string file = lumora_test::scratchDir() + "Neukunde.tni";
    const std::string given =
        "[Phone]\nPhone_Number=5550123\nArea_Code=1805\nCountry_Code=49\n"
        "[User]\nName=neukunde\nPassword=Zugang#7\n"
        "[Internet_Mail]\nPOP3_Server=mail.lumora-online.example\n"
        "[Bookmark]\n<DL><p><DT><A HREF=\"http://www.lumora-online.example/\">Lumora</A></DL>\n";
    std::ofstream(file, std::ios::binary) << given;

    EXPECT_EQ(apply(file), 0u);

    EXPECT_EQ(getConnectedEntries(), "");
    EXPECT_EQ(fileText(file), given);
    RASENTRYA* entry = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(getEntryProperties(kEntry, &entry, &size));
    EXPECT_STREQ(entry->szLocalPhoneNumber, "5550123");
    EXPECT_STREQ(entry->szAreaCode, "1805");
    EXPECT_EQ(entry->dwCountryCode, 49u);
    EXPECT_STREQ(entry->szDeviceName, kDevice);
    std::free(entry);
    EXPECT_STREQ(regReadString(kKey, "UserName", ""), scrambled("neukunde").c_str());
    EXPECT_STREQ(regReadString(kKey, "Password", ""), scrambled("Zugang#7").c_str());
    EXPECT_STREQ(regReadString(kKey, "PhoneNumber", ""), "+49 (1805) 5550123");

    const std::string trace = fileText(folder + "trace.txt");
    const size_t hangUp = trace.find("closeRasConnection (Lumora Online)");
    const size_t rewrite = trace.find("makeAutoDial()");
    ASSERT_NE(hangUp, std::string::npos) << trace;
    ASSERT_NE(rewrite, std::string::npos) << trace;
    EXPECT_LT(hangUp, rewrite);
    EXPECT_EQ(trace.find("Zugang#7"), std::string::npos);
    EXPECT_NE(trace.find("closing all application windows"), std::string::npos);

    const std::string profile = netscape + "/Users/neukunde";
    EXPECT_EQ(fileText(profile + "/bookmark.htm"),
              "\r\n<DL><p><DT><A HREF=\"http://www.lumora-online.example/\">Lumora</A></DL>\r\n");
    EXPECT_TRUE(fs::is_directory(profile + "/mail"));
    for (const auto& left : fs::directory_iterator(folder))
        EXPECT_NE(left.path().filename().string().rfind("tni", 0), 0u) << left.path();

    // A second file whose user name would name a folder outside the profiles: the account takes
    // it, no folder is made or deleted for it.
    fs::create_directories(netscape + "/opfer");
    std::ofstream(netscape + "/opfer/wichtig.txt") << "bleibt";
    const std::string hostile = lumora_test::scratchDir() + "zweite.tni";
    std::ofstream(hostile) << "[User]\r\nName=..\\opfer\r\n[PrefsJs]\r\nuser_pref(\"x\", 1);\r\n";
    EXPECT_EQ(apply(hostile), 0u);
    EXPECT_STREQ(regReadString(kKey, "UserName", ""), scrambled("..\\opfer").c_str());
    EXPECT_EQ(fileText(netscape + "/opfer/wichtig.txt"), "bleibt");
    EXPECT_FALSE(fs::exists(netscape + "/opfer/prefs.js"));
    EXPECT_TRUE(fs::exists(profile + "/bookmark.htm"));
    EXPECT_STREQ(regReadString("Software\\Netscape\\Netscape Navigator\\Users\\..\\opfer",
                               "DirRoot", "-", HKEY_LOCAL_MACHINE),
                 "-");
}

}  // namespace
