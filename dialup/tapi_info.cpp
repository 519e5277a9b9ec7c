// Reading the country list, the service providers and the dialling locations from telephony.
#include "tapi_info.h"

#include <tapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tapi_api.h"

namespace {

// Whether the last enumeration of this process ended with an error: the next one initialises
// telephony first.
bool lastEnumerationFailed = false;

void CALLBACK noCallback(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

// A telephony structure of variable size: starts at `size` bytes (zeroed, dwTotalSize set).
template <typename Struct>
Struct* allocateVar(DWORD size) {
    auto* s = static_cast<Struct*>(std::calloc(1, size));
    if (s) s->dwTotalSize = size;
    return s;
}

// Calls `call` until the structure holds the whole answer; the structure (freed by the caller)
// or null with `result` holding the failure.
template <typename Struct, typename Call>
Struct* callGrowing(DWORD startSize, LONG& result, Call call) {
    Struct* s = allocateVar<Struct>(startSize);
    if (!s) {
        result = static_cast<LONG>(LINEERR_NOMEM);
        return nullptr;
    }
    while ((result = call(s)) == 0 && s->dwNeededSize > s->dwTotalSize) {
        const DWORD needed = s->dwNeededSize;
        std::free(s);
        s = allocateVar<Struct>(needed);
        if (!s) {
            result = static_cast<LONG>(LINEERR_NOMEM);
            return nullptr;
        }
    }
    if (result != 0) {
        std::free(s);
        return nullptr;
    }
    return s;
}

std::string textIn(const void* base, DWORD offset, DWORD size) {
    if (!size) return std::string();
    const char* p = static_cast<const char*>(base) + offset;
    return std::string(p, strnlen(p, size));
}

}  // namespace

DWORD TapiInfo::EnumTapi() {
    char countryCode[8] = {};
    char cityCode[8] = {};
    tapiGetLocationInfo(countryCode, cityCode);
    currentCountryId = countryCode;
    currentAreaCode = cityCode;

    HLINEAPP app = 0;
    DWORD lineDevices = 0;
    if (lastEnumerationFailed &&
        lineInitialize(&app, GetModuleHandleA(nullptr), &noCallback, "EnumTapi", &lineDevices) != 0)
        return 0;

    char text[32];
    std::snprintf(text, sizeof text, "%lu.%lu", 1ul, 4ul);
    version = text;

    LONG result = 0;
    if (auto* list = callGrowing<LINECOUNTRYLIST>(
            sizeof(LINECOUNTRYLIST), result,
            [](LINECOUNTRYLIST* l) { return lineGetCountry(0, kTapiVersion, l); })) {
        const auto* entries = reinterpret_cast<const LINECOUNTRYENTRY*>(
            reinterpret_cast<const BYTE*>(list) + list->dwCountryListOffset);
        for (DWORD i = 0; i < list->dwNumCountries; ++i)
            countries.push_back({textIn(list, entries[i].dwCountryNameOffset,
                                        entries[i].dwCountryNameSize),
                                 entries[i].dwCountryID});
        std::free(list);
    }
    LONG providerResult = 0;
    if (auto* list = callGrowing<LINEPROVIDERLIST>(
            4096, providerResult,
            [](LINEPROVIDERLIST* l) { return lineGetProviderList(kTapiVersion, l); })) {
        const auto* entries = reinterpret_cast<const LINEPROVIDERENTRY*>(
            reinterpret_cast<const BYTE*>(list) + list->dwProviderListOffset);
        for (DWORD i = 0; i < list->dwNumProviders; ++i)
            providers.push_back({textIn(list, entries[i].dwProviderFilenameOffset,
                                        entries[i].dwProviderFilenameSize),
                                 entries[i].dwPermanentProviderID});
        std::free(list);
    }
    lastEnumerationFailed = result != 0 || providerResult != 0;
    lineShutdown(app);
    FillLocationInfo();
    return lineDevices;
}

void TapiInfo::FillLocationInfo() {
    DWORD size = 44;
    auto* caps = allocateVar<LINETRANSLATECAPS>(size);
    if (!caps) return;
    LONG result;
    while ((result = lineGetTranslateCaps(0, kTapiVersion, caps)) == 0 &&
           caps->dwNeededSize > caps->dwTotalSize) {
        OutputDebugStringA("FillLocationInfo");
        OutputDebugStringA("Reallocating structure\n");
        size = caps->dwNeededSize;
        std::free(caps);
        caps = allocateVar<LINETRANSLATECAPS>(size);
        if (!caps) return;
    }
    if (result != 0) {
        std::free(caps);
        return;
    }
    char countryCode[8] = {};
    char cityCode[8] = {};
    tapiGetLocationInfo(countryCode, cityCode);
    const auto* base = reinterpret_cast<const BYTE*>(caps);
    const auto* entries =
        reinterpret_cast<const LINELOCATIONENTRY*>(base + caps->dwLocationListOffset);
    // Version 1.4 entries are shorter than the structure of later headers: step by the list's
    // own element size.
    const DWORD entrySize = caps->dwNumLocations
                                ? caps->dwLocationListSize / caps->dwNumLocations
                                : static_cast<DWORD>(sizeof(LINELOCATIONENTRY));
    DWORD preferredCard = 0;
    for (DWORD i = 0; i < caps->dwNumLocations; ++i) {
        LINELOCATIONENTRY entry{};
        std::memcpy(&entry, reinterpret_cast<const BYTE*>(entries) + i * entrySize,
                    std::min<size_t>(entrySize, sizeof entry));
        TapiLocation location{
            i, textIn(caps, entry.dwLocationNameOffset, entry.dwLocationNameSize),
            textIn(caps, entry.dwLocalAccessCodeOffset, entry.dwLocalAccessCodeSize),
            textIn(caps, entry.dwLongDistanceAccessCodeOffset,
                   entry.dwLongDistanceAccessCodeSize)};
        outsideAccess = location.localAccess;
        longDistanceAccess = location.longDistanceAccess;
        if (entry.dwPermanentLocationID == caps->dwCurrentLocationID) {
            char id[16];
            std::snprintf(id, sizeof id, "%u", static_cast<unsigned>(entry.dwCountryID));
            currentCountryId = id;
            currentLocationName = location.name;
            currentAreaCode = cityCode;
            preferredCard = entry.dwPreferredCardID;
        }
        locations.push_back(std::move(location));
    }
    const auto* cards = reinterpret_cast<const LINECARDENTRY*>(base + caps->dwCardListOffset);
    for (DWORD i = 0; i < caps->dwNumCards; ++i)
        if (cards[i].dwPermanentCardID == preferredCard)
            preferredCardName = textIn(caps, cards[i].dwCardNameOffset, cards[i].dwCardNameSize);
    std::free(caps);
}
