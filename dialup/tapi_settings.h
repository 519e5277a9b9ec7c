// The dialling location the customer sets on the settings page: stored into the current telephony
// location (registry and "telephon.ini"), and read back for the page: what this process stored
// last, else what the current location holds.
#pragma once

#include <string>

// Stores country, area code and outside-line access (used for long distance too; the fourth
// argument is only traced) into the current telephony location.
void saveTapiSetting(const char* countryId, const char* areaCode, const char* outsideAccess,
                     const char* longDistanceAccess);
std::string currentTapiAreaCode();
std::string currentTapiOutsideAccess();
std::string currentTapiCountryId();
