// The country list and the dialling location of the settings page, over the system's telephony
// (ours on Linux, Wine's under Wine): every country as an option, sorted by a sorted combo box as
// the user's locale sorts, with the chosen country selected; the customer's location stored into
// the registry and "telephon.ini" and read back.
#include "country_list.h"
#include "tapi_info.h"
#include "tapi_settings.h"
#include "testenv.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Option {
    std::string value, text;
    bool selected;
};

std::vector<Option> parseOptions(const std::string& html) {
    std::vector<Option> options;
    size_t at = 0;
    while ((at = html.find("<OPTION value=\"", at)) != std::string::npos) {
        const size_t valueStart = at + 15;
        const size_t valueEnd = html.find('"', valueStart);
        const size_t textStart = html.find('>', valueEnd) + 1;
        const size_t textEnd = html.find("</OPTION>", textStart);
        options.push_back({html.substr(valueStart, valueEnd - valueStart),
                           html.substr(textStart, textEnd - textStart),
                           html.compare(valueEnd, 11, "\" selected>") == 0});
        at = textEnd;
    }
    return options;
}

class CountryList : public ::testing::Test {
protected:
    void SetUp() override {
        combo_ = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100, 30,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(combo_, nullptr);
    }
    void TearDown() override { DestroyWindow(combo_); }
    HWND combo_ = nullptr;
};

std::string readIni(const char* key) {
    char text[512] = {};
    GetPrivateProfileStringA("Locations", key, "", text, sizeof text, "telephon.ini");
    return text;
}

std::string readLocation(const char* name) {
    HKEY key;
    char text[256] = {};
    DWORD size = sizeof text;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations\\Location0",
                      0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
        text[0] = 0;
    RegCloseKey(key);
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(text));
    return text;
}

}  // namespace

TEST_F(CountryList, EveryCountrySortedWithNoneAnUnknownOrTheChosenOneSelected) {
    TapiInfo tapi;
    tapi.EnumTapi();
    ASSERT_GT(tapi.countries.size(), 200u);

    const std::vector<Option> none = parseOptions(countryOptionsHtml(nullptr, combo_));
    ASSERT_EQ(none.size(), tapi.countries.size());
    // The combo box sorted the items "name<tab>identifier".
    auto item = [](const Option& o) { return o.text + "\t" + o.value; };
    for (size_t i = 1; i < none.size(); ++i)
        EXPECT_LE(lstrcmpiA(item(none[i - 1]).c_str(), item(none[i]).c_str()), 0)
            << none[i - 1].text << " before " << none[i].text;
    for (const Option& o : none) EXPECT_FALSE(o.selected) << o.text;

    const std::vector<Option> unknown = parseOptions(countryOptionsHtml("99999", combo_));
    ASSERT_EQ(unknown.size(), none.size());
    for (const Option& o : unknown) EXPECT_FALSE(o.selected) << o.text;

    std::vector<std::string> chosen;
    for (const Option& o : parseOptions(countryOptionsHtml("49", combo_)))
        if (o.selected) chosen.push_back(o.value + " " + o.text);
    const std::vector<std::string> germany = {lumora_test::onLinux() ? "49 Deutschland"
                                                                     : "49 Germany"};
    EXPECT_EQ(chosen, germany);
    EXPECT_EQ(getTapiCountryId(lumora_test::onLinux() ? "Deutschland" : "Germany"), 49);
    EXPECT_EQ(getTapiCountryId("Atlantis"), -1);

    if (!lumora_test::onLinux()) return;
    // The German names: "Ägypten" between "Afghanistan" and "Albanien", not after "Z".
    auto position = [&](const std::string& name) {
        for (size_t i = 0; i < none.size(); ++i)
            if (none[i].text == name) return static_cast<int>(i);
        return -1;
    };
    EXPECT_EQ(position("Afghanistan"), 0);
    EXPECT_EQ(position("\xC4gypten"), 1);
    EXPECT_GT(position("Albanien"), position("\xC4gypten"));
    EXPECT_LT(position("Albanien"), 5);
    EXPECT_GT(maxCountryNameLength(), 20);
}

TEST(TelephonySettings, StoredLocationGoesToRegistryAndIniAndIsReadBack) {
    if (!lumora_test::onLinux()) GTEST_SKIP() << "writes the machine's telephony location";
    // The new machine's location as the page first shows it.
    EXPECT_EQ(currentTapiCountryId(), "49");
    EXPECT_EQ(currentTapiAreaCode(), "30");
    EXPECT_EQ(currentTapiOutsideAccess(), "");

    // telephon.ini knows three locations but no current one: it becomes the fourth.
    WritePrivateProfileStringA("Locations", "Locations", "3,3", "telephon.ini");
    saveTapiSetting("43", "0662", "0", "9");
    EXPECT_EQ(readIni("CurrentLocation"), "3,3");
    EXPECT_EQ(readIni("Locations"), "4,4");
    EXPECT_EQ(readIni("Location3"), "3,\"Standardstandort\",\"0\",\"0\",\"0662\",43,0,0,0,\"\",0,\"\"");
    EXPECT_EQ(readIni("Inited"), "1");
    EXPECT_EQ(readLocation("Country"), "43");
    EXPECT_EQ(readLocation("AreaCode"), "0662");
    EXPECT_EQ(readLocation("OutsideAccess"), "0");
    EXPECT_EQ(readLocation("LongDistanceAccess"), "0");
    EXPECT_EQ(currentTapiCountryId(), "43");
    EXPECT_EQ(currentTapiAreaCode(), "0662");
    EXPECT_EQ(currentTapiOutsideAccess(), "0");

    // The location the system reports now is the stored one.
    TapiInfo tapi;
    tapi.FillLocationInfo();
    EXPECT_EQ(tapi.currentCountryId, "43");
    EXPECT_EQ(tapi.currentAreaCode, "0662");
    EXPECT_EQ(tapi.currentLocationName, "Standardstandort");

    // With a current location the ini's counts stay.
    saveTapiSetting("49", "089", "", "");
    EXPECT_EQ(readIni("Locations"), "4,4");
    EXPECT_EQ(readIni("Location3"), "3,\"Standardstandort\",\"\",\"\",\"089\",49,0,0,0,\"\",0,\"\"");
}
