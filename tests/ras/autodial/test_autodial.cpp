// A stand-in AutoDial library for the rasdial tests, in the place of the custom-dial library that
// the system registers for its entry: its function dials the entry itself, as the program it
// starts would, and reports the outcome in the result code.
#include <windows.h>

#include <ras.h>

#include <cstring>

extern "C" __attribute__((visibility("default"))) BOOL WINAPI
TestAutoDialA(LPSTR, LPSTR entry, LPRASADPARAMS params, LPDWORD result) {
    if (!params || params->dwSize != sizeof(RASADPARAMS) || !result) return FALSE;
    RASDIALPARAMSA dial{};
    dial.dwSize = sizeof dial;
    std::strncpy(dial.szEntryName, entry, RAS_MaxEntryName);
    std::strcpy(dial.szUserName, "kunde");
    std::strcpy(dial.szPassword, "geheim");
    HRASCONN connection = nullptr;
    *result = RasDialA(nullptr, nullptr, &dial, 0, nullptr, &connection);
    return TRUE;
}
