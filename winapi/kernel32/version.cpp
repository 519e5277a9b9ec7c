// kernel32: the Windows version (GetVersionExA, GetVersion). The prefix emulates one version,
// chosen by a registry value (prefix.h), so that tests reach the branches of every system; the
// answers are those the real systems give.
#include <windows.h>

#include "cp1252.h"
#include "prefix.h"

#include <cstring>
#include <string>

namespace {

constexpr BYTE kNtWorkstation = 1;       // VER_NT_WORKSTATION
constexpr WORD kSuiteSingleUserTs = 0x100;  // VER_SUITE_SINGLEUSERTS

struct Version {
    const char* name;  // the registry value
    DWORD major, minor, build, platform;
    const char* servicePack;
    WORD servicePackMajor;
    WORD suiteMask;
};

// The Windows 9x build numbers carry the version in their high word.
constexpr Version kVersions[] = {
    {"95", 4, 0, 0x040003B6, VER_PLATFORM_WIN32_WINDOWS, "", 0, 0},
    {"98", 4, 10, 0x040A07CE, VER_PLATFORM_WIN32_WINDOWS, "", 0, 0},
    {"NT4", 4, 0, 1381, VER_PLATFORM_WIN32_NT, "Service Pack 6", 6, 0},
    {"2000", 5, 0, 2195, VER_PLATFORM_WIN32_NT, "Service Pack 4", 4, kSuiteSingleUserTs},
};
constexpr const Version& kDefault = kVersions[3];

const Version& emulatedVersion() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, winapi::kEmulationKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return kDefault;
    char value[32] = {};
    DWORD type = 0;
    DWORD size = sizeof value - 1;
    const LSTATUS status = RegQueryValueExA(key, winapi::kWindowsVersionValue, nullptr, &type,
                                            reinterpret_cast<LPBYTE>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return kDefault;
    for (const Version& version : kVersions)
        if (winapi::equalsIgnoreCase(value, version.name)) return version;
    return kDefault;
}

}  // namespace

extern "C" {

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (!lpVersionInformation) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    const Version& version = emulatedVersion();
    // Windows 9x knows only the short structure.
    const bool extended = size == sizeof(OSVERSIONINFOEXA) &&
                          version.platform == VER_PLATFORM_WIN32_NT;
    if (size != sizeof(OSVERSIONINFOA) && !extended) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    lpVersionInformation->dwMajorVersion = version.major;
    lpVersionInformation->dwMinorVersion = version.minor;
    lpVersionInformation->dwBuildNumber = version.build;
    lpVersionInformation->dwPlatformId = version.platform;
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
    std::strcpy(lpVersionInformation->szCSDVersion, version.servicePack);
    if (extended) {
        auto* ex = reinterpret_cast<LPOSVERSIONINFOEXA>(lpVersionInformation);
        ex->wServicePackMajor = version.servicePackMajor;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = version.suiteMask;
        ex->wProductType = kNtWorkstation;
        ex->wReserved = 0;
    }
    return TRUE;
}

DWORD WINAPI GetVersion(void) {
    const Version& version = emulatedVersion();
    const DWORD low = version.major | (version.minor << 8);
    // NT: the build number in the high word; 9x: the two top bits set and no build.
    if (version.platform == VER_PLATFORM_WIN32_NT) return low | ((version.build & 0x7FFF) << 16);
    return low | 0xC0000000;
}

}  // extern "C"
