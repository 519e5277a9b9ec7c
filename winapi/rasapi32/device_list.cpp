// The dial devices of the prefix: the modems the registry records in the modem class keys (where
// the Windows 9x modem installation puts them, and the NT class of modems), and further devices,
// ISDN adapters among them, configured for the prefix under HKEY_LOCAL_MACHINE
// "System\Lumora\RasDevices" (value name = device name, REG_SZ data = device type).
#include "device_list.h"

#include <ras.h>

#include "cp1252.h"
#include "read_key.h"

#include <algorithm>
#include <iterator>

namespace winapi::ras {
namespace {

constexpr const char* kModemClass9x = "System\\CurrentControlSet\\Services\\Class\\Modem";
constexpr const char* kModemEnum9x = "Enum\\Root\\Modem";
constexpr const char* kModemClassNt =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kConfiguredDevices = "System\\Lumora\\RasDevices";

void add(std::vector<Device>& devices, const std::string& type, const std::string& name) {
    if (name.empty()) return;
    for (const Device& d : devices)
        if (d.second == name) return;
    devices.emplace_back(type, name);
}

}  // namespace

std::vector<Device> listDevices() {
    std::vector<Device> devices;
    const ReadKey class9x(HKEY_LOCAL_MACHINE, kModemClass9x);
    for (const std::string& sub : class9x.subkeys()) {
        const ReadKey key(class9x.get(), sub);
        std::string name = key.text("FriendlyName");
        if (name.empty())
            name = ReadKey(HKEY_LOCAL_MACHINE, std::string(kModemEnum9x) + "\\" + sub)
                       .text("FriendlyName");
        if (name.empty()) name = key.text("DriverDesc");
        add(devices, RASDT_Modem, name);
    }
    const ReadKey classNt(HKEY_LOCAL_MACHINE, kModemClassNt);
    for (const std::string& sub : classNt.subkeys()) {
        const ReadKey key(classNt.get(), sub);
        std::string name = key.text("FriendlyName");
        if (name.empty()) name = key.text("DriverDesc");
        add(devices, RASDT_Modem, name);
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kConfiguredDevices, 0, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        char name[256];
        char type[64];
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = sizeof name;
            DWORD typeSize = sizeof type - 1;
            DWORD valueType = 0;
            std::fill(std::begin(type), std::end(type), 0);
            if (RegEnumValueA(key, i, name, &nameLength, nullptr, &valueType,
                              reinterpret_cast<LPBYTE>(type), &typeSize) != ERROR_SUCCESS)
                break;
            if (valueType == REG_SZ) add(devices, winapi::cp1252Lower(type), name);
        }
        RegCloseKey(key);
    }
    return devices;
}

}  // namespace winapi::ras
