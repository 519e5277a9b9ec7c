// Stand-in for the restart program "rbtnt.exe" that the wizard starts when the installation asks
// for a restart. It never restarts or shuts down the machine: it emulates the restart of the
// machine it runs on (on Linux the prefix). It records the request in the value "Restarts"
// (a count) under HKEY_LOCAL_MACHINE "Software\Lumora\EmulatedRestart" and then does what
// starting Windows again does for the installation: it runs the command lines of the RunOnce key,
// each value removed before its command starts, which is how the wizard resumes at its page.
#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

void recordRequest() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Lumora\\EmulatedRestart", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    DWORD count = 0, size = sizeof count, type = 0;
    if (RegQueryValueExA(key, "Restarts", nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        count = 0;
    ++count;
    RegSetValueExA(key, "Restarts", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    RegCloseKey(key);
}

// The RunOnce entries, each taken out of the key as it is read.
std::vector<std::string> takeRunOnce() {
    std::vector<std::string> commands;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunOnce, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return commands;
    for (;;) {
        char name[256] = {};
        BYTE value[512] = {};
        DWORD nameSize = sizeof name, valueSize = sizeof value - 1, type = 0;
        if (RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, value, &valueSize) != ERROR_SUCCESS)
            break;
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS) break;
        if (type == REG_SZ || type == REG_EXPAND_SZ) commands.emplace_back(reinterpret_cast<char*>(value));
    }
    RegCloseKey(key);
    return commands;
}

}  // namespace

int main() {
    recordRequest();
    for (std::string& command : takeRunOnce()) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    return 0;
}
