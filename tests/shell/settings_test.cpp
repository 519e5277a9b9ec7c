// The settings store: defaults of the test build's string table, the empty-value rules, the
// scrambled account values, the dial device of the settings file and the ini file's switch.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fakes.h"
#include "registry.h"
#include "settings.h"
#include "test_names.h"

namespace fs = std::filesystem;

namespace {

class Settings : public ::testing::Test {
protected:
    Settings() : name(uniqueProgramName()), settings(name), key("Software\\" + name) {}

    bool load() { return settings.load(ini, parts); }
    void write(const char* value, const char* text) {
        ASSERT_TRUE(regWriteString(key.c_str(), value, text));
    }
    void writeDevice(const char* raw) {
        ASSERT_TRUE(WritePrivateProfileStringA("variables", "RasDeviceName", raw,
                                               (name + ".dat").c_str()));
    }

    std::string name;
    CLmrSettings settings;
    std::string key;
    std::string dir = lumora_test::scratchDir();
    std::string ini = dir + "lumora.ini";
    FakeParts parts;
};

}  // namespace

TEST(Scrambling, AddsSixToEveryByteAndTakesItAway) {
    EXPECT_EQ(scrambleText("abc"), "ghi");
    EXPECT_EQ(unscrambleText("ghi"), "abc");
    EXPECT_EQ(scrambleText("Z9 "), "`?&");
    EXPECT_EQ(scrambleText("\xFC"), "\x02");  // ü wraps around
    EXPECT_EQ(unscrambleText("\x02"), "\xFC");
    EXPECT_EQ(scrambleText(""), "");
    std::string all;
    for (int c = 1; c < 250; ++c) all += static_cast<char>(c);
    EXPECT_EQ(unscrambleText(scrambleText(all)), all);
}

TEST_F(Settings, NothingStoredGivesTheBuildTimeDefaults) {
    EXPECT_FALSE(load());  // no dial device recorded
    EXPECT_EQ(settings.entryName(), "Lumora Test");
    EXPECT_EQ(settings.userName(), "");  // the default is a single blank: empty
    EXPECT_EQ(settings.password(), "gast-pw");
    EXPECT_EQ(settings.phoneNumber(), "+49 (30) 5550100");
    EXPECT_EQ(settings.deviceName(), "");
    EXPECT_TRUE(settings.useRas());
    EXPECT_EQ(settings.productTitle(), "Lumora Browser Center");
    EXPECT_EQ(settings.updatePeriodMs(), 10000u);
    EXPECT_EQ(settings.readStartupMode(), "1");
    EXPECT_EQ(settings.readStartUrl(), "./config/start.htm");
    EXPECT_EQ(settings.readPhoneNumber(), "+49 (30) 5550100");
    EXPECT_EQ(settings.readRasEntryName(), "Lumora Test");
    EXPECT_EQ(settings.readDefaultSkin(), "defhtml");
    EXPECT_EQ(settings.readInstalled(), "0");
    EXPECT_EQ(settings.readSavePassword(), "1");
    EXPECT_EQ(settings.settingsFileName(), name + ".dat");
}

TEST_F(Settings, EmptyValuesTakeTheDefaultExceptUserNameAndPassword) {
    for (const char* value : {"RasEntryName", "PhoneNumber", "StartupMode", "StartUrl",
                              "UserName", "Password"})
        write(value, "");
    load();
    EXPECT_EQ(settings.entryName(), "Lumora Test");
    EXPECT_EQ(settings.phoneNumber(), "+49 (30) 5550100");
    EXPECT_EQ(settings.readStartupMode(), "1");
    EXPECT_EQ(settings.readStartUrl(), "./config/start.htm");
    EXPECT_EQ(settings.userName(), "");
    EXPECT_EQ(settings.password(), "");  // not "gast-pw": an empty stored password stays empty

    write("RasEntryName", "Provider 2");
    write("PhoneNumber", "+49 (40) 1");
    write("StartupMode", "0");
    write("StartUrl", "http://start.example.net/");
    write("DefaultSkin", "blue");
    load();
    EXPECT_EQ(settings.entryName(), "Provider 2");
    EXPECT_EQ(settings.phoneNumber(), "+49 (40) 1");
    EXPECT_EQ(settings.readStartupMode(), "0");
    EXPECT_EQ(settings.readStartUrl(), "http://start.example.net/");
    EXPECT_EQ(settings.readDefaultSkin(), "blue");
}

