// Browser detection from the registry at each boundary of the version codes, and the browser
// page's rules that follow from the codes.
#include "browser_detection.h"

#include "machine_registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <clocale>
#include <string>

namespace {

constexpr const char* kIeKey = "Software\\Microsoft\\Internet Explorer";
constexpr const char* kNetscapeKey = "SOFTWARE\\Netscape\\Netscape Navigator";

struct Detected {
    int code;
    std::string text;
};

// Leaves only the one value in the browser's key, then detects.
Detected detectWith(const char* value, const char* data) {
    HKEY key;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kIeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    for (const char* name : {"Version", "Build", "IVer"}) RegDeleteValueA(key, name);
    RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>(std::strlen(data) + 1));
    RegCloseKey(key);
    char text[64];
    const int code = detectInternetExplorer(text, sizeof text);
    return {code, text};
}

TEST(BrowserDetection, InternetExplorerCodesAtEachBoundary) {
    struct Case {
        const char* value;
        const char* data;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"Version", "4.70.1155", 0, ""},          {"Version", "4.71.1712.6", 12, "4.01"},
        {"Version", "4.72.3110.8", 12, "4.01"},   {"Version", "5.00.2614.3500", 13, "5.00"},
        {"Version", "5.00.2918.9999", 13, "5.00"}, {"Version", "5.00.2919.6307", 14, "5.01"},
        {"Version", "5.01", 15, "5.1"},           {"Version", "5.50.4134.0600", 15, "5.50"},
        {"Version", "6.0.2900.2180", 16, "6.0"},  {"Version", "3.02", 0, ""},
        {"Build", "519", 0, ""},                  {"Build", "1154", 2, "2.0"},
        {"Build", "1155", 4, "3.0"},              {"Build", "1157", 4, "3.0"},
        {"Build", "1158", 5, "3.0"},              {"Build", "1300", 7, "3.02"},
        {"IVer", "100", 1, "1.0"},                {"IVer", "101", 3, "2.0"},
        {"IVer", "102", 2, "2.0"},                {"IVer", "103", 0, ""},
    };
    for (const Case& c : cases) {
        const Detected d = detectWith(c.value, c.data);
        EXPECT_EQ(d.code, c.code) << c.value << " " << c.data;
        EXPECT_EQ(d.text, c.text) << c.value << " " << c.data;
    }
    // With its handling off nothing is detected, whatever the registry says.
    char text[16] = "x";
    EXPECT_EQ(detectInternetExplorer(text, sizeof text, false), 0);
    EXPECT_STREQ(text, "");
}

TEST(BrowserDetection, InternetExplorerChoicesFollowTheCode) {
    auto state = [](int code) {
        const BrowserChoices c = internetExplorerChoices(code);
        return std::string(c.configureEnabled ? "C" : "-") + (c.installEnabled ? "I" : "-") +
               (c.installCaption == InstallCaption::Update ? "u" : "i");
    };
    EXPECT_EQ(state(0), "-Ii");
    EXPECT_EQ(state(11), "-Ii");
    EXPECT_EQ(state(12), "CIi");
    EXPECT_EQ(state(13), "CIu");
    EXPECT_EQ(state(14), "CIu");
    EXPECT_EQ(state(15), "C-i");
    EXPECT_EQ(state(16), "C-i");
}

TEST(BrowserDetection, NetscapeVersionsAtTheCaptionBoundaries) {
    // The wizard's toolkit may switch the process to the user's locale (where the machine has a
    // German one, the versions must still read with their dots).
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    lumora_test::setMachineText(kNetscapeKey, "CurrentVersion", "4.75 (de)");
    char text[64];
    ASSERT_TRUE(detectNetscape(text, sizeof text));
    EXPECT_STREQ(text, "4.75 (de)");
    EXPECT_EQ(netscapeCaptionVersion(text), "4.75");
    auto state = [](const char* version) {
        const BrowserChoices c = netscapeChoices(version);
        return std::string(c.configureEnabled ? "C" : "-") + (c.installEnabled ? "I" : "-") +
               (c.installCaption == InstallCaption::Update ? "u" : "i");
    };
    EXPECT_EQ(state(""), "-Ii");
    EXPECT_EQ(state("3.04"), "-Ii");
    EXPECT_EQ(state("4.0"), "CIi");
    EXPECT_EQ(state("4.5"), "CIi");
    EXPECT_EQ(state("4.51"), "CIu");
    EXPECT_EQ(state("4.519 (en)"), "CIu");
    EXPECT_EQ(state("4.52"), "CIi");
    EXPECT_EQ(state("4.75 (de)"), "CIi");
    EXPECT_FALSE(detectNetscape(text, sizeof text, false));
    std::setlocale(LC_NUMERIC, "C");
}

TEST(BrowserPages, PresetInstallerCommandAndAnimationFrames) {
    EXPECT_EQ(presetBrowserChoice(0, false, true, true), 3);
    EXPECT_EQ(presetBrowserChoice(2, true, false, true), 1);
    EXPECT_EQ(presetBrowserChoice(2, true, false, false), 2);
    EXPECT_EQ(presetBrowserChoice(0, true, true, true), 0);
    EXPECT_EQ(browserInstallerCommand(0, "lumora", true, true), "BR_32_IE.exe lumora configure");
    EXPECT_EQ(browserInstallerCommand(1, "lumora", true, true), "BR_32_IE.exe lumora install");
    EXPECT_EQ(browserInstallerCommand(2, "lumora", true, true), "BR_32_NC.exe lumora configure");
    EXPECT_EQ(browserInstallerCommand(3, "lumora", true, true), "BR_32_NC.exe lumora install");
    EXPECT_EQ(browserInstallerCommand(-1, "lumora", false, true), "BR_32_NC.exe lumora install");
    EXPECT_EQ(browserInstallerCommand(-1, "lumora", true, true), "BR_32_IE.exe lumora install");

    // wParam 0 steps through three frames, then nothing more is drawn however often it comes.
    WORD index = 0;
    std::string drawn;
    for (int i = 0; i < 70000; ++i)
        if (stepAnimationFrame(index, 0, 3)) drawn += std::to_string(index);
    EXPECT_EQ(drawn, "12");
    index = 0;
    EXPECT_TRUE(stepAnimationFrame(index, 2, 3));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(stepAnimationFrame(index, 5, 3));
    EXPECT_FALSE(stepAnimationFrame(index, 0, 0));
}

}  // namespace
