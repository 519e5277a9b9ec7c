// kernel32: environment variables. Names are case-insensitive as on Windows; values are
// Windows-1252 inside the system and UTF-8 in the Linux environment.
#include "environment.h"

#include <windows.h>

#include "cp1252.h"
#include "paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

extern char** environ;

namespace winapi {
namespace {

std::mutex& environmentMutex() {
    static std::mutex mutex;
    return mutex;
}

// The name of the variable as the environment spells it (case may differ); empty when missing.
std::string findName(const std::string& name) {
    if (std::getenv(name.c_str())) return name;
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (!equals || equals == *entry) continue;
        std::string existing(*entry, static_cast<size_t>(equals - *entry));
        if (equalsIgnoreCase(utf8ToCp1252(existing), utf8ToCp1252(name))) return existing;
    }
    return {};
}

bool validName(LPCSTR name) { return name && *name && !std::strchr(name, '='); }

}  // namespace

std::vector<std::string> environmentEntries() {
    std::lock_guard lock(environmentMutex());
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) entries.emplace_back(*entry);
    return entries;
}

}  // namespace winapi

extern "C" {

DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    if (!winapi::validName(lpName)) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    std::string value;
    {
        std::lock_guard lock(winapi::environmentMutex());
        const std::string name = winapi::findName(winapi::cp1252ToUtf8(lpName));
        const char* text = name.empty() ? nullptr : std::getenv(name.c_str());
        if (!text) {
            SetLastError(ERROR_ENVVAR_NOT_FOUND);
            return 0;
        }
        value = winapi::utf8ToCp1252(text);
    }
    return winapi::copyOut(value, lpBuffer, nSize);
}

BOOL WINAPI SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue) {
    if (!winapi::validName(lpName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string name = winapi::cp1252ToUtf8(lpName);
    std::lock_guard lock(winapi::environmentMutex());
    const std::string existing = winapi::findName(name);
    if (!existing.empty()) ::unsetenv(existing.c_str());
    if (lpValue && ::setenv(name.c_str(), winapi::cp1252ToUtf8(lpValue).c_str(), 1) != 0) {
        SetLastError(winapi::errnoToWin32(errno));
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
