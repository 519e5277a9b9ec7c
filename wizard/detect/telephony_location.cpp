// Reading and writing the telephony location through the telephony library's binding. The writer
// writes both stores directly: Windows 9x keeps its locations in "telephon.ini", NT in the
// registry.
#include "telephony_location.h"

#include "telephony_binding.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kFirstCapsSize = 44;
constexpr int kCapsAttempts = 11;
constexpr int kNoLocationAttempts = 10;
constexpr const char* kLocationsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";
constexpr const char* kIniFile = "telephon.ini";
constexpr const char* kIniSection = "Locations";

// The translate caps in a buffer grown to the size they need; empty when no attempt succeeded.
std::vector<DWORD> translateCaps(int& attempts) {
    std::vector<DWORD> buffer((kFirstCapsSize + 3) / 4);
    for (attempts = 1; attempts <= kCapsAttempts; ++attempts) {
        auto* caps = reinterpret_cast<LPLINETRANSLATECAPS>(buffer.data());
        const DWORD total = static_cast<DWORD>(buffer.size() * sizeof(DWORD));
        std::memset(caps, 0, total);
        caps->dwTotalSize = total;
        const LONG result = callGetTranslateCaps(caps);
        if (result == 0 && caps->dwNeededSize <= caps->dwTotalSize) return buffer;
        const DWORD needed = result == 0 && caps->dwNeededSize > total ? caps->dwNeededSize : total;
        buffer.resize((needed + 3) / 4 + 1);
    }
    buffer.clear();
    return buffer;
}

std::string textAt(const std::vector<DWORD>& buffer, DWORD size, DWORD offset) {
    const auto* bytes = reinterpret_cast<const char*>(buffer.data());
    const size_t total = buffer.size() * sizeof(DWORD);
    if (!size || offset >= total || size > total - offset) return {};
    std::string text(bytes + offset, size);
    text.resize(std::strlen(text.c_str()));
    return text;
}

struct LocationEntry {
    LINELOCATIONENTRY entry;
    bool withCallWaiting;  // version 1.4 entries end before the call-waiting text
};

// The location entries of the translate caps; the stride is what the list says, so entries of
// either version are read.
std::vector<LocationEntry> locationEntries(const std::vector<DWORD>& buffer) {
    std::vector<LocationEntry> entries;
    if (buffer.empty()) return entries;
    const auto* caps = reinterpret_cast<const LINETRANSLATECAPS*>(buffer.data());
    const size_t total = buffer.size() * sizeof(DWORD);
    const DWORD stride = caps->dwNumLocations ? caps->dwLocationListSize / caps->dwNumLocations : 0;
    const DWORD fullEntry = sizeof(LINELOCATIONENTRY);
    if (stride < offsetof(LINELOCATIONENTRY, dwCancelCallWaitingSize)) return entries;
    for (DWORD i = 0; i < caps->dwNumLocations; ++i) {
        const size_t at = caps->dwLocationListOffset + static_cast<size_t>(i) * stride;
        if (at + stride > total) break;
        LocationEntry location;
        std::memset(&location.entry, 0, sizeof location.entry);
        std::memcpy(&location.entry, reinterpret_cast<const char*>(buffer.data()) + at,
                    stride < fullEntry ? stride : fullEntry);
        location.withCallWaiting = stride >= fullEntry;
        entries.push_back(location);
    }
    return entries;
}

void writeDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void writeText(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

}  // namespace

LocationRecord readCurrentLocation() {
    LocationRecord record;
    int attempts = 0;
    const std::vector<DWORD> buffer = translateCaps(attempts);
    if (buffer.empty() || attempts >= kNoLocationAttempts) {
        record.noLocation = true;
        return record;
    }
    const DWORD currentId = reinterpret_cast<const LINETRANSLATECAPS*>(buffer.data())->dwCurrentLocationID;
    for (const LocationEntry& location : locationEntries(buffer)) {
        const LINELOCATIONENTRY& entry = location.entry;
        if (entry.dwPermanentLocationID != currentId) continue;
        record.locationId = entry.dwPermanentLocationID;
        record.countryId = entry.dwCountryID;
        record.areaCode = textAt(buffer, entry.dwCityCodeSize, entry.dwCityCodeOffset);
        record.callingCardId = entry.dwPreferredCardID;
        record.toneFlag = (entry.dwOptions & LINELOCATIONOPTION_PULSEDIAL) ? 0 : 1;
        record.outsideAccess = textAt(buffer, entry.dwLocalAccessCodeSize, entry.dwLocalAccessCodeOffset);
        record.longDistanceAccess = record.outsideAccess;
        if (location.withCallWaiting)
            record.disableCallWaiting =
                textAt(buffer, entry.dwCancelCallWaitingSize, entry.dwCancelCallWaitingOffset);
        record.name = textAt(buffer, entry.dwLocationNameSize, entry.dwLocationNameOffset);
        return record;
    }
    record.noLocation = true;
    return record;
}

bool selectLocation(const char* name) {
    int attempts = 0;
    const std::vector<DWORD> buffer = translateCaps(attempts);
    for (const LocationEntry& location : locationEntries(buffer))
        if (textAt(buffer, location.entry.dwLocationNameSize, location.entry.dwLocationNameOffset) == name)
            return callSetCurrentLocation(location.entry.dwPermanentLocationID) == 0;
    OutputDebugStringA("lpszCurrentLocation not found\n");
    return false;
}

