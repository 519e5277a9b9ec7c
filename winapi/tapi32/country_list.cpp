// tapi32: lineGetCountry, the country list with German names and dialling rules.
#include <windows.h>

#include <tapi.h>

#include "countries.h"
#include "exports.h"
#include "var_struct.h"

#include <vector>

using namespace winapi::tapi;

TAPI_EXPORT LONG WINAPI lineGetCountry(DWORD dwCountryID, DWORD dwAPIVersion,
                                       LPLINECOUNTRYLIST lpLineCountryList) {
    if (!supportedVersion(dwAPIVersion)) return static_cast<LONG>(LINEERR_INCOMPATIBLEAPIVERSION);
    if (!lpLineCountryList) return static_cast<LONG>(LINEERR_INVALPOINTER);
    if (lpLineCountryList->dwTotalSize < sizeof(LINECOUNTRYLIST))
        return static_cast<LONG>(LINEERR_STRUCTURETOOSMALL);
    std::vector<const Country*> chosen;
    if (dwCountryID == 0) {
        for (size_t i = 0; i < kCountryCount; ++i) chosen.push_back(&kCountries[i]);
    } else if (const Country* one = findCountry(dwCountryID)) {
        chosen.push_back(one);
    } else {
        return static_cast<LONG>(LINEERR_INVALCOUNTRYCODE);
    }
    VarStruct answer(sizeof(LINECOUNTRYLIST));
    const DWORD listSize = static_cast<DWORD>(chosen.size() * sizeof(LINECOUNTRYENTRY));
    const DWORD listOffset = answer.reserve(listSize);
    for (size_t i = 0; i < chosen.size(); ++i) {
        const Country& c = *chosen[i];
        LINECOUNTRYENTRY entry{};
        entry.dwCountryID = c.id;
        entry.dwCountryCode = c.code;
        // The list runs in identifier order; the last country of the whole list points to 0.
        const Country* next = &c + 1;
        entry.dwNextCountryID = next < kCountries + kCountryCount ? next->id : 0;
        answer.text(c.name, entry.dwCountryNameSize, entry.dwCountryNameOffset);
        answer.text(c.sameAreaRule, entry.dwSameAreaRuleSize, entry.dwSameAreaRuleOffset);
        answer.text(c.longDistanceRule, entry.dwLongDistanceRuleSize,
                    entry.dwLongDistanceRuleOffset);
        answer.text(c.internationalRule, entry.dwInternationalRuleSize,
                    entry.dwInternationalRuleOffset);
        *answer.at<LINECOUNTRYENTRY>(listOffset + static_cast<DWORD>(i * sizeof entry)) = entry;
    }
    auto* head = answer.at<LINECOUNTRYLIST>(0);
    head->dwNumCountries = static_cast<DWORD>(chosen.size());
    head->dwCountryListSize = listSize;
    head->dwCountryListOffset = listOffset;
    answer.deliver(lpLineCountryList);
    return 0;
}
