// The dial devices, the ISDN look-ups, the standard modem entries and the repeated search, through
// the real remote-access library, the real registry editor and a simulated modem as processes.
#include "device_search.h"
#include "dial_devices.h"
#include "standard_modem.h"

#include "machine_registry.h"
#include "modem_sim.h"
#include "run_program.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kClassKey = "System\\CurrentControlSet\\Services\\Class\\Modem\\STDMOD";
constexpr const char* kEnumKey = "Enum\\Root\\Modem\\STDMOD";

void setWindowsVersion(const char* version) {
    lumora_test::setMachineText("System\\Lumora", "WindowsVersion", version);
}

// Makes a scratch folder holding the named files of the deployed wizard folder the current one.
void enterFolderWith(std::initializer_list<const char*> files) {
    std::string dir = lumora_test::scratchDir();
    for (const char* file : files)
        std::filesystem::copy_file(std::string(LUMORA_WIZARD_DEPLOY) + "/" + file, dir + file);
    ASSERT_EQ(::chdir(dir.c_str()), 0);
}

std::string machineText(const char* path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char data[256] = {};
    DWORD size = sizeof data - 1;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? data : "<no value>";
}

bool hasName(const CDialDevices& devices, const std::string& name) {
    return std::find(devices.names().begin(), devices.names().end(), name) != devices.names().end();
}

TEST(StandardModem, OnWindows98TheScriptsModemIsPreparedListedAndRemovedAgain) {
    setWindowsVersion("98");
    enterFolderWith({"mdm.reg"});
    ASSERT_EQ(prepareStandardModem(kStandardModemScript, "COM3", "Beispiel-Standard-Modem"),
              StandardModemResult::Prepared);
    EXPECT_EQ(machineText(kClassKey, "AttachedTo"), "COM3");
    EXPECT_EQ(machineText(kEnumKey, "FriendlyName"), "Beispiel-Standard-Modem");
    // Windows 98 has no "rnaph.dll" here: the binding falls back to "rasapi32.dll".
    CDialDevices devices;
    ASSERT_TRUE(devices.bind());
    EXPECT_TRUE(hasName(devices, "Beispiel-Standard-Modem"));
    // "Eigenschaften" on the device list page: the settings program shows the modem's port.
    const auto shown = lumora_test::runProgram("modcfg", {"0", "Beispiel-Standard-Modem"}, {"DISPLAY="});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.err.find("Anschluss: COM3"), std::string::npos) << shown.err;

    EXPECT_TRUE(removeStandardModem(devices));
    EXPECT_EQ(machineText(kClassKey, "AttachedTo"), "<no key>");
    EXPECT_EQ(machineText((std::string(kClassKey) + "\\Init").c_str(), "1"), "<no key>");
    EXPECT_EQ(machineText(kEnumKey, "FriendlyName"), "<no key>");
    devices.rebuild();
    EXPECT_FALSE(hasName(devices, "Beispiel-Standard-Modem"));
}

TEST(StandardModem, AMissingScriptEndsTheWaitAtTheLimit) {
    setWindowsVersion("95");
    enterFolderWith({});
    EXPECT_EQ(prepareStandardModem(kStandardModemScript, "COM1", "Beispiel-Standard-Modem", 800),
              StandardModemResult::TimedOut);
    EXPECT_EQ(machineText(kClassKey, "AttachedTo"), "<no key>");
}

TEST(StandardModem, OnWindowsNtNeitherStepTouchesTheRegistry) {
    setWindowsVersion("NT4");
    enterFolderWith({"mdm.reg"});
    lumora_test::setMachineText(kEnumKey, "FriendlyName", "Vorhandenes Modem");
    EXPECT_EQ(prepareStandardModem(kStandardModemScript, "COM3", "Beispiel-Standard-Modem"),
              StandardModemResult::NotNeeded);
    EXPECT_EQ(machineText(kClassKey, "AttachedTo"), "<no key>");
    CDialDevices devices;
    EXPECT_FALSE(removeStandardModem(devices));
    EXPECT_EQ(machineText(kEnumKey, "FriendlyName"), "Vorhandenes Modem");
}

