// Reading the telephony locations and calling cards from the registry.
#include "locations.h"

#include <algorithm>

namespace winapi::tapi {
namespace {

constexpr const char* kLocations =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";
constexpr const char* kCards = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Cards";

class Key {
public:
    Key(HKEY parent, const std::string& path) {
        if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    std::string text(const char* name) const {
        char value[512] = {};
        DWORD size = sizeof value - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<LPBYTE>(value),
                             &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return {};
        return value;
    }
    DWORD number(const char* name, DWORD fallback) const {
        DWORD value = 0;
        DWORD size = sizeof value;
        DWORD type = 0;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value),
                             &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            return fallback;
        return value;
    }
    std::vector<std::string> subkeys() const {
        std::vector<std::string> names;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
        return names;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::vector<Location> readLocations() {
    std::vector<Location> locations;
    Key root(HKEY_LOCAL_MACHINE, kLocations);
    if (!root) return locations;
    for (const std::string& sub : root.subkeys()) {
        Key key(root.get(), sub);
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
    Key root(HKEY_LOCAL_MACHINE, kCards);
    if (!root) return cards;
    for (const std::string& sub : root.subkeys()) {
        Key key(root.get(), sub);
        Card c{key.number("ID", 0), key.text("Name")};
        if (c.id) cards.push_back(c);
    }
    std::sort(cards.begin(), cards.end(), [](const Card& a, const Card& b) { return a.id < b.id; });
    return cards;
}

DWORD currentLocationId() {
    Key root(HKEY_LOCAL_MACHINE, kLocations);
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
