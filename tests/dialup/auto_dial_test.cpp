// AutoDial registration of the provider's entry through the system's remote-access service (ours
// with the prefix's rasman): the phone number split into the entry, the library named the way the
// emulated Windows version expects it, the credentials never kept, the registry values, and the
// same state after a second run.
#include "auto_dial.h"
#include "dial_entry.h"
#include "machine_registry.h"
#include "ras_api.h"
#include "ras_calls.h"
#include "registry.h"
#include "testenv.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Split {
    std::string country, area, number;
    bool operator==(const Split&) const = default;
};

Split split(const char* phone) {
    Split s{"x", "x", "x"};
    splitPhoneNumber(phone, s.country, s.area, s.number);
    return s;
}

constexpr const char* kEntry = "Lumora Online";

class AutoDial : public ::testing::Test {
protected:
    void SetUp() override {
        if (!lumora_test::onLinux()) GTEST_SKIP() << "registers an entry in the machine's phonebook";
        lumora_test::setMachineText("System\\Lumora\\RasDevices", "ISDN-Adapter", "isdn");
        settings_.useRas = true;
        settings_.entryName = kEntry;
        settings_.phoneNumber = "+49 (030) 1234 567";
        settings_.deviceName = "ISDN-Adapter";
        settings_.programFolder = "C:\\Programme\\Lumora\\";
        settings_.programFile = "lumora.exe";
    }
    void TearDown() override { unloadRasApi(); }

    void setVersion(const char* version) {
        lumora_test::setMachineText("System\\Lumora", "WindowsVersion", version);
    }
    std::vector<BYTE> entryBytes() {
        RASENTRYA* entry = nullptr;
        DWORD size = 0;
        if (!getEntryProperties(kEntry, &entry, &size)) return {};
        std::vector<BYTE> bytes(reinterpret_cast<BYTE*>(entry), reinterpret_cast<BYTE*>(entry) + size);
        std::free(entry);
        return bytes;
    }
    static std::string registryState() {
        const char* internet = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
        // regReadString answers in one shared buffer: each text is copied at once.
        std::string state = regReadString("Software\\Tarnwell\\AutoDial\\Lumora Online", "Name", "-");
        state += "|" + std::to_string(regReadDword(internet, "EnableAutodial", 9));
        state += "|" + std::to_string(regReadDword(internet, "NoNetAutodial", 9));
        state += std::string("|") + regReadString("RemoteAccess\\", "Default", "-");
        state += std::string("|") + regReadString("RemoteAccess\\", "InternetProfile", "-");
        return state;
    }

    AutoDialSettings settings_;
};

}  // namespace

TEST(SplitPhoneNumber, CountryAreaAndNumber) {
    EXPECT_EQ(split("+49 (030) 1234 567"), (Split{"49", "030", "1234 567"}));
    EXPECT_EQ(split("+47 () 1234"), (Split{"47", "", "1234"}));
    EXPECT_EQ(split("0301234"), (Split{"", "", "0301234"}));
    // No closing bracket: the whole text is the number.
    EXPECT_EQ(split("+49 (030"), (Split{"49", "", "+49 (030"}));
    EXPECT_EQ(split("+49 (030)   12-34"), (Split{"49", "030", "12-34"}));
}

TEST_F(AutoDial, Windows2000EntryNamesTheCustomDialLibraryAndKeepsNoCredentials) {
    // An old entry with credentials and a script: the registration replaces all of it.
    makeDialEntry(kEntry, "ISDN-Adapter");
    RASDIALPARAMSA params;
    ASSERT_TRUE(getEntryDialParams(kEntry, &params));
    std::strcpy(params.szUserName, "kunde");
    std::strcpy(params.szPassword, "geheim");
    ASSERT_TRUE(setEntryDialParams(&params));

    EXPECT_TRUE(makeAutoDial(settings_));
    const std::vector<BYTE> first = entryBytes();
    ASSERT_GE(first.size(), 2088u);
    const auto* entry = reinterpret_cast<const RASENTRYA*>(first.data());
    EXPECT_STREQ(entry->szCustomDialDll, "C:\\Programme\\Lumora\\Ardial32.DLL");
    EXPECT_STREQ(entry->szAutodialDll, "");
    EXPECT_STREQ(entry->szAutodialFunc, "");
    EXPECT_EQ(entry->dwType, static_cast<DWORD>(RASET_Phone));
    EXPECT_STREQ(entry->szAreaCode, "030");
    EXPECT_STREQ(entry->szLocalPhoneNumber, "1234 567");
    EXPECT_EQ(entry->dwCountryID, 49u);
    EXPECT_EQ(entry->dwCountryCode, 49u);
    EXPECT_STREQ(entry->szDeviceName, "ISDN-Adapter");
    EXPECT_STREQ(entry->szDeviceType, "isdn");
    EXPECT_EQ(entry->dwfOptions, 0x111u);
    EXPECT_EQ(entry->dwfNetProtocols, 4u);
    EXPECT_EQ(entry->dwFramingProtocol, 1u);
    ASSERT_TRUE(getEntryDialParams(kEntry, &params));
    EXPECT_STREQ(params.szUserName, "");
    EXPECT_STREQ(params.szPassword, "");
    EXPECT_EQ(registryState(), "C:\\Programme\\Lumora\\lumora.exe|1|0|Lumora Online|Lumora Online");

    // A second run leaves the same entry and registry.
    EXPECT_TRUE(makeAutoDial(settings_));
    EXPECT_EQ(entryBytes(), first);
    EXPECT_EQ(registryState(), "C:\\Programme\\Lumora\\lumora.exe|1|0|Lumora Online|Lumora Online");
}

TEST_F(AutoDial, Windows98EntryNamesTheAutoDialFunctionAndANumberAloneHasNoCountry) {
    setVersion("98");
    settings_.phoneNumber = "0191011";
    settings_.deviceName = "Kein Ger\xE4t";
    EXPECT_TRUE(makeAutoDial(settings_));
    const std::vector<BYTE> bytes = entryBytes();
    ASSERT_FALSE(bytes.empty());
    ASSERT_LT(bytes.size(), 2088u);
    const auto* entry = reinterpret_cast<const RASENTRYA*>(bytes.data());
    EXPECT_STREQ(entry->szAutodialDll, "C:\\Programme\\Lumora\\Ardial32.DLL");
    EXPECT_STREQ(entry->szAutodialFunc, "TNAutoDialHandlerA");
    EXPECT_STREQ(entry->szLocalPhoneNumber, "0191011");
    EXPECT_STREQ(entry->szAreaCode, "");
    EXPECT_EQ(entry->dwCountryID, 0u);
    EXPECT_EQ(entry->dwfOptions & RASEO_UseCountryAndAreaCodes, 1u);
    // No such device: its type stays empty.
    EXPECT_STREQ(entry->szDeviceType, "");
}

TEST_F(AutoDial, WithoutDialupNothingIsWritten) {
    settings_.useRas = false;
    EXPECT_TRUE(makeAutoDial(settings_));
    EXPECT_TRUE(entryBytes().empty());
    EXPECT_EQ(registryState(), "-|9|9|-|-");
}