class IsdnLookups : public ::testing::Test {
protected:
    void SetUp() override {
        setWindowsVersion("2000");
        lumora_test::setMachineText("System\\Lumora\\RasDevices", "Analoges Modem", "modem");
        lumora_test::setMachineText("System\\Lumora\\RasDevices", "ISDN-Karte PCI", "isdn");
    }
};

TEST_F(IsdnLookups, WithoutTheListFileNoIsdnDeviceIsFoundButTheIsdnButtonStillGetsOne) {
    enterFolderWith({});
    CDialDevices devices;
    ASSERT_TRUE(devices.bind());
    std::string name;
    EXPECT_FALSE(devices.findListedIsdnDevice(name));
    EXPECT_TRUE(devices.isIsdnDevice("GETDEVICE", &name));
    EXPECT_EQ(name, "ISDN-Karte PCI");
    EXPECT_TRUE(devices.isIsdnDevice("ISDN-Karte PCI"));
    EXPECT_FALSE(devices.isIsdnDevice("Analoges Modem"));
    std::string fullName, type;
    ASSERT_TRUE(devices.findDeviceByPrefix("", fullName, type));
    EXPECT_EQ(fullName, devices.names().front());
}

TEST_F(IsdnLookups, TheListFileNamesTheIsdnDeviceAndPrefixesFindDevices) {
    enterFolderWith({"isdndevs.dat"});
    CDialDevices devices;
    ASSERT_TRUE(devices.bind());
    std::string name;
    ASSERT_TRUE(devices.findListedIsdnDevice(name));
    EXPECT_EQ(name, "ISDN-Karte PCI");
    std::string fullName, type;
    ASSERT_TRUE(devices.findDeviceByPrefix("", fullName, type));
    EXPECT_EQ(fullName, "ISDN-Karte PCI");
    EXPECT_EQ(type, "isdn");
    ASSERT_TRUE(devices.findDeviceByPrefix("Analog", fullName, type));
    EXPECT_EQ(fullName, "Analoges Modem");
    EXPECT_EQ(type, "modem");
}

}  // namespace

namespace {

// The device choice page's repeated search on Windows 98: a modem found prepares the standard
// modem for its port; once the modem is gone, the next search removes it again.
TEST(RepeatSearch, TheStandardModemFollowsTheModemFound) {
    setWindowsVersion("98");
    enterFolderWith({"mdm.reg", "isdndevs.dat"});
    lumora_test::setMachineText("System\\Lumora\\RasDevices", "ISDN-Karte PCI", "isdn");
    CDialDevices devices;
    ASSERT_TRUE(devices.bind());
    int steps = 0;
    {
        ModemSim modem(2, "ok");
        ASSERT_TRUE(modem.running());
        const ModemSearchResult found =
            repeatModemSearch(devices, [&](int) { ++steps; }, "Beispiel-Standard-Modem");
        EXPECT_EQ(found.port, 2);
        EXPECT_EQ(found.acceptedCommand, "&F1");
        EXPECT_EQ(found.modem, StandardModemResult::Prepared);
        EXPECT_EQ(steps, 2);
    }
    EXPECT_EQ(machineText(kClassKey, "AttachedTo"), "COM2");
    devices.rebuild();
    EXPECT_TRUE(hasName(devices, "Beispiel-Standard-Modem"));
    std::string isdn;
    EXPECT_EQ(deviceFindingIndex(true, devices.findListedIsdnDevice(isdn)), 0);

    const ModemSearchResult none = repeatModemSearch(devices, nullptr, "Beispiel-Standard-Modem");
    EXPECT_EQ(none.port, 0);
    EXPECT_EQ(machineText(kClassKey, "AttachedTo"), "<no key>");
    EXPECT_FALSE(hasName(devices, "Beispiel-Standard-Modem"));
    EXPECT_EQ(deviceFindingIndex(false, devices.findListedIsdnDevice(isdn)), 1);
    EXPECT_EQ(deviceFindingIndex(false, false), 3);
}

}  // namespace
