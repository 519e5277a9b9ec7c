// Storing the dialling location and reading it back.
#include "tapi_settings.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "registry.h"
#include "tapi_info.h"
#include "trace.h"

namespace {

constexpr const char* kLocationKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations\\Location%d";
constexpr const char* kTelephonIni = "telephon.ini";
constexpr const char* kLocationsSection = "Locations";

// What saveTapiSetting stored in this process; not stored yet while `saved` is false.
struct SavedValues {
    bool saved = false;
    char areaCode[256] = {};
    char outsideAccess[256] = {};
    char countryId[256] = {};
};
SavedValues& savedValues() {
    static SavedValues values;
    return values;
}

void copyTo(char (&buffer)[256], const char* text) {
    std::snprintf(buffer, sizeof buffer, "%s", text ? text : "");
}

void writeRegistryLocation(const std::string& name, DWORD country, const char* areaCode,
                           const char* access) {
    for (int i = 0; i <= 98; ++i) {
        char key[160];
        std::snprintf(key, sizeof key, kLocationKey, i);
        const std::string found = regReadString(key, "Name", "", HKEY_LOCAL_MACHINE);
        if (found.empty() || found != name) continue;
        regWriteDword(key, "Country", country, HKEY_LOCAL_MACHINE);
        regWriteString(key, "AreaCode", areaCode, HKEY_LOCAL_MACHINE);
        regWriteString(key, "OutsideAccess", access, HKEY_LOCAL_MACHINE);
        regWriteString(key, "LongDistanceAccess", access, HKEY_LOCAL_MACHINE);
        return;
    }
}

void writeIniLocation(const std::string& name, DWORD country, const char* areaCode,
                      const char* access) {
    char current[256] = {};
    GetPrivateProfileStringA(kLocationsSection, "CurrentLocation", "", current, sizeof current,
                             kTelephonIni);
    unsigned location = 0;
    if (!current[0]) {
        char locations[256] = {};
        GetPrivateProfileStringA(kLocationsSection, "Locations", "0,0", locations,
                                 sizeof locations, kTelephonIni);
        const unsigned count = static_cast<unsigned>(std::strtoul(locations, nullptr, 10));
        char line[64];
        std::snprintf(line, sizeof line, "%u,%u", count, count);
        WritePrivateProfileStringA(kLocationsSection, "CurrentLocation", line, kTelephonIni);
        std::snprintf(line, sizeof line, "%u,%u", count + 1, count + 1);
        WritePrivateProfileStringA(kLocationsSection, "Locations", line, kTelephonIni);
        location = count;
    } else {
        location = static_cast<unsigned>(std::strtoul(current, nullptr, 10));
    }
    char key[32];
    std::snprintf(key, sizeof key, "Location%u", location);
    char line[1400];
    std::snprintf(line, sizeof line, "%u,\"%s\",\"%s\",\"%s\",\"%s\",%u,0,0,0,\"\",%u,\"\"",
                  location, name.c_str(), access, access, areaCode,
                  static_cast<unsigned>(country), 0u);
    traceLine("iniLine: %s\n", line);
    WritePrivateProfileStringA(kLocationsSection, key, line, kTelephonIni);
    WritePrivateProfileStringA(kLocationsSection, "Inited", "1", kTelephonIni);
}

}  // namespace

void saveTapiSetting(const char* countryId, const char* areaCode, const char* outsideAccess,
                     const char* longDistanceAccess) {
    countryId = countryId ? countryId : "";
    areaCode = areaCode ? areaCode : "";
    outsideAccess = outsideAccess ? outsideAccess : "";
    longDistanceAccess = longDistanceAccess ? longDistanceAccess : "";
    traceLine("saveTapiSetting()\n");
    traceLine("          Country ID: %s\n", countryId);
    traceLine("            areaCode: %s\n", areaCode);
    traceLine("       outsideAccess: %s\n", outsideAccess);
    traceLine("  longDistanceAccess: %s\n", longDistanceAccess);
    SavedValues& saved = savedValues();
    copyTo(saved.areaCode, areaCode);
    copyTo(saved.outsideAccess, outsideAccess);
    copyTo(saved.countryId, countryId);
    saved.saved = true;

    TapiInfo tapi;
    tapi.FillLocationInfo();
    const DWORD country = static_cast<DWORD>(std::strtoul(countryId, nullptr, 10));
    const std::string name =
        tapi.currentLocationName.empty() ? "Standardstandort" : tapi.currentLocationName;
    traceLine("Standort          : %s\n", name.c_str());
    traceLine("Country ID        : %s\n", countryId);
    traceLine("area code         : %s\n", areaCode);
    traceLine("outside area      : %s\n", outsideAccess);
    traceLine("longDistanceAccess: %s\n", outsideAccess);
    writeRegistryLocation(name, country, areaCode, outsideAccess);
    writeIniLocation(name, country, areaCode, outsideAccess);
}

std::string currentTapiAreaCode() {
    if (savedValues().saved) return savedValues().areaCode;
    TapiInfo tapi;
    tapi.FillLocationInfo();
    return tapi.currentAreaCode;
}

std::string currentTapiOutsideAccess() {
    if (savedValues().saved) return savedValues().outsideAccess;
    TapiInfo tapi;
    tapi.FillLocationInfo();
    return tapi.outsideAccess;
}

std::string currentTapiCountryId() {
    if (savedValues().saved) return savedValues().countryId;
    TapiInfo tapi;
    tapi.FillLocationInfo();
    return tapi.currentCountryId;
}
