// The settings page "dial.htm": filled from the settings, its changes taken over, and the
// option lists the program writes into it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "dial_page.h"
#include "page_commands.h"
#include "recording_host.h"
#include "registry.h"
#include "settings.h"
#include "test_names.h"
#include "window_seam.h"

namespace {

class FakeServices : public DialPageServices {
public:
    std::string devices = "ISDN\tModem 56k Spezial";
    std::string saved;
    int autoDials = 0;
    std::string listRasDevices() override { return devices; }
    int maxCountryNameLength() override { return 12; }
    bool setHtmlTapiCountryList(PageHost& page, const std::string& id, const std::string& selected,
                                HWND, int width) override {
        page.setElementText(PagePane::Extra, id, "countries " + selected + " " + std::to_string(width));
        return true;
    }
    std::string currentCountryId() override { return "49"; }
    std::string currentAreaCode() override { return "030"; }
    std::string currentOutsideAccess() override { return "0"; }
    int getTapiCountryId(const std::string& name) override { return name == "Deutschland" ? 49 : -1; }
    void saveTapiSetting(const std::string& country, const std::string& area,
                         const std::string& outside, const std::string& longDistance) override {
        saved = country + "|" + area + "|" + outside + "|" + longDistance;
    }
    void makeAutoDial(const CLmrSettings&) override { ++autoDials; }
};

class FakeSkins : public SkinStore {
public:
    bool skinIniExists = true;
    const SkinLayout* findOrLoadSkin(const std::string&) override { return nullptr; }
    bool readSkinIni(const std::string&, SkinLayout&) override { return skinIniExists; }
    SkinLayout layoutForNewWindow(const std::string&, SkinLayout& app) override { return app; }
    void freeSkins() override {}
    const SkinLayout& refreshSkin(const SkinLayout& layout) override { return refreshed = layout; }
    SkinLayout refreshed;
};

class DialPage : public ::testing::Test {
protected:
    DialPage() : name(uniqueProgramName()), settings(name) {}

    std::string name;
    CLmrSettings settings;
    RecordingHost host;
    CPageCommands commands{host};
    FakeServices services;
    FakeSkins skins;
    CDialPage page{host, commands, settings, skins, services};
    const std::string key() const { return "Software\\" + name; }
};

using Calls = std::vector<std::string>;

}  // namespace

TEST_F(DialPage, FillingWritesTheSettingsAndEquallyWideLists) {
    settings.setStoredStartupMode("1");
    settings.setPhoneNumber("+49 (30) 1234");
    settings.setUserName("kunde");
    settings.setPassword("geheim");
    settings.setDeviceName("modem 56K spezial");
    regWriteString(key().c_str(), "SavePassword", "0");
    host.outer["CTN_RAS_DEVICE_LIST"] = "<p id=\"CTN_RAS_DEVICE_LIST\"><SELECT name=\"d\"><OPTION>x</OPTION></SELECT></p>";

    page.OnDocumentCompleteExtra("file:///c:/lumora/config/dial.htm");
    EXPECT_EQ(host.texts["CTN_START_MODE"], "1");
    EXPECT_EQ(host.texts["CTN_PHONE_NUMBER"], "+49 (30) 1234");
    EXPECT_EQ(host.texts["CTN_USER_NAME"], "kunde");
    EXPECT_EQ(host.texts["CTN_PASSWORD"], "geheim");
    EXPECT_EQ(host.texts["CTN_SAVE_PASSWORD"], "0");
    EXPECT_EQ(host.texts["CTN_COUNTRYLIST"], "countries 49 17");  // the device name is longer
    EXPECT_EQ(host.outer["CTN_RAS_DEVICE_LIST"],
              "<p id=\"CTN_RAS_DEVICE_LIST\"><SELECT name=\"d\">"
              "<OPTION value=\"   \">------------------</OPTION>"
              "<OPTION value=\"ISDN\">ISDN</OPTION>"
              "<OPTION value=\"Modem 56k Spezial\" selected>Modem 56k Spezial</OPTION>"
              "</SELECT></p>");
    EXPECT_EQ(host.attributes["CTN_OKZ.value"], "030");
    EXPECT_EQ(host.attributes["CTN_AKZ.value"], "0");
}

TEST_F(DialPage, OptionListsWithoutSelectionOrWithShortMarkup) {
    host.outer["L"] = "<p id=\"L\"><select>";
    ASSERT_TRUE(setHtmlOptionList(host, PagePane::Extra, "L", "A\tB", nullptr, 1));
    EXPECT_EQ(host.outer["L"], "<p id=\"L\"><select><OPTION value=\"   \" selected>--</OPTION>"
                               "<OPTION value=\"A\" selected>A</OPTION><OPTION value=\"B\">B</OPTION>"
                               "</SELECT></p>");
    host.outer["S"] = "<p id=\"S\">";  // fewer than two ">": the markup stays whole
    ASSERT_TRUE(setHtmlOptionList(host, PagePane::Extra, "S", "", "none", 0));
    EXPECT_EQ(host.outer["S"], "<p id=\"S\"><OPTION value=\"   \">-</OPTION></SELECT></p>");
    EXPECT_FALSE(setHtmlOptionList(host, PagePane::Extra, "missing", "A", nullptr, 3));
}

