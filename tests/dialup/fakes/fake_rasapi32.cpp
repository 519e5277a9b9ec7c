// A stand-in "rasapi32" of an old system, for the binding tests: it has the connection functions
// but no entry-properties function at all (neither name), as on a Windows 95 whose remote-access
// add-on puts the entry functions into "rnaph". Its one connection is named "from-rasapi32".
#include <windows.h>

#include <ras.h>

#include <cstring>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT DWORD WINAPI RasEnumConnectionsA(LPRASCONNA lprasconn, LPDWORD lpcb,
                                             LPDWORD lpcConnections) {
    if (*lpcb < sizeof(RASCONNA)) {
        *lpcb = sizeof(RASCONNA);
        return 603;
    }
    std::memset(lprasconn, 0, sizeof(RASCONNA));
    lprasconn->dwSize = sizeof(RASCONNA);
    lprasconn->hrasconn = reinterpret_cast<HRASCONN__*>(static_cast<UINT_PTR>(0x77));
    std::strcpy(lprasconn->szEntryName, "from-rasapi32");
    *lpcConnections = 1;
    return 0;
}

FAKE_EXPORT DWORD WINAPI RasGetConnectStatusA(HRASCONN, LPRASCONNSTATUSA status) {
    status->rasconnstate = RASCS_Connected;
    status->dwError = 0;
    return 0;
}

FAKE_EXPORT DWORD WINAPI RasHangUpA(HRASCONN) { return 0; }
