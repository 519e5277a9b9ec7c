// The custom-dial library's entry points, as Windows calls them when the provider's entry is
// dialled from outside the browser center: AutoDial of the earlier systems calls
// TNAutoDialHandlerA, Windows 2000 the custom-dial functions. Their names and argument sizes are
// fixed by the module definition file (Ardial32.def) and, on Linux, the export list.
#include <windows.h>

#include <ras.h>
#include <rasdlg.h>

#include <vector>

#include "dial_request.h"

namespace {

// The entry name as an ANSI text; empty when it cannot be converted.
std::vector<char> ansiName(LPCWSTR name) {
    if (!name) return std::vector<char>(1, 0);
    const int size = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> text(size > 0 ? static_cast<size_t>(size) : 1, 0);
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, name, -1, text.data(), size, nullptr, nullptr);
    return text;
}

// A Windows 2000 request: the entry name arrives as a wide text; `error` gets the result code.
BOOL serveWideRequest(LPCWSTR entryName, DWORD* error) {
    DWORD code = kDialFailed;
    BOOL handedOver = FALSE;
    const BOOL connected = serveDialRequest(ansiName(entryName).data(), &code, &handedOver);
    if (error) *error = code;
    return connected;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

// The library dials nothing itself.
DWORD WINAPI RasCustomDial(HINSTANCE, LPRASDIALEXTENSIONS, LPCWSTR, LPRASDIALPARAMSA, DWORD,
                           LPVOID, LPHRASCONN, DWORD) {
    return 0;
}

BOOL WINAPI RasCustomDialDlg(HINSTANCE, DWORD, LPWSTR, LPWSTR lpszEntry, LPWSTR,
                             LPRASDIALDLG lpInfo, PVOID) {
    return serveWideRequest(lpszEntry, lpInfo ? &lpInfo->dwError : nullptr);
}

BOOL WINAPI RasCustomEntryDlg(HINSTANCE, LPWSTR, LPWSTR lpszEntry, LPRASENTRYDLGW lpInfo,
                              DWORD) {
    return serveWideRequest(lpszEntry, lpInfo ? &lpInfo->dwError : nullptr);
}

BOOL WINAPI TNAutoDialHandlerA(LPSTR, LPSTR lpszEntry, LPRASADPARAMS, LPDWORD lpdwRetCode) {
    DWORD code = kDialFailed;
    BOOL handedOver = FALSE;
    serveDialRequest(lpszEntry ? lpszEntry : "", &code, &handedOver);
    if (lpdwRetCode) *lpdwRetCode = code;
    return handedOver;
}

DWORD WINAPI RasCustomHangUp(HRASCONN) { return 1; }

}  // extern "C"