TEST_F(DialPage, ACommandLinkSkipsOneFillAndDisconPageGetsTheError) {
    settings.setLastConnectionError("Die Leitung ist besetzt.");
    commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_MOVE:T=0", "");
    host.calls.clear();
    page.OnDocumentCompleteExtra("file:///c:/lumora/config/dial.htm");
    EXPECT_TRUE(host.calls.empty());
    page.OnDocumentCompleteExtra("file:///c:/lumora/config/discon.htm");
    EXPECT_EQ(host.calls, (Calls{"text extra IDC_RAS_ERROR=Die Leitung ist besetzt."}));
    page.OnDocumentCompleteExtra("file:///c:/lumora/config/dial.htm");
    EXPECT_EQ(host.texts["CTN_START_MODE"], "");
    EXPECT_GT(host.calls.size(), 5u);  // filled this time
}

TEST_F(DialPage, TakingOverStoresEverythingThePageHolds) {
    host.texts = {{"CTN_START_MODE", "1"}, {"CTN_START_URL", "http://start/?a=1&amp;b=2"},
                  {"CTN_PHONE_NUMBER", "+49 (40) 999"}, {"CTN_RAS_DEVICE_NAME", "Modem 56k Spezial"},
                  {"CTN_COUNTRY_NAME", "Deutschland"}, {"CTN_SAVE_PASSWORD", "0"},
                  {"CTN_OPT_STATE", "3"}};
    host.attributes = {{"CTN_OKZ.value", "040"}, {"CTN_AKZ.value", "0"}, {"TEMP1.value", "neu"},
                       {"TEMP2.value", "pw&1"}};
    regWriteString(key().c_str(), "Password", "old");

    page.takeOverDialSettings();
    EXPECT_EQ(services.saved, "49|040|0|0");
    EXPECT_EQ(settings.deviceName(), "Modem 56k Spezial");
    char device[64] = {};
    GetPrivateProfileStringA("variables", "RasDeviceName", "", device, sizeof device,
                             settings.settingsFileName().c_str());
    EXPECT_STREQ(device, "Modem 56k Spezial");  // written quoted, read without the quotes
    EXPECT_TRUE(settings.signupRequested());
    EXPECT_STREQ(regReadString(key().c_str(), "StartupMode", "-"), "1");
    EXPECT_STREQ(regReadString(key().c_str(), "StartUrl", "-"), "http://start/?a=1&b=2");
    EXPECT_STREQ(regReadString(key().c_str(), "PhoneNumber", "-"), "+49 (40) 999");
    EXPECT_EQ(unscrambleText(regReadString(key().c_str(), "UserName", "-")), "neu");
    EXPECT_EQ(settings.password(), "pw&1");
    EXPECT_STREQ(regReadString(key().c_str(), "Password", "-"), "");  // not to be saved
    EXPECT_STREQ(regReadString(key().c_str(), "SavePassword", "-"), "0");
    EXPECT_EQ(services.autoDials, 1);
    EXPECT_EQ(host.calls.back(), "popup aufbauen.htm");

    host.texts["CTN_SAVE_PASSWORD"] = "1";
    host.texts["CTN_OPT_STATE"] = "0";
    page.takeOverDialSettings();
    EXPECT_EQ(unscrambleText(regReadString(key().c_str(), "Password", "-")), "pw&1");
    EXPECT_STREQ(regReadString(key().c_str(), "SavePassword", "-"), "1");
    EXPECT_FALSE(settings.signupRequested());
}

TEST_F(DialPage, AnEmptyModeOnlyConnectsAndModeThreeEndsTheConfiguration) {
    page.takeOverDialSettings();
    EXPECT_EQ(host.calls, (Calls{"popup aufbauen.htm"}));
    EXPECT_EQ(services.saved, "");

    host.calls.clear();
    host.texts = {{"CTN_START_MODE", "3"}, {"CTN_COUNTRY_NAME", "Atlantis"}};
    settings.setStoredStartupMode("3");
    ASSERT_TRUE(settings.saveStartupMode("0"));
    page.takeOverDialSettings();
    EXPECT_EQ(services.saved, "|||");  // an unknown country has no id
    EXPECT_EQ(host.calls, (Calls{"close popup"}));
    EXPECT_EQ(services.autoDials, 1);
    // The page comes up in the account's own mode from now on.
    EXPECT_EQ(settings.storedStartupMode(), "0");

    host.calls.clear();
    skins.skinIniExists = false;
    commands.OnBeforeNavigateExtra("file:///c:/lumora/config/OLECMDID_MOVE:T=0", "");
    host.calls.clear();
    page.takeOverDialSettings();
    EXPECT_EQ(host.calls, (Calls{"popup dial.htm"}));
    EXPECT_FALSE(commands.takeCommandNavigation());  // cleared, so dial.htm is filled again
    EXPECT_EQ(services.autoDials, 1);
}

TEST(DialPageText, CharacterReferencesAreDecoded) {
    EXPECT_EQ(textOfInnerHtml("a&amp;b &lt;c&gt; &quot;d&quot; &#39;e&#39; &unknown; &"),
              "a&b <c> \"d\" 'e' &unknown; &");
}
