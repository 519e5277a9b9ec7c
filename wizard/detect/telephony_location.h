// The wizard's telephony location: read through the telephony library, corrected with the
// user's choices, and written back to "telephon.ini" and the registry's "Locations" key. A
// machine without a usable location gets location 1, "Standardstandort".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct LocationRecord {
    DWORD locationId = 0;
    std::string name;
    std::string outsideAccess;
    std::string longDistanceAccess;
    std::string disableCallWaiting;
    DWORD toneFlag = 1;  // 1 tone dialling, 0 pulse
    DWORD countryId = 0;
    DWORD callingCardId = 0;
    std::string areaCode;
    // Set when the telephony library gave no location or the current one is not listed: the
    // writer then creates location 1.
    bool noLocation = false;
};

struct TapiCountryItem {
    DWORD countryId = 0;
    DWORD countryCode = 0;  // the international dialling code
    std::string name;
};

// Reads the current location into a fresh record.
LocationRecord readCurrentLocation();
// Makes `name` the current location; false (with a line on the debug output) when there is no
// location of that name.
bool selectLocation(const char* name);
// The countries of the telephony library, in its order, for the page's country combo box (item
// data = country id); empty when the library or the call is missing.
std::vector<TapiCountryItem> readTapiCountries();

// The user's corrections as the page's Next takes them: the area code, the outside line digits
// (also the long distance access), the country and tone or pulse dialling.
void applyLocationChoice(LocationRecord& record, const std::string& areaCode,
                         const std::string& outsideAccess, DWORD countryId, bool pulse);

// Writes the record to "telephon.ini" (section "Locations") and the registry.
void writeLocation(LocationRecord record);

// The name of a created location.
inline constexpr const char* kDefaultLocationName = "Standardstandort";
