// The standard modem entries. The registry script is run by the system's registry editor and
// only its keys tell when it has finished, so the preparation polls for them, with a limit: a
// missing or broken script must not hang the wizard.
#include "standard_modem.h"

#include "dial_devices.h"
#include "windows_version.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kClassKeyPattern = "System\\CurrentControlSet\\Services\\Class\\Modem\\%s";
constexpr const char* kEnumKeyPattern = "Enum\\Root\\Modem\\%s";
constexpr DWORD kPollMs = 100;

std::string keyPath(const char* pattern, const char* name) {
    char path[256];
    std::snprintf(path, sizeof path, pattern, name);
    return path;
}

// Deletes a key with everything below it (Windows 9x's RegDeleteKey does this itself; NT's
// deletes only empty keys).
void deleteKeyTree(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char name[256];
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::string child = path + "\\" + name;
        deleteKeyTree(root, child);
        // A subkey that cannot go would be enumerated again forever.
        HKEY check = nullptr;
        if (RegOpenKeyExA(root, child.c_str(), 0, KEY_READ, &check) == ERROR_SUCCESS) {
            RegCloseKey(check);
            break;
        }
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

// Sets a string value once the key can be opened, trying until the deadline.
bool setWhenThere(const std::string& path, const char* name, const char* text, DWORD deadline) {
    for (;;) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            const LONG result =
                RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                               static_cast<DWORD>(std::strlen(text) + 1));
            RegCloseKey(key);
            if (result == ERROR_SUCCESS) return true;
        }
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0) return false;
        Sleep(kPollMs);
    }
}

}  // namespace

void closeDialEngineWindow() {
    if (HWND engine = FindWindowA("RnaEngClass", nullptr)) SendMessageA(engine, WM_CLOSE, 0, 0);
}

StandardModemResult prepareStandardModem(const char* script, const char* portName,
                                         const char* friendlyName, DWORD limitMs) {
    if (!isWindows9x()) return StandardModemResult::NotNeeded;
    const std::string classKey = keyPath(kClassKeyPattern, kStandardModemKey);
    const std::string enumKey = keyPath(kEnumKeyPattern, kStandardModemKey);
    deleteKeyTree(HKEY_LOCAL_MACHINE, classKey);
    char commandLine[512];
    std::snprintf(commandLine, sizeof commandLine, "regedit.exe /s %s", script);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return StandardModemResult::NotStarted;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const DWORD deadline = GetTickCount() + limitMs;
    if (!setWhenThere(classKey, "AttachedTo", portName, deadline) ||
        !setWhenThere(enumKey, "FriendlyName", friendlyName, deadline))
        return StandardModemResult::TimedOut;
    closeDialEngineWindow();
    return StandardModemResult::Prepared;
}

bool removeStandardModem(CDialDevices& devices) {
    if (!isWindows9x()) return false;
    deleteKeyTree(HKEY_LOCAL_MACHINE, keyPath(kEnumKeyPattern, kStandardModemKey));
    deleteKeyTree(HKEY_LOCAL_MACHINE, keyPath(kClassKeyPattern, kStandardModemKey));
    devices.unbind();
    closeDialEngineWindow();
    devices.bind();
    return true;
}
