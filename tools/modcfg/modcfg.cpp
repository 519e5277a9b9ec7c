// modcfg: a stand-in for the system's modem settings program, started by the wizard's device list
// page as  modcfg.exe INDEX "DEVICE NAME"  (the row's index and the device's name). The settings
// program itself lies outside this system; this one shows the device's settings as the prefix
// records them (its type, and for a modem its port) in a message box and ends when it is closed.
#include <windows.h>

#include <ras.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kModemClass = "System\\CurrentControlSet\\Services\\Class\\Modem";
constexpr const char* kModemEnum = "Enum\\Root\\Modem";

std::string machineText(const std::string& path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char data[256] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? data : "";
}

// The port of the modem entry (Windows 9x class key) whose name is the device's.
std::string modemPort(const std::string& device) {
    HKEY classes;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kModemClass, 0, KEY_READ, &classes) != ERROR_SUCCESS) return {};
    std::string port;
    char sub[256];
    for (DWORD i = 0; port.empty(); ++i) {
        DWORD length = sizeof sub;
        if (RegEnumKeyExA(classes, i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::string classKey = std::string(kModemClass) + "\\" + sub;
        std::string name = machineText(classKey, "FriendlyName");
        if (name.empty()) name = machineText(std::string(kModemEnum) + "\\" + sub, "FriendlyName");
        if (name.empty()) name = machineText(classKey, "DriverDesc");
        if (name == device) port = machineText(classKey, "AttachedTo");
    }
    RegCloseKey(classes);
    return port;
}

std::string deviceType(const std::string& device) {
    DWORD size = 0, count = 0;
    RasEnumDevicesA(nullptr, &size, &count);
    if (size < sizeof(RASDEVINFOA)) return {};
    std::vector<RASDEVINFOA> devices(size / sizeof(RASDEVINFOA) + 1);
    devices[0].dwSize = sizeof(RASDEVINFOA);
    size = static_cast<DWORD>(devices.size() * sizeof(RASDEVINFOA));
    if (RasEnumDevicesA(devices.data(), &size, &count) != 0) return {};
    for (DWORD i = 0; i < count; ++i)
        if (device == devices[i].szDeviceName) return devices[i].szDeviceType;
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: modcfg INDEX \"DEVICE NAME\"\n");
        return 2;
    }
    const std::string device = argv[2];
    const std::string type = deviceType(device);
    if (type.empty()) {
        const std::string text = "Das Ger\xE4t \"" + device + "\" ist nicht installiert.";
        MessageBoxA(nullptr, text.c_str(), "Eigenschaften", MB_OK | MB_ICONERROR);
        return 1;
    }
    std::string port = modemPort(device);
    if (port.empty()) port = type == RASDT_Isdn ? "ISDN-Karte" : "(unbekannt)";
    const std::string title = "Eigenschaften von " + device;
    const std::string text = "Ger\xE4t: " + device + "\nTyp: " + type + "\nAnschluss: " + port +
                             "\nListenplatz: " + std::to_string(std::atoi(argv[1]));
    MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
    return 0;
}
