// A stand-in "rnaph" (the Windows 95 remote-access add-on's entry library), for the binding
// tests: the entry functions by their names without the A, answering a Windows 95 sized entry
// and one device, "rnaph-modem".
#include <windows.h>

#include <ras.h>

#include <cstring>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT DWORD WINAPI RasGetEntryProperties(LPCSTR, LPCSTR, LPRASENTRYA entry, LPDWORD size,
                                               LPBYTE, LPDWORD) {
    if (!entry || *size < 1768) {
        *size = 1768;
        return 603;
    }
    return 0;
}

FAKE_EXPORT DWORD WINAPI RasEnumDevices(LPRASDEVINFOA devices, LPDWORD size, LPDWORD count) {
    if (*size < sizeof(RASDEVINFOA)) {
        *size = sizeof(RASDEVINFOA);
        return 603;
    }
    std::memset(devices, 0, sizeof(RASDEVINFOA));
    devices->dwSize = sizeof(RASDEVINFOA);
    std::strcpy(devices->szDeviceType, "modem");
    std::strcpy(devices->szDeviceName, "rnaph-modem");
    *count = 1;
    return 0;
}
