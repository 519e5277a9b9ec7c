// Applying a signup file through the real registry and files, on both targets: the working copy
// and its line ends, the account values it stores, the raw profile sections, the proxy value,
// the web browser's branding command, the second browser's profile and the mail account; and
// the signup page's patch.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "profiles.h"
#include "registry.h"
#include "signup_file.h"
#include "signup_page.h"
#include "signup_text.h"
#include "standard_browser.h"
#include "testenv.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const char* kBrowserKey = "SOFTWARE\\Microsoft\\Internet Explorer";
constexpr const char* kMailAccounts = "Software\\Microsoft\\Internet Account Manager\\Accounts\\";
constexpr const char* kConnections =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// A path the system built, for the C++ library of the host.
std::string host(std::string path) {
    if (lumora_test::onLinux())
        for (char& c : path)
            if (c == '\\') c = '/';
    return path;
}

std::string fileText(const std::string& path) {
    std::ifstream in(host(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(host(path), std::ios::binary) << bytes;
}

std::string binaryValue(HKEY hive, const char* key, const char* name) {
    HKEY opened;
    if (RegOpenKeyExA(hive, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return "<no key>";
    BYTE data[256];
    DWORD size = sizeof data, type = 0;
    const LSTATUS status = RegQueryValueExA(opened, name, nullptr, &type, data, &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS) return "<no value>";
    return std::string(reinterpret_cast<char*>(data), size);
}

// Machine values the tests change, put back afterwards (under Wine the machine is shared).
class SavedValues {
public:
    void set(HKEY hive, const std::string& key, const char* name, const std::string& text) {
        saved_.push_back({hive, key, name ? name : "", regValue(hive, key, name)});
        regWriteString(key.c_str(), name, text.c_str(), hive);
    }
    ~SavedValues() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            const char* name = it->name.empty() ? nullptr : it->name.c_str();
            if (it->had)
                regWriteString(it->key.c_str(), name, it->text.c_str(), it->hive);
            else
                regDeleteValue(it->key.c_str(), name, it->hive);
        }
    }

private:
    struct Saved {
        HKEY hive;
        std::string key, name;
        std::pair<bool, std::string> value;
        bool had = value.first;
        std::string text = value.second;
    };
    static std::pair<bool, std::string> regValue(HKEY hive, const std::string& key, const char* name) {
        const char* text = regReadString(key.c_str(), name, nullptr, hive);
        return {text != nullptr, text ? text : ""};
    }
    std::vector<Saved> saved_;
};

// The browser center's side: what a signup file stores, recorded in the order it came.
class RecordingAccount : public SignupAccount {
public:
    std::string folder, name, user = "alt";
    std::vector<std::string> calls;

    std::string programFolder() override { return folder; }
    std::string programName() override { return name; }
    std::string entryName() override { return "Testanbieter"; }
    std::string userName() override { return user; }
    void storeStartupMode(const std::string& mode) override { calls.push_back("mode " + mode); }
    void storePhoneNumber(const std::string& number) override { calls.push_back("phone " + number); }
    void storeUserName(const std::string& n) override {
        user = n;
        calls.push_back("user " + n);
    }
    void storePassword(const std::string& p) override { calls.push_back("password " + p); }
    void makeAutoDial() override { calls.push_back("autodial"); }
};

class Signup : public ::testing::Test {
protected:
    void SetUp() override {
        account.folder = lumora_test::scratchDir();
        account.name = lumora_test::uniqueKey("signup").substr(std::strlen("Software\\"));
        browserDir = lumora_test::scratchDir();
        netscapeBase = lumora_test::scratchDir();
        netscapeProgramDir = netscapeBase + "Netscape\\Communicator\\Program\\";
        fs::create_directories(host(netscapeProgramDir));
        machine.set(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "IEXPLORE.EXE", "Path",
                    browserDir + ";");
        machine.set(HKEY_LOCAL_MACHINE, kBrowserKey, "Version", "5.00.2614.3500");
        machine.set(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "NETSCAPE.EXE", "Path",
                    netscapeProgramDir + ";");
        machine.set(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "NETSCAPE.EXE", nullptr,
                    netscapeProgramDir + "netscape.exe");
    }

    RecordingAccount account;
    SavedValues machine;
    std::string browserDir, netscapeBase, netscapeProgramDir;
};

TEST_F(Signup, AFileWithLineFeedsAloneIsAppliedWholeAndLeftAsItWas) {
    // The raw sections stand before the INI sections here; the preferences end the file.
    const std::string bookmarks = "\n<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                                  "<DT><A HREF=\"http://lumora.example/\">Lumora</A>\n</DL><p>";
    const std::string prefs = "\nuser_pref(\"mail.pop_name\", \"kunde\");\n"
                              "user_pref(\"network.proxy.type\", 1);\n";
    const std::string given = "[Bookmark]" + bookmarks + "\n[Phone]\nPhone_Number=\nArea_Code=030\n"
                              "Country_Code=49\n[User]\nName=kunde7\nPassword=geheim\n"
                              "StartupMode=0\nProxy=proxy.lumora.example:8080\n"
                              "[PrefsJs]" + prefs;
    const std::string file = account.folder + "Kunde.TNI";
    writeFile(file, given);
    writeFile(account.folder + "ie38.bmp", "BM38");
    writeFile(account.folder + "little.bmp", "BMlittle");
    // The profile of that name is made anew.
    const std::string root = netscapeBase + "netscape";
    fs::create_directories(host(root + "\\Users\\kunde7\\mail"));
    writeFile(root + "\\Users\\kunde7\\mail\\Inbox", "alte Post");
    // The branding command is run and waited for; it sees its own branding file.
    const std::string record = lumora_test::scratchDir() + "record";
    SetEnvironmentVariableA("LUMORA_PROBE_RECORD", record.c_str());
    regWriteString(("Software\\" + account.name).c_str(), "SignupCommand",
                   ("\"" + lumora_test::builtProgram("cmdprobe") + "\" BrandIE4 SIGNUP").c_str());

    ASSERT_TRUE(parseTNIFile("kunde", file, false, account));

    EXPECT_EQ(fileText(file), given);
    // No phone number without "Phone_Number"; the account changes, then the entry follows.
    EXPECT_EQ(account.calls, (std::vector<std::string>{"mode 0", "user kunde7", "password geheim",
                                                       "autodial"}));
    EXPECT_NE(fileText(record + ".cmdprobe").find("BrandIE4 SIGNUP"), std::string::npos);
    EXPECT_FALSE(fs::exists(host(browserDir + "Signup\\install.ins")));
    EXPECT_EQ(fileText(browserDir + "Signup\\ie38.bmp"), "BM38");
    EXPECT_FALSE(fs::exists(host(browserDir + "Signup\\tb.bmp")));
    EXPECT_EQ(fileText(netscapeProgramDir + "little.bmp"), "BMlittle");

    // The profile: the sections byte for byte with the copy's CR LF line ends.
    auto crlf = [](std::string text) {
        std::string out;
        for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return out;
    };
    const std::string profile = root + "\\Users\\kunde7";
    EXPECT_EQ(fileText(profile + "\\bookmark.htm"), crlf(bookmarks));
    EXPECT_EQ(fileText(profile + "\\prefs.js"), crlf(prefs));
    EXPECT_TRUE(fs::is_directory(host(profile + "\\mail")));
    EXPECT_TRUE(fs::is_directory(host(profile + "\\news")));
    EXPECT_FALSE(fs::exists(host(profile + "\\mail\\Inbox")));
    // The browser's folder is taken in lower case.
    EXPECT_STREQ(regReadString("Software\\Netscape\\Netscape Navigator\\Users\\kunde7", "DirRoot",
                               "", HKEY_LOCAL_MACHINE),
                 (lowerText(root) + "\\Users\\kunde7").c_str());

    // The proxy, as the connection setting of the provider's entry.
    const std::string proxy = binaryValue(HKEY_CURRENT_USER, kConnections, "Testanbieter");
    ASSERT_EQ(proxy.size(), 60u);
    EXPECT_EQ(proxy.substr(0, 16), std::string("\x3c\0\0\0\x01\0\0\0\x03\0\0\0\x19\0\0\0", 16));
    EXPECT_EQ(proxy.substr(16), "proxy.lumora.example:8080" + std::string(19, '\0'));
    regDeleteValue(kConnections, "Testanbieter");

    // No working copy is left behind.
    for (const auto& entry : fs::directory_iterator(host(account.folder)))
        EXPECT_NE(entry.path().filename().string().rfind("tni", 0), 0u) << entry.path();
}

TEST_F(Signup, ANumberSectionsAfterTheRawOnesAndTheMailAccountOfTheServerExactly) {
    const std::string file = account.folder + "neu.tni";
    writeFile(file, "[User]\r\nName=\r\n[PrefsJs]\r\nuser_pref(\"a\", 1);\r\n[Phone]\r\n"
                    "Phone_Number=1234\r\nArea_Code=030\r\nCountry_Code=49\r\n[Internet_Mail]\r\n"
                    "POP3_Server=mail.lumora.example\r\n");
    const std::string first = std::string(kMailAccounts) + "00000001";
    const std::string second = std::string(kMailAccounts) + "00000002";
    regWriteString(first.c_str(), "Account Name", "Mail.Lumora.Example");
    regWriteString(second.c_str(), "Account Name", "mail.lumora.example");
    regWriteString(("Software\\" + account.name).c_str(), "SignupCommand", "");

    ASSERT_TRUE(parseTNIFile("kunde", file, false, account));
    EXPECT_EQ(account.calls, (std::vector<std::string>{"phone +49 (030) 1234", "autodial"}));
    EXPECT_EQ(binaryValue(HKEY_CURRENT_USER, first.c_str(), "Connection Type"), "<no value>");
    EXPECT_EQ(binaryValue(HKEY_CURRENT_USER, second.c_str(), "Connection Type"),
              std::string("\x01\0\0\0", 4));

    // The preferences end before the next section; without a user name there is no profile.
    EXPECT_EQ(rawSection(fileText(file), "[PrefsJs]"), "\r\nuser_pref(\"a\", 1);");
    EXPECT_FALSE(fs::exists(host(netscapeBase + "netscape\\Users")));

    // Without a mail server no account is touched.
    regDeleteValue(second.c_str(), "Connection Type");
    writeFile(file, "[Internet_Mail]\r\nIMAP_Server=\r\n");
    ASSERT_TRUE(parseTNIFile("kunde", file, false, account));
    EXPECT_EQ(binaryValue(HKEY_CURRENT_USER, second.c_str(), "Connection Type"), "<no value>");
    regDeleteValue(first.c_str(), "Account Name");
    regDeleteValue(second.c_str(), "Account Name");
}

TEST_F(Signup, FilesThatAreNoSignupFilesAreRefusedWhole) {
    const std::string missing = account.folder + "fehlt.tni";
    EXPECT_FALSE(parseTNIFile("kunde", missing, false, account));
    const std::string binary = account.folder + "bild.tni";
    writeFile(binary, std::string("[User]\r\nName=x\r\n\0\x01\x02", 18));
    EXPECT_FALSE(parseTNIFile("kunde", binary, false, account));
    const std::string large = account.folder + "gross.tni";
    writeFile(large, "[User]\r\nName=x\r\n" + std::string(kMaxSignupFileSize, ';'));
    EXPECT_FALSE(parseTNIFile("kunde", large, false, account));
    EXPECT_TRUE(account.calls.empty());
    EXPECT_TRUE(normaliseSignupCopy(binary, account.folder).empty());
    // Only the two files given are there: no copy was left.
    EXPECT_EQ(std::distance(fs::directory_iterator(host(account.folder)), fs::directory_iterator()), 2);
}

TEST(SignupProxy, ALongProxyIsCutToWhatTheValueHolds) {
    const std::string proxy(50, 'p');
    activateProxy(proxy, "Langer Proxy");
    const std::string value = binaryValue(HKEY_CURRENT_USER, kConnections, "Langer Proxy");
    ASSERT_EQ(value.size(), 60u);
    EXPECT_EQ(value.substr(12, 4), std::string("\x2b\0\0\0", 4));
    EXPECT_EQ(value.substr(16), std::string(43, 'p') + '\0');
    regDeleteValue(kConnections, "Langer Proxy");
}

TEST(SignupPage, TheAssignmentBetweenTheMarkersTakesTheExtension) {
    const std::string page = "<html><script>\r\n<!-- Start of SignupURL --->\r\nvar url = "
                             "\"http://alt.example/\";\r\n<!-- End of SignupURL --->\r\n"
                             "</script><a href=\"x.htm\">x</a></html>";
    EXPECT_EQ(patchedSignupText(page, "http://neu.example/?p=7"),
              "<html><script>\r\n<!-- Start of SignupURL --->\r\nvar url = "
              "\"http://neu.example/?p=7\"\r\n<!-- End of SignupURL --->\r\n"
              "</script><a href=\"x.htm\">x</a></html>");
    // No "=" between the markers: the "=" of the link further down is not the address's.
    EXPECT_EQ(patchedSignupText("<!-- Start of SignupURL --->\r\nvar url;\r\n"
                                "<!-- End of SignupURL --->\r\n<a href=\"x.htm\">",
                                "http://neu.example/"),
              "");

    // The file: changed only when the extension is set.
    const std::string dir = lumora_test::scratchDir();
    const std::string name = lumora_test::uniqueKey("page").substr(std::strlen("Software\\"));
    writeFile(dir + "signup.htm", page);
    patchSignupHtml(dir + "signup.htm", name);
    EXPECT_EQ(fileText(dir + "signup.htm"), page);
    regWriteString(("Software\\" + name).c_str(), "SignupUrlExtension", "http://neu.example/");
    patchSignupHtml(dir + "signup.htm", name);
    EXPECT_NE(fileText(dir + "signup.htm").find("var url = \"http://neu.example/\"\r\n<!-- End"),
              std::string::npos);
}

TEST(StandardBrowser, VersionsCompareAsTextAndTheFolderLosesItsSemicolon) {
    EXPECT_TRUE(versionIsMinimal("5.00.2614.3500"));
    EXPECT_TRUE(versionIsMinimal("4.72.3110.1"));
    EXPECT_FALSE(versionIsMinimal("4.72.2106.8"));
    EXPECT_FALSE(versionIsMinimal("10.0"));
    SavedValues machine;
    machine.set(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "IEXPLORE.EXE", "Path",
                "C:\\Programme\\Browser;");
    EXPECT_EQ(registeredProgramFolder("IEXPLORE.EXE"), "C:\\Programme\\Browser");
}

TEST(StandardBrowser, OffLineTheLaunchReturnsAtOnceAfterStartingTheSecondBrowser) {
    // A browser version that compares lower as text hands the address to the second browser.
    SavedValues machine;
    machine.set(HKEY_LOCAL_MACHINE, kBrowserKey, "Version", "10.0");
    const std::string record = lumora_test::scratchDir() + "record";
    SetEnvironmentVariableA("LUMORA_PROBE_RECORD", record.c_str());
    machine.set(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "NETSCAPE.EXE", nullptr,
                lumora_test::builtProgram("cmdprobe"));
    EXPECT_FALSE(minimalIEPresent());
    launchStandardBrowser("http://lumora.example/start.htm");
    for (int i = 0; i < 100 && !fs::exists(record + ".cmdprobe"); ++i) Sleep(100);
    EXPECT_NE(fileText(record + ".cmdprobe").find("\"http://lumora.example/start.htm\""),
              std::string::npos);
}

}  // namespace
