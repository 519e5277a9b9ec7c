// The telephony data of the machine as one operation needs it: the country list, the service
// providers and the dialling locations with the current one. Built on the stack by each operation
// (EnumTapi or FillLocationInfo) and dropped at its end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The telephony version every call asks for.
inline constexpr DWORD kTapiVersion = 0x00010004;

struct TapiCountry {
    std::string name;
    DWORD id = 0;
};
struct TapiProvider {
    std::string fileName;
    DWORD id = 0;
};
struct TapiLocation {
    DWORD index = 0;
    std::string name, localAccess, longDistanceAccess;
};

class TapiInfo {
public:
    // Fills every field; the number of line devices initialisation reported (0 when no
    // initialisation was made or it failed).
    DWORD EnumTapi();
    // Fills the location fields from the telephony locations.
    void FillLocationInfo();

    std::vector<TapiCountry> countries;
    std::vector<TapiProvider> providers;
    std::vector<TapiLocation> locations;
    std::string currentCountryId;
    std::string currentAreaCode;
    std::string version;
    std::string currentLocationName;
    std::string preferredCardName;
    // Those of the last location listed.
    std::string outsideAccess;
    std::string longDistanceAccess;
};
