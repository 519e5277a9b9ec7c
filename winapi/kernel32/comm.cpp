// kernel32: the communication functions on a serial port's handle (settings, time-outs, buffers,
// error state). Any other handle is ERROR_INVALID_HANDLE, as Windows answers for a file.
#include <windows.h>

#include "api_guard.h"
#include "serial_port.h"

using winapi::guarded;
using winapi::SerialPort;

namespace {

std::shared_ptr<SerialPort> portOf(HANDLE handle) {
    auto port = winapi::handleObject<SerialPort>(handle);
    if (!port) SetLastError(ERROR_INVALID_HANDLE);
    return port;
}

}  // namespace

extern "C" {

BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto port = portOf(hFile);
        if (!port) return FALSE;
        if (!lpDCB) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return port->getState(*lpDCB);
    });
}

BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto port = portOf(hFile);
        if (!port) return FALSE;
        if (!lpDCB) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return port->setState(*lpDCB);
    });
}

BOOL WINAPI GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto port = portOf(hFile);
        if (!port) return FALSE;
        if (!lpCommTimeouts) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *lpCommTimeouts = port->timeouts();
        return TRUE;
    });
}

BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto port = portOf(hFile);
        if (!port) return FALSE;
        if (!lpCommTimeouts) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        port->setTimeouts(*lpCommTimeouts);
        return TRUE;
    });
}

BOOL WINAPI PurgeComm(HANDLE hFile, DWORD dwFlags) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto port = portOf(hFile);
        return port && port->purge(dwFlags);
    });
}

BOOL WINAPI ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto port = portOf(hFile);
        return port && port->clearError(lpErrors, lpStat);
    });
}

}  // extern "C"
