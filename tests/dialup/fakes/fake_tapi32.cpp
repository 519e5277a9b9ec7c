// A stand-in "TAPI32" that answers every call with success, for the binding test that puts it in
// place only after a first failed load: the binding must not load it then.
#include <windows.h>

#include <tapi.h>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT LONG WINAPI lineGetCountry(DWORD, DWORD, LPLINECOUNTRYLIST) { return 0; }
FAKE_EXPORT LONG WINAPI lineShutdown(HLINEAPP) { return 0; }
FAKE_EXPORT LONG WINAPI tapiGetLocationInfo(LPSTR, LPSTR) { return 0; }
