// The dial devices, the ISDN look-ups and the standard modem entries, through the real
// remote-access library and the real registry editor started as a process.
#include "dial_devices.h"
#include "standard_modem.h"

#include "machine_registry.h"
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
