// tapi32 on Linux: the country list (German names from iso-codes, calling codes from
// libphonenumber), the dialling locations of the registry with the buffer protocol, the
// application handles and the line devices' icons.
#include <windows.h>

#include <ras.h>
#include <tapi.h>

#include "icons.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kVersion14 = 0x00010004;

// Calls `call` with a buffer grown to the needed size, as the system's callers do.
template <typename Struct, typename Call>
std::vector<BYTE> grown(Call call) {
    std::vector<BYTE> buffer(sizeof(Struct));
    for (int round = 0; round < 3; ++round) {
        auto* head = reinterpret_cast<Struct*>(buffer.data());
        head->dwTotalSize = static_cast<DWORD>(buffer.size());
        EXPECT_EQ(call(head), 0);
        if (head->dwNeededSize <= head->dwTotalSize) return buffer;
        buffer.assign(head->dwNeededSize, 0);
    }
    ADD_FAILURE() << "the needed size kept growing";
    return buffer;
}

std::string textAt(const std::vector<BYTE>& buffer, DWORD offset, DWORD size) {
    return size ? std::string(reinterpret_cast<const char*>(buffer.data() + offset)) : "";
}

void setLocation(DWORD index, DWORD id, const char* name, DWORD country, const char* area,
                 DWORD flags) {
    const std::string path =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations\\Location" +
        std::to_string(index);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "ID", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&id), 4);
    RegSetValueExA(key, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                   static_cast<DWORD>(std::strlen(name) + 1));
    RegSetValueExA(key, "Country", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&country), 4);
    RegSetValueExA(key, "AreaCode", 0, REG_SZ, reinterpret_cast<const BYTE*>(area),
                   static_cast<DWORD>(std::strlen(area) + 1));
    RegSetValueExA(key, "Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), 4);
    RegCloseKey(key);
}

TEST(TapiCountries, OneCountryWithItsGermanNameCodeAndRules) {
    const auto buffer = grown<LINECOUNTRYLIST>(
        [](LPLINECOUNTRYLIST list) { return lineGetCountry(43, kVersion14, list); });
    const auto* list = reinterpret_cast<const LINECOUNTRYLIST*>(buffer.data());
    ASSERT_EQ(list->dwNumCountries, 1u);
    const auto& austria =
        *reinterpret_cast<const LINECOUNTRYENTRY*>(buffer.data() + list->dwCountryListOffset);
    EXPECT_EQ(austria.dwCountryID, 43u);
    EXPECT_EQ(austria.dwCountryCode, 43u);
    EXPECT_EQ(textAt(buffer, austria.dwCountryNameOffset, austria.dwCountryNameSize),
              "\xd6sterreich");
    EXPECT_EQ(textAt(buffer, austria.dwLongDistanceRuleOffset, austria.dwLongDistanceRuleSize),
              "0FG");
    EXPECT_EQ(textAt(buffer, austria.dwInternationalRuleOffset, austria.dwInternationalRuleSize),
              "00EFG");
    EXPECT_GT(austria.dwNextCountryID, 43u);
}

TEST(TapiCountries, RegionsSharingACodeHaveTheirOwnIdentifiers) {
    const auto buffer = grown<LINECOUNTRYLIST>(
        [](LPLINECOUNTRYLIST list) { return lineGetCountry(0, kVersion14, list); });
    const auto* list = reinterpret_cast<const LINECOUNTRYLIST*>(buffer.data());
    const auto* entries =
        reinterpret_cast<const LINECOUNTRYENTRY*>(buffer.data() + list->dwCountryListOffset);
    std::vector<DWORD> withCode7;
    DWORD previous = 0;
    for (DWORD i = 0; i < list->dwNumCountries; ++i) {
        EXPECT_GT(entries[i].dwCountryID, previous);  // ascending, so no identifier twice
        previous = entries[i].dwCountryID;
        if (i + 1 < list->dwNumCountries) {
            EXPECT_EQ(entries[i].dwNextCountryID, entries[i + 1].dwCountryID);
        }
        if (entries[i].dwCountryCode == 7) withCode7.push_back(entries[i].dwCountryID);
    }
    EXPECT_EQ(entries[list->dwNumCountries - 1].dwNextCountryID, 0u);
    // Russia is the main region of +7; Kazakhstan shares the code.
    ASSERT_EQ(withCode7.size(), 2u);
    EXPECT_EQ(withCode7[0], 7u);
    EXPECT_EQ(withCode7[1], 7001u);
}

