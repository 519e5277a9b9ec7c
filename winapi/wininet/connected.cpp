// wininet: InternetGetConnectedState. The emulated machine reaches the Internet only through
// dial-up networking, so it is on line while the remote-access service has a connection; the
// remote-access library is bound at run time, as a program without it would find it missing.
#include <windows.h>
#include <wininet.h>

#include <ras.h>

#include <vector>

extern "C" BOOL WINAPI InternetGetConnectedState(LPDWORD lpdwFlags, DWORD dwReserved) {
    (void)dwReserved;
    DWORD flags = 0;
    bool online = false;
    if (HMODULE ras = LoadLibraryA("rasapi32.dll")) {
        using EnumConnections = DWORD(WINAPI*)(LPRASCONNA, LPDWORD, LPDWORD);
        auto enumConnections = reinterpret_cast<EnumConnections>(
            reinterpret_cast<void*>(GetProcAddress(ras, "RasEnumConnectionsA")));
        if (enumConnections) {
            flags |= INTERNET_RAS_INSTALLED;
            std::vector<RASCONNA> list(16);
            list[0].dwSize = sizeof(RASCONNA);
            DWORD size = static_cast<DWORD>(list.size() * sizeof(RASCONNA)), count = 0;
            if (enumConnections(list.data(), &size, &count) == 0 && count > 0) online = true;
        }
        FreeLibrary(ras);
    }
    if (online) flags |= INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_CONFIGURED;
    if (lpdwFlags) *lpdwFlags = flags;
    return online ? TRUE : FALSE;
}
