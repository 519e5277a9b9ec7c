// kernel32: the last-error value and the small string functions.
#include <windows.h>

#include "cp1252.h"

#include <cstring>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

extern "C" {

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }

int WINAPI lstrlenA(LPCSTR lpString) {
    return lpString ? static_cast<int>(std::strlen(lpString)) : 0;
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(lpString1 ? lpString1 : "");
    const unsigned char* b = reinterpret_cast<const unsigned char*>(lpString2 ? lpString2 : "");
    for (;; ++a, ++b) {
        const unsigned char la = static_cast<unsigned char>(winapi::cp1252Lower(static_cast<char>(*a)));
        const unsigned char lb = static_cast<unsigned char>(winapi::cp1252Lower(static_cast<char>(*b)));
        if (la != lb) return la < lb ? -1 : 1;
        if (!la) return 0;
    }
}

}  // extern "C"
