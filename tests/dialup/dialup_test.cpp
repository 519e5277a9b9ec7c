// The dial-up binding over the system's remote-access and telephony libraries: on Linux our
// rasapi32 with the prefix's service and its simulated provider, and our tapi32; under Wine,
// Wine's own (where Wine answers differently, the test says so).
#include "ras_api.h"
#include "ras_calls.h"
#include "tapi_api.h"
#include "dial_entry.h"
#include "machine_registry.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void dial(const char* name) {
    RASDIALPARAMSA params;
    ASSERT_TRUE(getEntryDialParams(name, &params));
    std::strcpy(params.szUserName, "kunde");
    std::strcpy(params.szPassword, "geheim");
    HRASCONN connection = nullptr;
    ASSERT_EQ(rasApi().pRasDialA(nullptr, nullptr, &params, 0, nullptr, &connection), 0u);
}

void CALLBACK lineEvents(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

class Dialup : public ::testing::Test {
protected:
    void SetUp() override {
        if (!lumora_test::onLinux()) return;
        const DWORD fast = 1;
        lumora_test::setMachineValue("System\\Lumora\\Provider", "StepDelay", REG_DWORD, &fast, sizeof fast);
    }
    // Each test leaves the process as it found it: the binding undone and the emulated Windows
    // version back at the machine's default.
    void TearDown() override {
        unloadRasApi();
        if (!lumora_test::onLinux()) return;
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\Lumora", 0, KEY_ALL_ACCESS, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, "WindowsVersion");
            RegCloseKey(key);
        }
    }
};

TEST_F(Dialup, BindsTheSystemsLibraryOnceWithBothGroups) {
    ASSERT_TRUE(loadRasApi());
    EXPECT_TRUE(rasApi().entryLibrary != nullptr);
    EXPECT_TRUE(rasApi().connectionLibrary != nullptr);
    EXPECT_TRUE(rasApi().pRasGetEntryProperties != nullptr);
    EXPECT_TRUE(rasApi().pRasDialA != nullptr);
    EXPECT_TRUE(rasApi().pRasEnumConnectionsA != nullptr);
    // Off line until something dials.
    EXPECT_EQ(getConnectedEntries(), "");
    EXPECT_EQ(listActiveConnections(), "");
}

TEST_F(Dialup, OnWindows95TheUnsuffixedNamesComeFromRasapi32) {
    if (!lumora_test::onLinux()) GTEST_SKIP() << "the emulated version is the prefix's";
    const char version[] = "95";
    lumora_test::setMachineValue("System\\Lumora", "WindowsVersion", REG_SZ, version, sizeof version);
    ASSERT_TRUE(loadRasApi());
    HMODULE rasapi32 = GetModuleHandleA("rasapi32.dll");
    ASSERT_TRUE(rasapi32 != nullptr);
    EXPECT_TRUE(GetModuleHandleA("rnaph.dll") == nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(rasApi().pRasGetEntryProperties),
              reinterpret_cast<void*>(GetProcAddress(rasapi32, "RasGetEntryProperties")));
    RASENTRYA* entry = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(getEntryProperties("", &entry, &size));
    EXPECT_EQ(size, 1768u);  // the Windows 95 structure
    std::free(entry);
}

TEST_F(Dialup, TwoConnectionsRunTogetherAndTabSeparated) {
    if (!lumora_test::onLinux()) GTEST_SKIP() << "dialling needs the prefix's simulated provider";
    makeDialEntry("Alpha", "Standard-28800-bps-Modem");
    makeDialEntry("Beta", "Standard-28800-bps-Modem");
    EXPECT_EQ(listPhonebookEntries(), "Alpha\tBeta");
    dial("Alpha");
    dial("Beta");
    EXPECT_EQ(getConnectedEntries(), "AlphaBeta");
    EXPECT_EQ(listActiveConnections(), "Alpha\tBeta");
    // Names are compared exactly: another letter case finds nothing.
    RasConnection connection;
    EXPECT_FALSE(getRasConnection("alpha", &connection));
    EXPECT_FALSE(closeRasConnection("ALPHA"));
    ASSERT_TRUE(getRasConnection("Alpha", &connection));
    RASCONNSTATUSA status;
    ASSERT_TRUE(getConnectStatus(connection.hrasconn, &status));
    EXPECT_EQ(status.rasconnstate, RASCS_Connected);
    EXPECT_TRUE(closeRasConnection("Alpha"));
    EXPECT_EQ(getConnectedEntries(), "Beta");
    EXPECT_TRUE(closeRasConnection("Beta"));
    EXPECT_EQ(getConnectedEntries(), "");
}