TEST(TapiCountries, BadRequestsAreRefused) {
    LINECOUNTRYLIST list{};
    list.dwTotalSize = sizeof list;
    EXPECT_EQ(static_cast<DWORD>(lineGetCountry(999, kVersion14, &list)),
              LINEERR_INVALCOUNTRYCODE);
    EXPECT_EQ(static_cast<DWORD>(lineGetCountry(49, 0x00010003, &list)),
              LINEERR_INCOMPATIBLEAPIVERSION);
    EXPECT_EQ(static_cast<DWORD>(lineGetCountry(49, kVersion14, nullptr)), LINEERR_INVALPOINTER);
    list.dwTotalSize = 20;
    EXPECT_EQ(static_cast<DWORD>(lineGetCountry(49, kVersion14, &list)),
              LINEERR_STRUCTURETOOSMALL);
}

TEST(TapiLocations, TheNewPrefixsLocationInVersion14Entries) {
    const auto buffer = grown<LINETRANSLATECAPS>(
        [](LPLINETRANSLATECAPS caps) { return lineGetTranslateCaps(0, kVersion14, caps); });
    const auto* caps = reinterpret_cast<const LINETRANSLATECAPS*>(buffer.data());
    ASSERT_EQ(caps->dwNumLocations, 1u);
    EXPECT_EQ(caps->dwLocationListSize, 60u);  // the 1.4 entry has no call-waiting members
    EXPECT_EQ(caps->dwCurrentLocationID, 1u);
    const auto& location =
        *reinterpret_cast<const LINELOCATIONENTRY*>(buffer.data() + caps->dwLocationListOffset);
    EXPECT_EQ(textAt(buffer, location.dwLocationNameOffset, location.dwLocationNameSize),
              "Standardstandort");
    EXPECT_EQ(location.dwCountryID, 49u);
    EXPECT_EQ(location.dwCountryCode, 49u);
    EXPECT_EQ(textAt(buffer, location.dwCityCodeOffset, location.dwCityCodeSize), "30");
    EXPECT_EQ(location.dwOptions, 0u);  // tone dialling
}

TEST(TapiLocations, CurrentLocationIsChosenAndReported) {
    setLocation(1, 2, "B\xfcro", 41, "44", 0);
    EXPECT_EQ(static_cast<DWORD>(lineSetCurrentLocation(0, 9)), LINEERR_INVALLOCATION);
    ASSERT_EQ(lineSetCurrentLocation(0, 2), 0);
    char country[8], city[8];
    ASSERT_EQ(tapiGetLocationInfo(country, city), 0);
    EXPECT_STREQ(country, "41");
    EXPECT_STREQ(city, "44");
    const auto buffer = grown<LINETRANSLATECAPS>(
        [](LPLINETRANSLATECAPS caps) { return lineGetTranslateCaps(0, 0x00020000, caps); });
    const auto* caps = reinterpret_cast<const LINETRANSLATECAPS*>(buffer.data());
    ASSERT_EQ(caps->dwNumLocations, 2u);
    EXPECT_EQ(caps->dwCurrentLocationID, 2u);
    EXPECT_EQ(caps->dwLocationListSize, 2 * sizeof(LINELOCATIONENTRY));
    const auto* second = reinterpret_cast<const LINELOCATIONENTRY*>(
        buffer.data() + caps->dwLocationListOffset) + 1;
    EXPECT_EQ(textAt(buffer, second->dwLocationNameOffset, second->dwLocationNameSize),
              "B\xfcro");
    EXPECT_EQ(second->dwOptions, static_cast<DWORD>(LINELOCATIONOPTION_PULSEDIAL));
}

