// The telephony locations as the registry keeps them (the keys the system itself writes):
// HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows\CurrentVersion\Telephony\Locations" with
// "CurrentID", and a subkey "Location<N>" per location (N = its ID minus 1) holding "ID", "Name",
// "Country" (the country identifier), "AreaCode", "OutsideAccess", "LongDistanceAccess",
// "DisableCallWaiting" and "Flags" (1 = tone dialling). Calling cards, when there are any, are
// under "...\Telephony\Cards\Card<N>" with "ID" and "Name".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winapi::tapi {

struct Location {
    DWORD id = 0;
    std::string name, areaCode, outsideAccess, longDistanceAccess, disableCallWaiting;
    DWORD countryId = 0;
    DWORD flags = 1;
    DWORD preferredCard = 0;
};

struct Card {
    DWORD id = 0;
    std::string name;
};

std::vector<Location> readLocations();
std::vector<Card> readCards();
// The current location's ID (0 when none is recorded).
DWORD currentLocationId();
bool setCurrentLocationId(DWORD id);

}  // namespace winapi::tapi
