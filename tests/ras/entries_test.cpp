// The phonebook calls of rasapi32: the size protocol of the entry structure per emulated Windows
// version, creating, renaming and deleting entries, saved dial parameters, the lists and their
// buffer protocol, the devices, and the German error texts.
#include "ras_fixture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace ras_test;

namespace {

DWORD reportedEntrySize() {
    DWORD size = 0;
    EXPECT_EQ(RasGetEntryPropertiesA(nullptr, "", nullptr, &size, nullptr, nullptr),
              static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    return size;
}

TEST(RasEntries, EntrySizeFollowsTheEmulatedWindowsVersion) {
    EXPECT_EQ(reportedEntrySize(), 2088u);
    setWindowsVersion("NT4");
    EXPECT_EQ(reportedEntrySize(), 1796u);
    setWindowsVersion("95");
    EXPECT_EQ(reportedEntrySize(), 1768u);
    // A structure of a later system is unknown to an earlier one.
    std::vector<BYTE> buffer(2088);
    auto* entry = reinterpret_cast<RASENTRYA*>(buffer.data());
    entry->dwSize = 2088;
    DWORD size = 2088;
    EXPECT_EQ(RasGetEntryPropertiesA(nullptr, "", entry, &size, nullptr, nullptr),
              static_cast<DWORD>(ERROR_INVALID_SIZE));
    entry->dwSize = 1768;
    EXPECT_EQ(RasGetEntryPropertiesA(nullptr, "", entry, &size, nullptr, nullptr), 0u);
    EXPECT_EQ(entry->dwSize, 1768u);
}

TEST(RasEntries, PropertiesRoundTripAndOlderStructuresKeepNewerMembers) {
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    entry.dwfOptions = RASEO_RemoteDefaultGateway;
    entry.dwCountryID = 49;
    entry.dwCountryCode = 49;
    std::strcpy(entry.szAreaCode, "30");
    std::strcpy(entry.szLocalPhoneNumber, "0191011");
    std::strcpy(entry.szDeviceType, RASDT_Isdn);
    std::strcpy(entry.szDeviceName, "ISDN-Karte \xe4");
    entry.ipaddrDns = {192, 168, 1, 2};
    entry.dwType = RASET_Phone;
    std::strcpy(entry.szCustomDialDll, "C:\\Programme\\Lumora\\Ardial32.dll");
    entry.guidId.Data1 = 0x12345678;
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, "Anbieter", &entry, sizeof entry, nullptr, 0), 0u);

    RASENTRYA read{};
    read.dwSize = sizeof read;
    DWORD size = sizeof read;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "Anbieter", &read, &size, nullptr, nullptr), 0u);
    EXPECT_EQ(std::memcmp(&read, &entry, sizeof entry), 0);

    // Rewritten through the Windows 95 form, the entry keeps what that form does not hold.
    RASENTRYA old{};
    old.dwSize = 1768;
    size = sizeof old;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "Anbieter", &old, &size, nullptr, nullptr), 0u);
    EXPECT_EQ(old.szCustomDialDll[0], 0);
    std::strcpy(old.szLocalPhoneNumber, "0192000");
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, "Anbieter", &old, 1768, nullptr, 0), 0u);
    size = sizeof read;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "anbieter", &read, &size, nullptr, nullptr), 0u);
    EXPECT_STREQ(read.szLocalPhoneNumber, "0192000");
    EXPECT_STREQ(read.szCustomDialDll, "C:\\Programme\\Lumora\\Ardial32.dll");
    EXPECT_STREQ(read.szDeviceName, "ISDN-Karte \xe4");
}

