// Stand-in for the provider's system-check helper ("cm_32.exe SHORTNAME"), which the system
// check page starts: it reports its progress to the wizard and then that it has finished. On
// Windows NT 4 the check ends in a restart, after which the wizard must resume at the device
// choice page (index 1 in the demo's sequence): the helper asks for that through RunOnce, as the
// real helper does.
#include "standin_messages.h"

#include <windows.h>

namespace {

void resumeAfterRestart() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT ||
        version.dwMajorVersion != 4)
        return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                        nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const char command[] = "Orvane.exe -p 01";
    RegSetValueExA(key, "Orvane", 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof command);
    RegCloseKey(key);
}

}  // namespace

int main() {
    int steps = 0;
    DWORD pause = 0;
    progressSettings(GetCommandLineA(), steps, pause);
    resumeAfterRestart();
    reportProgress(steps, pause, false);
    return 0;
}
