// tapi32: the dialling locations: lineGetTranslateCaps, lineSetCurrentLocation and
// tapiGetLocationInfo.
#include <windows.h>

#include <tapi.h>

#include "apps.h"
#include "countries.h"
#include "exports.h"
#include "locations.h"
#include "var_struct.h"

#include <cstdio>
#include <cstring>

using namespace winapi::tapi;

namespace {

// Version 1.4 location entries end before the call-waiting members.
constexpr DWORD kLocationEntry14 = offsetof(LINELOCATIONENTRY, dwCancelCallWaitingSize);

}  // namespace

TAPI_EXPORT LONG WINAPI lineGetTranslateCaps(HLINEAPP hLineApp, DWORD dwAPIVersion,
                                             LPLINETRANSLATECAPS lpTranslateCaps) {
    if (!supportedVersion(dwAPIVersion)) return static_cast<LONG>(LINEERR_INCOMPATIBLEAPIVERSION);
    // A caller without lineInitialize may pass no handle; a handle given must be one of ours.
    if (hLineApp && !validApp(hLineApp)) return static_cast<LONG>(LINEERR_INVALAPPHANDLE);
    if (!lpTranslateCaps) return static_cast<LONG>(LINEERR_INVALPOINTER);
    if (lpTranslateCaps->dwTotalSize < sizeof(LINETRANSLATECAPS))
        return static_cast<LONG>(LINEERR_STRUCTURETOOSMALL);
    const std::vector<Location> locations = readLocations();
    if (locations.empty()) return static_cast<LONG>(LINEERR_INIFILECORRUPT);
    const std::vector<Card> cards = readCards();
    const DWORD entrySize = dwAPIVersion >= 0x00020000 ? sizeof(LINELOCATIONENTRY)
                                                       : kLocationEntry14;

    VarStruct answer(sizeof(LINETRANSLATECAPS));
    const DWORD locationSize = static_cast<DWORD>(locations.size() * entrySize);
    const DWORD locationOffset = answer.reserve(locationSize);
    for (size_t i = 0; i < locations.size(); ++i) {
        const Location& l = locations[i];
        LINELOCATIONENTRY entry{};
        entry.dwPermanentLocationID = l.id;
        answer.text(l.name, entry.dwLocationNameSize, entry.dwLocationNameOffset);
        const Country* country = findCountry(l.countryId);
        entry.dwCountryCode = country ? country->code : l.countryId;
        answer.text(l.areaCode, entry.dwCityCodeSize, entry.dwCityCodeOffset);
        entry.dwPreferredCardID = l.preferredCard;
        answer.text(l.outsideAccess, entry.dwLocalAccessCodeSize, entry.dwLocalAccessCodeOffset);
        answer.text(l.longDistanceAccess, entry.dwLongDistanceAccessCodeSize,
                    entry.dwLongDistanceAccessCodeOffset);
        answer.text("", entry.dwTollPrefixListSize, entry.dwTollPrefixListOffset);
        entry.dwCountryID = l.countryId;
        entry.dwOptions = (l.flags & 1) ? 0 : LINELOCATIONOPTION_PULSEDIAL;
        if (entrySize == sizeof(LINELOCATIONENTRY))
            answer.text(l.disableCallWaiting, entry.dwCancelCallWaitingSize,
                        entry.dwCancelCallWaitingOffset);
        std::memcpy(answer.at<BYTE>(locationOffset + static_cast<DWORD>(i * entrySize)), &entry,
                    entrySize);
    }
    const DWORD cardSize = static_cast<DWORD>(cards.size() * sizeof(LINECARDENTRY));
    const DWORD cardOffset = answer.reserve(cardSize);
    for (size_t i = 0; i < cards.size(); ++i) {
        LINECARDENTRY entry{};
        entry.dwPermanentCardID = cards[i].id;
        answer.text(cards[i].name, entry.dwCardNameSize, entry.dwCardNameOffset);
        *answer.at<LINECARDENTRY>(cardOffset + static_cast<DWORD>(i * sizeof entry)) = entry;
    }
    auto* head = answer.at<LINETRANSLATECAPS>(0);
    head->dwNumLocations = static_cast<DWORD>(locations.size());
    head->dwLocationListSize = locationSize;
    head->dwLocationListOffset = locationOffset;
    const DWORD current = currentLocationId();
    head->dwCurrentLocationID = current ? current : locations.front().id;
    head->dwNumCards = static_cast<DWORD>(cards.size());
    head->dwCardListSize = cardSize;
    head->dwCardListOffset = cardOffset;
    for (const Location& l : locations)
        if (l.id == head->dwCurrentLocationID) head->dwCurrentPreferredCardID = l.preferredCard;
    answer.deliver(lpTranslateCaps);
    return 0;
}

TAPI_EXPORT LONG WINAPI lineSetCurrentLocation(HLINEAPP hLineApp, DWORD dwLocation) {
    if (hLineApp && !validApp(hLineApp)) return static_cast<LONG>(LINEERR_INVALAPPHANDLE);
    for (const Location& l : readLocations())
        if (l.id == dwLocation)
            return setCurrentLocationId(dwLocation) ? 0 : static_cast<LONG>(LINEERR_OPERATIONFAILED);
    return static_cast<LONG>(LINEERR_INVALLOCATION);
}

TAPI_EXPORT LONG WINAPI tapiGetLocationInfo(LPSTR lpszCountryCode, LPSTR lpszCityCode) {
    if (!lpszCountryCode || !lpszCityCode) return TAPIERR_INVALPOINTER;
    const std::vector<Location> locations = readLocations();
    if (locations.empty()) return TAPIERR_REQUESTFAILED;
    const DWORD current = currentLocationId();
    const Location* chosen = &locations.front();
    for (const Location& l : locations)
        if (l.id == current) chosen = &l;
    const Country* country = findCountry(chosen->countryId);
    // Both buffers hold 8 characters, as the published interface fixes them.
    std::snprintf(lpszCountryCode, 8, "%u", country ? country->code : chosen->countryId);
    std::snprintf(lpszCityCode, 8, "%s", chosen->areaCode.c_str());
    return 0;
}