TEST(RasEntries, NamesAreValidatedRenamedAndDeleted) {
    makeEntry("Eins");
    EXPECT_EQ(RasValidateEntryNameA(nullptr, "Eins"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(RasValidateEntryNameA(nullptr, "EINS"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(RasValidateEntryNameA(nullptr, "Zwei"), 0u);
    EXPECT_EQ(RasValidateEntryNameA(nullptr, ""), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(RasValidateEntryNameA(nullptr, "a\\b"), static_cast<DWORD>(ERROR_INVALID_NAME));
    makeEntry("Zwei");
    EXPECT_EQ(RasRenameEntryA(nullptr, "Eins", "Zwei"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(RasRenameEntryA(nullptr, "Eins", "Drei"), 0u);
    EXPECT_EQ(RasDeleteEntryA(nullptr, "Eins"),
              static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
    EXPECT_EQ(RasDeleteEntryA(nullptr, "Zwei"), 0u);

    std::vector<RASENTRYNAMEA> names(4);
    names[0].dwSize = sizeof(RASENTRYNAMEA);
    DWORD size = sizeof(RASENTRYNAMEA) * 4;
    DWORD count = 0;
    ASSERT_EQ(RasEnumEntriesA(nullptr, nullptr, names.data(), &size, &count), 0u);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(names[0].szEntryName, "Drei");
    EXPECT_EQ(size, 264u);
}

TEST(RasEntries, ListsAnswerTooSmallBuffersWithTheSizeNeeded) {
    makeEntry("A");
    makeEntry("B");
    RASENTRYNAMEA one{};
    one.dwSize = sizeof one;
    DWORD size = sizeof one;
    DWORD count = 0;
    EXPECT_EQ(RasEnumEntriesA(nullptr, nullptr, &one, &size, &count),
              static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    EXPECT_EQ(size, 2u * 264u);
    one.dwSize = 300;
    size = sizeof one;
    EXPECT_EQ(RasEnumEntriesA(nullptr, nullptr, &one, &size, &count),
              static_cast<DWORD>(ERROR_INVALID_SIZE));
    RASCONNA conn{};
    conn.dwSize = 400;
    size = sizeof conn;
    EXPECT_EQ(RasEnumConnectionsA(&conn, &size, &count), static_cast<DWORD>(ERROR_INVALID_SIZE));
    EXPECT_EQ(sizeof(RASCONNA), 412u);
    EXPECT_EQ(sizeof(RASDIALPARAMSA), 1052u);
    EXPECT_EQ(sizeof(RASCONNSTATUSA), 160u);
    EXPECT_EQ(sizeof(RASDEVINFOA), 152u);
    EXPECT_EQ(sizeof(RASCTRYINFOA), 20u);
    EXPECT_EQ(sizeof(RASDIALEXTENSIONS), 16u);
}

// A connection handle sits in 32 bits of RASCONN and takes NULL, 0 and nullptr as Windows code
// writes them.
TEST(RasEntries, ConnectionHandlesAreThirtyTwoBitsAndTakeNull) {
    RASCONNA connection{};
    connection.hrasconn = NULL;
    EXPECT_TRUE(connection.hrasconn == NULL);
    HRASCONN handle = reinterpret_cast<HRASCONN__*>(static_cast<UINT_PTR>(0x00010001));
    connection.hrasconn = handle;
    EXPECT_TRUE(connection.hrasconn != 0);
    EXPECT_TRUE(connection.hrasconn == handle);
    EXPECT_EQ(static_cast<unsigned>(static_cast<UINT_PTR>(connection.hrasconn)), 0x00010001u);
    EXPECT_EQ(sizeof connection.hrasconn, 4u);
}

TEST(RasEntries, DialParamsAreSavedWithOrWithoutThePassword) {
    makeEntry("Anbieter");
    RASDIALPARAMSA p = dialParams("Anbieter", "kunde", "geheim");
    ASSERT_EQ(RasSetEntryDialParamsA(nullptr, &p, FALSE), 0u);
    RASDIALPARAMSA read{};
    read.dwSize = sizeof read;
    std::strcpy(read.szEntryName, "Anbieter");
    BOOL saved = FALSE;
    ASSERT_EQ(RasGetEntryDialParamsA(nullptr, &read, &saved), 0u);
    EXPECT_TRUE(saved);
    EXPECT_STREQ(read.szUserName, "kunde");
    EXPECT_STREQ(read.szPassword, "geheim");
    ASSERT_EQ(RasSetEntryDialParamsA(nullptr, &p, TRUE), 0u);
    ASSERT_EQ(RasGetEntryDialParamsA(nullptr, &read, &saved), 0u);
    EXPECT_FALSE(saved);
    EXPECT_STREQ(read.szPassword, "");
    std::strcpy(read.szEntryName, "Fehlt");
    EXPECT_EQ(RasGetEntryDialParamsA(nullptr, &read, &saved),
              static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
}

TEST(RasEntries, DevicesComeFromTheModemKeysAndTheConfiguredList) {
    setMachineText("System\\CurrentControlSet\\Services\\Class\\Modem\\STDMOD", "DriverDesc",
            "Standardmodem");
    setMachineText("Enum\\Root\\Modem\\STDMOD", "FriendlyName", "Standard-28800-bps-Modem");
    setMachineText("System\\Lumora\\RasDevices", "AVM ISDN-Controller", "ISDN");
    DWORD size = 0;
    DWORD count = 0;
    EXPECT_EQ(RasEnumDevicesA(nullptr, &size, &count), static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    ASSERT_EQ(size, 2u * 152u);
    std::vector<RASDEVINFOA> devices(2);
    devices[0].dwSize = sizeof(RASDEVINFOA);
    ASSERT_EQ(RasEnumDevicesA(devices.data(), &size, &count), 0u);
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(devices[0].szDeviceName, "Standard-28800-bps-Modem");
    EXPECT_STREQ(devices[0].szDeviceType, "modem");
    EXPECT_STREQ(devices[1].szDeviceName, "AVM ISDN-Controller");
    EXPECT_STREQ(devices[1].szDeviceType, "isdn");
}

// A phonebook that is not an INI file is reported, and left as it is rather than overwritten.
TEST(RasEntries, DamagedPhonebookIsReportedAndKept) {
    makeEntry("Anbieter");
    const std::string file = std::string(std::getenv("LUMORA_PREFIX")) + "/ras/rasphone.pbk";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "PhoneNumber=0191011\r\n[Anbieter\r\n";
    }
    RASENTRYNAMEA names[2] = {};
    names[0].dwSize = sizeof(RASENTRYNAMEA);
    DWORD size = sizeof names;
    DWORD count = 0;
    EXPECT_EQ(RasEnumEntriesA(nullptr, nullptr, names, &size, &count),
              static_cast<DWORD>(ERROR_CANNOT_LOAD_PHONEBOOK));
    EXPECT_EQ(RasValidateEntryNameA(nullptr, "Neu"),
              static_cast<DWORD>(ERROR_CANNOT_LOAD_PHONEBOOK));
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    EXPECT_EQ(RasSetEntryPropertiesA(nullptr, "Neu", &entry, sizeof entry, nullptr, 0),
              static_cast<DWORD>(ERROR_CANNOT_LOAD_PHONEBOOK));
    std::ifstream in(file, std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "PhoneNumber=0191011\r\n[Anbieter\r\n");
}

TEST(RasEntries, ErrorTextsAreGermanInWindows1252) {
    char text[256];
    ASSERT_EQ(RasGetErrorStringA(691, text, sizeof text), 0u);
    EXPECT_STREQ(text, "Der Zugriff wurde verweigert, da Benutzername und/oder Kennwort in der "
                       "Dom\xe4ne ung\xfcltig ist.");
    ASSERT_EQ(RasGetErrorStringA(676, text, sizeof text), 0u);
    EXPECT_STREQ(text, "Die Telefonleitung ist besetzt.");
    EXPECT_EQ(RasGetErrorStringA(691, text, 10), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(RasGetErrorStringA(5, text, sizeof text), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
