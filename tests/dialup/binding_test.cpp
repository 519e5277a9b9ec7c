// The run-time binding against stand-in libraries placed beside this test program: the Windows
// 95 fall-back to "rnaph", a binding done once, a library lacking the entry functions, and the
// telephony library that is missing and not looked for again. Linux only: the stand-ins replace
// the system's own libraries, which Windows would not let a test do.
#include "ras_api.h"
#include "ras_calls.h"
#include "tapi_api.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

void setWindowsVersion(const char* version) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\Lumora", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "WindowsVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(std::strlen(version) + 1));
    RegCloseKey(key);
}

FARPROC exported(const char* module, const char* name) {
    HMODULE handle = GetModuleHandleA(module);
    return handle ? GetProcAddress(handle, name) : nullptr;
}

TEST(Binding, Windows95TakesTheEntryGroupFromRnaphAndConnectionsFromRasapi32) {
    setWindowsVersion("95");
    ASSERT_TRUE(loadRasApi());
    const RasApiTable& t = rasApi();
    ASSERT_TRUE(t.pRasGetEntryProperties != nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(t.pRasGetEntryProperties),
              reinterpret_cast<void*>(exported("rnaph.dll", "RasGetEntryProperties")));
    EXPECT_EQ(reinterpret_cast<void*>(t.pRasEnumDevices),
              reinterpret_cast<void*>(exported("rnaph.dll", "RasEnumDevices")));
    EXPECT_EQ(reinterpret_cast<void*>(t.pRasEnumConnectionsA),
              reinterpret_cast<void*>(exported("rasapi32.dll", "RasEnumConnectionsA")));
    // What neither library has stays unbound.
    EXPECT_TRUE(t.pRasDialA == nullptr);
    EXPECT_TRUE(t.pRasGetCountryInfo == nullptr);
    EXPECT_EQ(listRasDevices(), "rnaph-modem");
    EXPECT_EQ(getConnectedEntries(), "from-rasapi32");
    RASENTRYA* entry = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(getEntryProperties("", &entry, &size));
    EXPECT_EQ(size, 1768u);
    EXPECT_EQ(entry->dwSize, 1768u);
    std::free(entry);
    DWORD code = 0;
    EXPECT_FALSE(getCountryCode(49, &code));
    EXPECT_EQ(code, 49u);
}

TEST(Binding, ASecondLoadLoadsNothing) {
    setWindowsVersion("95");
    ASSERT_TRUE(loadRasApi());
    const HMODULE entry = rasApi().entryLibrary;
    const HMODULE connection = rasApi().connectionLibrary;
    ASSERT_TRUE(loadRasApi());
    EXPECT_EQ(rasApi().entryLibrary, entry);
    EXPECT_EQ(rasApi().connectionLibrary, connection);
    // Had the second call loaded again, the libraries would outlive one unload.
    unloadRasApi();
    EXPECT_TRUE(GetModuleHandleA("rnaph.dll") == nullptr);
    EXPECT_TRUE(GetModuleHandleA("rasapi32.dll") == nullptr);
    EXPECT_TRUE(rasApi().pRasEnumConnectionsA == nullptr);
}

TEST(Binding, OnNtARasapi32WithoutEntryPropertiesBindsNothing) {
    setWindowsVersion("2000");
    EXPECT_FALSE(loadRasApi());
    EXPECT_TRUE(rasApi().entryLibrary == nullptr);
    EXPECT_TRUE(rasApi().connectionLibrary == nullptr);
    EXPECT_TRUE(GetModuleHandleA("rasapi32.dll") == nullptr);
    EXPECT_EQ(getConnectedEntries(), "");
    EXPECT_EQ(listActiveConnections(), "");
    EXPECT_FALSE(rasDeviceExists("rnaph-modem"));
    EXPECT_FALSE(closeRasConnection("from-rasapi32"));
}

TEST(Binding, WithoutTapi32EveryLineCallIsUnavailableAndNotLoadedAgain) {
    LINECOUNTRYLIST list{};
    list.dwTotalSize = sizeof list;
    EXPECT_EQ(static_cast<DWORD>(lineGetCountry(0, 0x00010004, &list)), 0x80000049u);
    EXPECT_EQ(tapiApi().libraryState, TapiState::Failed);
    char country[8], city[8];
    EXPECT_EQ(tapiGetLocationInfo(country, city), -16);
    // A library that turns up later is not looked for.
    const char* prefix = std::getenv("LUMORA_PREFIX");
    ASSERT_TRUE(prefix != nullptr);
    std::filesystem::copy_file(lumora_test::binaryDir() + "later/libtapi32.so",
                               std::string(prefix) + "/windows/system/libtapi32.so");
    EXPECT_EQ(static_cast<DWORD>(lineGetCountry(0, 0x00010004, &list)), 0x80000049u);
    EXPECT_EQ(static_cast<DWORD>(lineShutdown(0)), 0x80000049u);
    EXPECT_EQ(tapiGetLocationInfo(country, city), -16);
    EXPECT_TRUE(GetModuleHandleA("tapi32.dll") == nullptr);
}

}  // namespace
