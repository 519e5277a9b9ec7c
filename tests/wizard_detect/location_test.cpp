// The location set-up through the real telephony library: what is written to "telephon.ini" and
// the registry, and what the telephony library then reads back as the current location.
#include "telephony_location.h"

#include "machine_registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

constexpr const char* kLocations = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";

std::string iniText(const char* key) {
    char text[512] = {};
    GetPrivateProfileStringA("Locations", key, "<none>", text, sizeof text, "telephon.ini");
    return text;
}

std::string registryText(const std::string& path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char data[256] = {};
    DWORD size = sizeof data - 1, type = 0;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "<no value>";
    if (type == REG_DWORD) {
        DWORD number;
        std::memcpy(&number, data, sizeof number);
        return "#" + std::to_string(number);
    }
    return data;
}

TEST(TelephonyLocation, AMachineWithoutLocationsGetsStandardstandortWhichTheLibraryThenReads) {
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kLocations) + "\\Location0").c_str()),
              ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLocations), ERROR_SUCCESS);
    LocationRecord record = readCurrentLocation();
    ASSERT_TRUE(record.noLocation);
    EXPECT_FALSE(readTapiCountries().empty());

    applyLocationChoice(record, "89", "0", 49, true);
    writeLocation(record);
    EXPECT_EQ(iniText("Locations"), "1,1");
    EXPECT_EQ(iniText("Inited"), "1");
    EXPECT_EQ(iniText("CurrentLocation"), "0,0");
    EXPECT_EQ(iniText("Location0"), "1,\"Standardstandort\",\"0\",\"0\",\"89\",49,0,0,0,\"\",1,\" \"");
    EXPECT_EQ(registryText(kLocations, "CurrentID"), "#1");
    EXPECT_EQ(registryText(kLocations, "NextID"), "#2");
    EXPECT_EQ(registryText(kLocations, "NumEntries"), "#2");
    const std::string created = std::string(kLocations) + "\\Location0";
    EXPECT_EQ(registryText(created, "ID"), "#1");
    EXPECT_EQ(registryText(created, "Flags"), "#0");  // pulse dialling
    EXPECT_EQ(registryText(created, "LongDistanceAccess"), "0");

    const LocationRecord reread = readCurrentLocation();
    ASSERT_FALSE(reread.noLocation);
    EXPECT_EQ(reread.locationId, 1u);
    EXPECT_EQ(reread.name, "Standardstandort");
    EXPECT_EQ(reread.areaCode, "89");
    EXPECT_EQ(reread.outsideAccess, "0");
    EXPECT_EQ(reread.countryId, 49u);
    EXPECT_EQ(reread.toneFlag, 0u);
}

TEST(TelephonyLocation, TheCurrentLocationIsCorrectedWhereItIsAndTheOthersStay) {
    const std::string third = std::string(kLocations) + "\\Location2";
    lumora_test::setMachineText(third.c_str(), "Name", "B\xFCro");
    lumora_test::setMachineText(third.c_str(), "AreaCode", "40");
    lumora_test::setMachineText(third.c_str(), "OutsideAccess", "9");
    DWORD id = 3, country = 43, card = 2, flags = 0;
    lumora_test::setMachineValue(third.c_str(), "ID", REG_DWORD, &id, sizeof id);
    lumora_test::setMachineValue(third.c_str(), "Country", REG_DWORD, &country, sizeof country);
    lumora_test::setMachineValue(third.c_str(), "CallingCard", REG_DWORD, &card, sizeof card);
    lumora_test::setMachineValue(third.c_str(), "Flags", REG_DWORD, &flags, sizeof flags);
    lumora_test::setMachineValue(kLocations, "CurrentID", REG_DWORD, &id, sizeof id);

    LocationRecord record = readCurrentLocation();
    ASSERT_FALSE(record.noLocation);
    EXPECT_EQ(record.locationId, 3u);
    EXPECT_EQ(record.name, "B\xFCro");
    EXPECT_EQ(record.outsideAccess, "9");
    EXPECT_EQ(record.toneFlag, 0u);
    EXPECT_EQ(record.callingCardId, 2u);

    applyLocationChoice(record, "30", "0", 49, false);
    writeLocation(record);
    EXPECT_EQ(iniText("CurrentLocation"), "3,3");
    EXPECT_EQ(iniText("Location3"), "3,\"B\xFCro\",\"0\",\"0\",\"30\",49,2,0,0,\"\",0,\" \"");
    EXPECT_EQ(iniText("Locations"), "<none>");  // only a created location writes the list
    EXPECT_EQ(registryText(kLocations, "CurrentID"), "#3");
    EXPECT_EQ(registryText(kLocations, "NextID"), "#4");
    EXPECT_EQ(registryText(third, "AreaCode"), "30");
    EXPECT_EQ(registryText(third, "Country"), "#49");
    EXPECT_EQ(registryText(third, "Flags"), "#1");
    EXPECT_EQ(registryText(third, "ID"), "#3");
    // The machine's first location is not the current one and keeps its values.
    EXPECT_EQ(registryText(std::string(kLocations) + "\\Location0", "AreaCode"), "30");
    EXPECT_EQ(registryText(std::string(kLocations) + "\\Location0", "Country"), "#49");
    EXPECT_EQ(registryText(std::string(kLocations) + "\\Location0", "Name"), "Standardstandort");
}

TEST(TelephonyLocation, NamingALocationMakesItCurrentAndAnUnknownNameChangesNothing) {
    const std::string second = std::string(kLocations) + "\\Location1";
    lumora_test::setMachineText(second.c_str(), "Name", "Ferienhaus");
    DWORD id = 2;
    lumora_test::setMachineValue(second.c_str(), "ID", REG_DWORD, &id, sizeof id);
    EXPECT_FALSE(selectLocation("Nirgendwo"));
    EXPECT_EQ(readCurrentLocation().locationId, 1u);
    EXPECT_TRUE(selectLocation("Ferienhaus"));
    EXPECT_EQ(readCurrentLocation().name, "Ferienhaus");
}

}  // namespace