TEST_F(Settings, AccountIsStoredScrambledAndThePasswordNeverTracedInClear) {
    write("UserName", "ghi");
    write("Password", "vkv");
    load();
    EXPECT_EQ(settings.userName(), "abc");
    EXPECT_EQ(settings.password(), "pep");

    settings.setUserName("kunde");
    settings.setPassword("Geheim99");
    EXPECT_STREQ(regReadString(key.c_str(), "UserName", ""), "ghi");  // setters keep to memory

    fs::path before = fs::current_path();
    fs::current_path(dir);
    EXPECT_TRUE(settings.saveUserName());
    EXPECT_TRUE(settings.savePassword());
    fs::current_path(before);
    EXPECT_EQ(regReadString(key.c_str(), "UserName", ""), scrambleText("kunde"));
    EXPECT_EQ(regReadString(key.c_str(), "Password", ""), scrambleText("Geheim99"));

    std::ifstream trace(dir + "trace.txt");
    std::stringstream text;
    text << trace.rdbuf();
    EXPECT_NE(text.str().find("saving user name: \"kunde\"\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("saving password: \"********\"\n"), std::string::npos);
    EXPECT_EQ(text.str().find("Geheim99"), std::string::npos);

    settings.setPhoneNumber("+49 (89) 2");
    EXPECT_TRUE(settings.savePhoneNumber());
    EXPECT_TRUE(settings.saveStartupMode("3"));
    EXPECT_TRUE(settings.saveStartUrl("./config/x.htm"));
    EXPECT_EQ(settings.readPhoneNumber(), "+49 (89) 2");
    EXPECT_EQ(settings.readStartupMode(), "3");
    EXPECT_EQ(settings.readStartUrl(), "./config/x.htm");
}

TEST_F(Settings, DeviceNameIsReadWithoutQuotesAndMustExist) {
    parts.existingDevice = "ISDN Adapter 1";
    writeDevice("ISDN Adapter 1");
    EXPECT_TRUE(load());
    EXPECT_EQ(settings.deviceName(), "ISDN Adapter 1");

    settings.setDeviceName("Standard-28800-bps-Modem");
    EXPECT_TRUE(settings.saveDeviceName());
    EXPECT_FALSE(load());  // recorded, but no such device
    EXPECT_EQ(settings.deviceName(), "Standard-28800-bps-Modem");
    // The section as it stands in the file: the name is written in quotes.
    char raw[128] = "";
    GetPrivateProfileSectionA("variables", raw, sizeof raw, (name + ".dat").c_str());
    EXPECT_STREQ(raw, "RasDeviceName=\"Standard-28800-bps-Modem\"");

    parts.existingDevice = "Standard-28800-bps-Modem";
    EXPECT_TRUE(load());
    writeDevice("\"");
    EXPECT_FALSE(load());
}

TEST_F(Settings, DialupIsInUseOnlyWithUseRasOne) {
    for (auto [text, expected] : {std::pair{"1", true}, {"0", false}, {"yes", false}}) {
        ASSERT_TRUE(WritePrivateProfileStringA("Dialup", "UseRas", text, ini.c_str()));
        load();
        EXPECT_EQ(settings.useRas(), expected) << text;
    }
}

TEST_F(Settings, WindowTitleAndConnectionErrorLength) {
    load();
    EXPECT_EQ(settings.windowTitle("Willkommen"), "Willkommen - Lumora Browser Center");
    EXPECT_EQ(settings.windowTitle(""), "Lumora Browser Center");
    settings.setLastConnectionError(std::string(700, 'e'));
    EXPECT_EQ(settings.lastConnectionError().size(), CLmrSettings::kConnectionErrorMax);
}
