// The Windows family the wizard runs on.
#include "windows_version.h"

#include <windows.h>

#include <cstring>

bool isWindows9x() {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}
