// The telephony wrappers and their binder.
#include "tapi_api.h"

namespace {

// Resolves `entry` by `name` on its first use; null when the library or the function is missing.
FARPROC resolve(TapiApiTable::Entry& entry, const char* name) {
    TapiApiTable& t = tapiApi();
    if (entry.state == TapiState::NotYet) {
        if (t.libraryState == TapiState::NotYet) {
            t.library = LoadLibraryA("TAPI32.DLL");
            t.libraryState = t.library ? TapiState::Done : TapiState::Failed;
        }
        entry.pointer = t.library ? GetProcAddress(t.library, name) : nullptr;
        entry.state = entry.pointer ? TapiState::Done : TapiState::Failed;
    }
    return entry.state == TapiState::Done ? entry.pointer : nullptr;
}

template <typename Function>
Function* as(FARPROC pointer) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(pointer));
}

}  // namespace

TapiApiTable& tapiApi() {
    static TapiApiTable table;
    return table;
}

LONG WINAPI lineGetCountry(DWORD dwCountryID, DWORD dwAPIVersion,
                           LPLINECOUNTRYLIST lpLineCountryList) {
    FARPROC f = resolve(tapiApi().lineGetCountry, "lineGetCountry");
    if (!f) return static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);
    return as<LONG WINAPI(DWORD, DWORD, LPLINECOUNTRYLIST)>(f)(dwCountryID, dwAPIVersion,
                                                               lpLineCountryList);
}

LONG WINAPI lineGetProviderList(DWORD dwAPIVersion, LPLINEPROVIDERLIST lpProviderList) {
    FARPROC f = resolve(tapiApi().lineGetProviderList, "lineGetProviderList");
    if (!f) return static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);
    return as<LONG WINAPI(DWORD, LPLINEPROVIDERLIST)>(f)(dwAPIVersion, lpProviderList);
}

LONG WINAPI lineGetTranslateCaps(HLINEAPP hLineApp, DWORD dwAPIVersion,
                                 LPLINETRANSLATECAPS lpTranslateCaps) {
    FARPROC f = resolve(tapiApi().lineGetTranslateCaps, "lineGetTranslateCaps");
    if (!f) return static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);
    return as<LONG WINAPI(HLINEAPP, DWORD, LPLINETRANSLATECAPS)>(f)(hLineApp, dwAPIVersion,
                                                                    lpTranslateCaps);
}

LONG WINAPI lineInitialize(LPHLINEAPP lphLineApp, HINSTANCE hInstance, LINECALLBACK lpfnCallback,
                           LPCSTR lpszAppName, LPDWORD lpdwNumDevs) {
    FARPROC f = resolve(tapiApi().lineInitialize, "lineInitialize");
    if (!f) return static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);
    return as<LONG WINAPI(LPHLINEAPP, HINSTANCE, LINECALLBACK, LPCSTR, LPDWORD)>(f)(
        lphLineApp, hInstance, lpfnCallback, lpszAppName, lpdwNumDevs);
}

LONG WINAPI lineShutdown(HLINEAPP hLineApp) {
    FARPROC f = resolve(tapiApi().lineShutdown, "lineShutdown");
    if (!f) return static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);
    return as<LONG WINAPI(HLINEAPP)>(f)(hLineApp);
}

LONG WINAPI tapiGetLocationInfo(LPSTR lpszCountryCode, LPSTR lpszCityCode) {
    FARPROC f = resolve(tapiApi().tapiGetLocationInfo, "tapiGetLocationInfo");
    if (!f) return TAPIERR_REQUESTFAILED;
    return as<LONG WINAPI(LPSTR, LPSTR)>(f)(lpszCountryCode, lpszCityCode);
}