void CALLBACK lineEvents(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

TEST(TapiLines, ApplicationHandlesAndProviders) {
    HLINEAPP app = 0;
    DWORD devices = 99;
    ASSERT_EQ(lineInitialize(&app, nullptr, &lineEvents, "tapi_tests", &devices), 0);
    EXPECT_EQ(devices, 0u);  // a new prefix has no modem
    LINETRANSLATECAPS caps{};
    caps.dwTotalSize = sizeof caps;
    EXPECT_EQ(lineGetTranslateCaps(app, kVersion14, &caps), 0);
    EXPECT_EQ(lineShutdown(app), 0);
    EXPECT_EQ(static_cast<DWORD>(lineShutdown(app)), LINEERR_INVALAPPHANDLE);
    EXPECT_EQ(static_cast<DWORD>(lineGetTranslateCaps(app, kVersion14, &caps)),
              LINEERR_INVALAPPHANDLE);
    EXPECT_EQ(static_cast<DWORD>(lineInitialize(nullptr, nullptr, &lineEvents, "x", &devices)),
              LINEERR_INVALPOINTER);

    const auto buffer = grown<LINEPROVIDERLIST>(
        [](LPLINEPROVIDERLIST list) { return lineGetProviderList(kVersion14, list); });
    const auto* list = reinterpret_cast<const LINEPROVIDERLIST*>(buffer.data());
    ASSERT_EQ(list->dwNumProviders, 1u);
    const auto& provider =
        *reinterpret_cast<const LINEPROVIDERENTRY*>(buffer.data() + list->dwProviderListOffset);
    EXPECT_EQ(textAt(buffer, provider.dwProviderFilenameOffset, provider.dwProviderFilenameSize),
              "unimdm.tsp");
}

// A line device's id is its place among the remote-access devices; its icon shows its kind.
TEST(TapiLines, EachLineDevicesIconShowsItsKindAndIsShared) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\Lumora\\RasDevices", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const char* device : {"Karte=isdn", "Modem 56k=modem", "Tunnel=vpn"}) {
        const std::string text = device;
        const std::string type = text.substr(text.find('=') + 1);
        RegSetValueExA(key, text.substr(0, text.find('=')).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(type.c_str()), static_cast<DWORD>(type.size() + 1));
    }
    RegCloseKey(key);
    RASDEVINFOA devices[4] = {};
    devices[0].dwSize = sizeof devices[0];
    DWORD size = sizeof devices, count = 0;
    ASSERT_EQ(RasEnumDevicesA(devices, &size, &count), 0u);
    ASSERT_EQ(count, 3u);

    HICON modem = nullptr, isdn = nullptr, other = nullptr;
    for (DWORD id = 0; id < count; ++id) {
        HICON icon = nullptr;
        ASSERT_EQ(lineGetIcon(id, nullptr, &icon), 0) << id;
        const std::string type = devices[id].szDeviceType;
        (type == "modem" ? modem : type == "isdn" ? isdn : other) = icon;
        HICON again = nullptr;
        EXPECT_EQ(lineGetIcon(id, "TAPI/Line", &again), 0);
        EXPECT_EQ(again, icon) << "one shared icon a kind";
    }
    ASSERT_TRUE(modem && isdn && other);
    EXPECT_NE(modem, isdn);
    EXPECT_NE(isdn, other);
    EXPECT_NE(modem, other);
    // The large icon, with a transparent background around an opaque picture, different for
    // each kind.
    winapi::IconImage modemImage, isdnImage;
    ASSERT_TRUE(winapi::iconImage(modem, modemImage));
    ASSERT_TRUE(winapi::iconImage(isdn, isdnImage));
    EXPECT_EQ(modemImage.width, 32);
    EXPECT_EQ(modemImage.height, 32);
    EXPECT_EQ(modemImage.argb.front() >> 24, 0u);
    size_t opaque = 0;
    for (std::uint32_t pixel : modemImage.argb) opaque += pixel >> 24 == 0xFF;
    EXPECT_GT(opaque, modemImage.argb.size() / 4);
    EXPECT_NE(modemImage.argb, isdnImage.argb);
    EXPECT_FALSE(winapi::iconImage(reinterpret_cast<HICON>(static_cast<uintptr_t>(0x12344)), modemImage));

    HICON icon = nullptr;
    EXPECT_EQ(static_cast<DWORD>(lineGetIcon(count, nullptr, &icon)), LINEERR_BADDEVICEID);
    EXPECT_EQ(static_cast<DWORD>(lineGetIcon(0, "comm/datamodem", &icon)), LINEERR_INVALDEVICECLASS);
    EXPECT_EQ(static_cast<DWORD>(lineGetIcon(0, nullptr, nullptr)), LINEERR_INVALPOINTER);
    EXPECT_EQ(icon, nullptr);
}

}  // namespace
