// Reading the telephony locations and calling cards from the registry.
#include "locations.h"

#include <algorithm>

#include "read_key.h"

namespace winapi::tapi {
namespace {

constexpr const char* kLocations =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";
constexpr const char* kCards = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Cards";

}  // namespace

std::vector<Location> readLocations() {
    std::vector<Location> locations;
    const winapi::ReadKey root(HKEY_LOCAL_MACHINE, kLocations);
    if (!root) return locations;
    for (const std::string& sub : root.subkeys()) {
        const winapi::ReadKey key(root.get(), sub);
        Location l;
        l.id = key.number("ID", 0);
        if (!l.id) continue;
        l.name = key.text("Name");
        l.areaCode = key.text("AreaCode");
        l.outsideAccess = key.text("OutsideAccess");
        l.longDistanceAccess = key.text("LongDistanceAccess");
        l.disableCallWaiting = key.text("DisableCallWaiting");
        l.countryId = key.number("Country", 0);
        l.flags = key.number("Flags", 1);
        l.preferredCard = key.number("CallingCard", 0);
        locations.push_back(l);
    }
    std::sort(locations.begin(), locations.end(),
              [](const Location& a, const Location& b) { return a.id < b.id; });
    return locations;
}

std::vector<Card> readCards() {
    std::vector<Card> cards;
    const winapi::ReadKey root(HKEY_LOCAL_MACHINE, kCards);
    if (!root) return cards;
    for (const std::string& sub : root.subkeys()) {
        const winapi::ReadKey key(root.get(), sub);
        Card c{key.number("ID", 0), key.text("Name")};
        if (c.id) cards.push_back(c);
    }
    std::sort(cards.begin(), cards.end(), [](const Card& a, const Card& b) { return a.id < b.id; });
    return cards;
}

DWORD currentLocationId() {
    const winapi::ReadKey root(HKEY_LOCAL_MACHINE, kLocations);
    return root ? root.number("CurrentID", 0) : 0;
}

bool setCurrentLocationId(DWORD id) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLocations, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, "CurrentID", 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&id), sizeof id) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

}  // namespace winapi::tapi