TEST_F(Dialup, EntryPropertiesComeInTheSystemsSize) {
    RASENTRYA* entry = nullptr;
    DWORD size = 0;
    if (!lumora_test::onLinux()) {
        // Wine's rasapi32 does not answer the size query with 603, so the wrapper fails.
        EXPECT_FALSE(getEntryProperties("", &entry, &size));
        return;
    }
    ASSERT_TRUE(getEntryProperties("", &entry, &size));
    EXPECT_EQ(size, kRasEntryWindows2000Size);
    EXPECT_EQ(entry->dwSize, size);
    std::free(entry);
    EXPECT_FALSE(getEntryProperties("Fehlt", &entry, &size));
    makeDialEntry("Anbieter", "Standard-28800-bps-Modem");
    ASSERT_TRUE(getEntryProperties("Anbieter", &entry, &size));
    EXPECT_STREQ(entry->szLocalPhoneNumber, "0191011");
    std::free(entry);
    EXPECT_FALSE(getEntryProperties(nullptr, &entry, &size));
}

TEST_F(Dialup, DevicesAreFoundByTheirExactName) {
    if (!lumora_test::onLinux()) GTEST_SKIP() << "the devices are the prefix's registry entries";
    const char isdn[] = "ISDN";
    lumora_test::setMachineValue("System\\Lumora\\RasDevices", "AVM ISDN-Controller", REG_SZ, isdn,
                    sizeof isdn);
    const char modem[] = "Standard-28800-bps-Modem";
    lumora_test::setMachineValue("Enum\\Root\\Modem\\STDMOD", "FriendlyName", REG_SZ, modem, sizeof modem);
    lumora_test::setMachineValue("System\\CurrentControlSet\\Services\\Class\\Modem\\STDMOD", "DriverDesc",
                    REG_SZ, modem, sizeof modem);
    EXPECT_EQ(listRasDevices(), "Standard-28800-bps-Modem\tAVM ISDN-Controller");
    EXPECT_EQ(maxDeviceNameLength(), std::strlen(modem));
    EXPECT_TRUE(rasDeviceExists("AVM ISDN-Controller"));
    EXPECT_FALSE(rasDeviceExists("avm isdn-controller"));
    char type[RAS_MaxDeviceType + 1] = {};
    ASSERT_TRUE(getDeviceType("AVM ISDN-Controller", type));
    EXPECT_STREQ(type, "isdn");
    EXPECT_FALSE(getDeviceType("Fehlt", type));
}

TEST_F(Dialup, CountryCodeOfACountryIdentifier) {
    // Wine's rasapi32 exports RasGetCountryInfoA as a stub that ends the process when called.
    if (!lumora_test::onLinux()) GTEST_SKIP() << "Wine has no RasGetCountryInfoA";
    DWORD code = 0;
    ASSERT_TRUE(getCountryCode(49, &code));
    EXPECT_EQ(code, 49u);
    ASSERT_TRUE(getCountryCode(44001, &code));  // Guernsey shares the United Kingdom's code
    EXPECT_EQ(code, 44u);
    EXPECT_FALSE(getCountryCode(999999, &code));
    EXPECT_EQ(code, 999999u);
}

TEST_F(Dialup, TelephonyCountryListGrowsToTheNeededSize) {
    std::vector<BYTE> buffer(24);
    auto* list = reinterpret_cast<LPLINECOUNTRYLIST>(buffer.data());
    list->dwTotalSize = 24;
    ASSERT_EQ(lineGetCountry(0, 0x00010004, list), 0);
    ASSERT_GT(list->dwNeededSize, 24u);
    EXPECT_EQ(list->dwNumCountries, 0u);
    const DWORD needed = list->dwNeededSize;
    buffer.assign(needed, 0);
    list = reinterpret_cast<LPLINECOUNTRYLIST>(buffer.data());
    list->dwTotalSize = needed;
    ASSERT_EQ(lineGetCountry(0, 0x00010004, list), 0);
    EXPECT_EQ(list->dwUsedSize, needed);
    ASSERT_GT(list->dwNumCountries, 200u);
    const auto* entries =
        reinterpret_cast<const LINECOUNTRYENTRY*>(buffer.data() + list->dwCountryListOffset);
    std::string germany;
    for (DWORD i = 0; i < list->dwNumCountries; ++i)
        if (entries[i].dwCountryID == 49)
            germany = reinterpret_cast<const char*>(buffer.data() + entries[i].dwCountryNameOffset);
    // Wine names the countries in English.
    EXPECT_EQ(germany, lumora_test::onLinux() ? "Deutschland" : "Germany");
}

TEST_F(Dialup, TelephonyLocationOfThePrefix) {
    char country[8] = {}, city[8] = {};
    if (lumora_test::onLinux()) {
        // The new prefix's one location: Germany, area code 30.
        ASSERT_EQ(tapiGetLocationInfo(country, city), 0);
        EXPECT_STREQ(country, "49");
        EXPECT_STREQ(city, "30");
    } else {
        // A new Wine prefix has no telephony location until the first lineGetTranslateCaps of
        // any test of this process makes Wine's default one (without codes).
        const LONG result = tapiGetLocationInfo(country, city);
        if (result != 0) {
            EXPECT_EQ(result, TAPIERR_REQUESTFAILED);
        }
    }
    HLINEAPP app = 0;
    DWORD devices = 0;
    ASSERT_EQ(lineInitialize(&app, nullptr, &lineEvents, "dialup_tests", &devices), 0);
    EXPECT_EQ(lineShutdown(app), 0);
}

}  // namespace
