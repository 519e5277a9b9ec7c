// rasapi32: RasGetCountryInfoA, over the telephony country list.
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include "countries.h"
#include "exports.h"

#include <cstring>

RASAPI_EXPORT DWORD WINAPI RasGetCountryInfoA(LPRASCTRYINFOA lpRasCtryInfo, LPDWORD lpdwSize) {
    if (!lpRasCtryInfo || !lpdwSize) return ERROR_INVALID_PARAMETER;
    if (lpRasCtryInfo->dwSize != sizeof(RASCTRYINFOA)) return ERROR_INVALID_SIZE;
    const winapi::tapi::Country* country = winapi::tapi::findCountry(lpRasCtryInfo->dwCountryID);
    if (!country) return ERROR_INVALID_PARAMETER;
    const DWORD nameSize = static_cast<DWORD>(std::strlen(country->name) + 1);
    const DWORD needed = sizeof(RASCTRYINFOA) + nameSize;
    if (*lpdwSize < needed) {
        *lpdwSize = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    *lpdwSize = needed;
    const winapi::tapi::Country* next = country + 1;
    lpRasCtryInfo->dwNextCountryID =
        next < winapi::tapi::kCountries + winapi::tapi::kCountryCount ? next->id : 0;
    lpRasCtryInfo->dwCountryCode = country->code;
    lpRasCtryInfo->dwCountryNameOffset = sizeof(RASCTRYINFOA);
    std::memcpy(reinterpret_cast<BYTE*>(lpRasCtryInfo) + sizeof(RASCTRYINFOA), country->name,
                nameSize);
    return ERROR_SUCCESS;
}

RASAPI_UNSUFFIXED(RasGetCountryInfo, RasGetCountryInfoA)