std::vector<TapiCountryItem> readTapiCountries() {
    std::vector<TapiCountryItem> countries;
    std::vector<DWORD> buffer(64);
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* list = reinterpret_cast<LPLINECOUNTRYLIST>(buffer.data());
        std::memset(list, 0, buffer.size() * sizeof(DWORD));
        list->dwTotalSize = static_cast<DWORD>(buffer.size() * sizeof(DWORD));
        if (callGetCountry(list) != 0) return countries;
        if (list->dwNeededSize <= list->dwTotalSize) break;
        buffer.resize(list->dwNeededSize / sizeof(DWORD) + 1);
    }
    const auto* list = reinterpret_cast<const LINECOUNTRYLIST*>(buffer.data());
    if (list->dwNeededSize > list->dwTotalSize) return countries;
    const size_t total = buffer.size() * sizeof(DWORD);
    for (DWORD i = 0; i < list->dwNumCountries; ++i) {
        const size_t at = list->dwCountryListOffset + static_cast<size_t>(i) * sizeof(LINECOUNTRYENTRY);
        if (at + sizeof(LINECOUNTRYENTRY) > total) break;
        LINECOUNTRYENTRY entry;
        std::memcpy(&entry, reinterpret_cast<const char*>(buffer.data()) + at, sizeof entry);
        countries.push_back({entry.dwCountryID, entry.dwCountryCode,
                             textAt(buffer, entry.dwCountryNameSize, entry.dwCountryNameOffset)});
    }
    return countries;
}

void applyLocationChoice(LocationRecord& record, const std::string& areaCode,
                         const std::string& outsideAccess, DWORD countryId, bool pulse) {
    record.areaCode = areaCode;
    record.outsideAccess = outsideAccess;
    record.longDistanceAccess = outsideAccess;
    record.countryId = countryId;
    record.toneFlag = pulse ? 0 : 1;
}

void writeLocation(LocationRecord record) {
    const bool create = record.noLocation;
    const DWORD pulseMarker = record.toneFlag == 0 ? 1 : 0;
    char entryKey[32];
    char entry[1024];
    char current[32];
    if (create) {
        record.locationId = 1;
        record.name = kDefaultLocationName;
        HKEY locations = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLocationsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &locations, nullptr) == ERROR_SUCCESS) {
            writeDword(locations, "NumEntries", 2);
            RegCloseKey(locations);
        }
        WritePrivateProfileStringA(kIniSection, "Locations", "1,1", kIniFile);
        WritePrivateProfileStringA(kIniSection, "Inited", "1", kIniFile);
        std::snprintf(current, sizeof current, "%d,%d", static_cast<int>(record.locationId - 1),
                      static_cast<int>(record.locationId - 1));
        std::snprintf(entryKey, sizeof entryKey, "Location%u", static_cast<unsigned>(record.locationId - 1));
        std::snprintf(entry, sizeof entry, "%u,\"%s\",\"%s\",\"%s\",\"%s\",%u,0,0,0,\"\",%u,\" \"",
                      static_cast<unsigned>(record.locationId), record.name.c_str(),
                      record.outsideAccess.c_str(), record.longDistanceAccess.c_str(),
                      record.areaCode.c_str(), static_cast<unsigned>(record.countryId),
                      static_cast<unsigned>(pulseMarker));
    } else {
        std::snprintf(current, sizeof current, "%d,%d", static_cast<int>(record.locationId),
                      static_cast<int>(record.locationId));
        std::snprintf(entryKey, sizeof entryKey, "Location%u", static_cast<unsigned>(record.locationId));
        std::snprintf(entry, sizeof entry, "%u,\"%s\",\"%s\",\"%s\",\"%s\",%u,%u,0,0,\"\",%u,\" \"",
                      static_cast<unsigned>(record.locationId), record.name.c_str(),
                      record.outsideAccess.c_str(), record.longDistanceAccess.c_str(),
                      record.areaCode.c_str(), static_cast<unsigned>(record.countryId),
                      static_cast<unsigned>(record.callingCardId), static_cast<unsigned>(pulseMarker));
    }
    WritePrivateProfileStringA(kIniSection, "CurrentLocation", current, kIniFile);
    WritePrivateProfileStringA(kIniSection, entryKey, entry, kIniFile);

    HKEY locations = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLocationsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &locations, nullptr) == ERROR_SUCCESS) {
        writeDword(locations, "CurrentID", record.locationId);
        writeDword(locations, "NextID", record.locationId + 1);
        RegCloseKey(locations);
    }
    char subkey[300];
    std::snprintf(subkey, sizeof subkey, "%s\\Location%u", kLocationsKey,
                  static_cast<unsigned>(record.locationId - 1));
    HKEY key = nullptr;
    // A created location gets its key: on NT the registry is where the telephony library looks,
    // and without the key the location created would not exist there. An existing location
    // whose key is missing keeps it missing.
    const LONG opened = create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr)
                               : RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_ALL_ACCESS, &key);
    if (opened != ERROR_SUCCESS) return;
    writeText(key, "AreaCode", record.areaCode);
    writeText(key, "LongDistanceAccess", record.longDistanceAccess);
    writeText(key, "Name", record.name);
    writeText(key, "OutsideAccess", record.outsideAccess);
    writeDword(key, "Country", record.countryId);
    writeDword(key, "Flags", record.toneFlag);
    if (create) {
        writeText(key, "DisableCallWaiting", record.disableCallWaiting);
        writeDword(key, "ID", record.locationId);
    }
    RegCloseKey(key);
}
