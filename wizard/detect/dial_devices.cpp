// The wizard's dial device list and ISDN look-ups. The library is bound by name at run time, as
// Windows 95 may lack it; a library without "RasGetEntryProperties" is not the right one.
#include "dial_devices.h"

#include "windows_version.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kIsdnType = "isdn";
constexpr const char* kGetDevice = "GETDEVICE";

template <class Pointer>
Pointer procedure(HMODULE library, const char* name) {
    return reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

std::vector<std::string> readIsdnDeviceList() {
    std::vector<std::string> lines;
    FILE* file = std::fopen(kIsdnDeviceFile, "rb");
    if (!file) return lines;
    // Lines of any length are read whole: a long line is one name that matches no device, not
    // several pieces that might.
    std::string line;
    for (int c = std::fgetc(file);; c = std::fgetc(file)) {
        if (c == EOF || c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (c != EOF || !line.empty()) lines.push_back(line);
            line.clear();
            if (c == EOF) break;
            continue;
        }
        line += static_cast<char>(c);
    }
    std::fclose(file);
    return lines;
}

CDialDevices::~CDialDevices() { unbind(); }

bool CDialDevices::bindLibrary(const char* library, bool plainNames) {
    m_Library = LoadLibraryA(library);
    if (!m_Library) return false;
    const char* entryProperties = plainNames ? "RasGetEntryProperties" : "RasGetEntryPropertiesA";
    m_RasEnumDevices = procedure<decltype(m_RasEnumDevices)>(
        m_Library, plainNames ? "RasEnumDevices" : "RasEnumDevicesA");
    if (!GetProcAddress(m_Library, entryProperties) || !m_RasEnumDevices) {
        unbind();
        return false;
    }
    return true;
}

bool CDialDevices::bind() {
    unbind();
    if (isWindows9x()) {
        if (bindLibrary("rnaph.dll", true) && rebuild() && !m_Names.empty()) return m_Bound = true;
        unbind();
        if (!bindLibrary("rasapi32.dll", true)) return false;
    } else if (!bindLibrary("rasapi32.dll", false)) {
        return false;
    }
    rebuild();
    m_Bound = !m_Names.empty();
    if (!m_Bound) unbind();
    return m_Bound;
}

void CDialDevices::unbind() {
    if (m_Library) FreeLibrary(m_Library);
    m_Library = nullptr;
    m_RasEnumDevices = nullptr;
    m_Bound = false;
}

std::vector<CDialDevices::Device> CDialDevices::enumerate() {
    std::vector<Device> devices;
    if (!m_RasEnumDevices) return devices;
    DWORD size = 0, count = 0;
    // The first call asks for the size the records need.
    m_RasEnumDevices(nullptr, &size, &count);
    if (size < sizeof(RASDEVINFOA)) return devices;
    std::vector<RASDEVINFOA> records(size / sizeof(RASDEVINFOA) + 1);
    std::memset(records.data(), 0, records.size() * sizeof(RASDEVINFOA));
    records[0].dwSize = sizeof(RASDEVINFOA);
    size = static_cast<DWORD>(records.size() * sizeof(RASDEVINFOA));
    if (m_RasEnumDevices(records.data(), &size, &count) != 0) return devices;
    for (DWORD i = 0; i < count && i < records.size(); ++i)
        devices.push_back({records[i].szDeviceType, records[i].szDeviceName});
    return devices;
}

bool CDialDevices::rebuild() {
    m_Names.clear();
    if (!m_Library) return false;
    for (const Device& device : enumerate()) m_Names.push_back(device.name);
    return true;
}

bool CDialDevices::findListedIsdnDevice(std::string& name) {
    const std::vector<std::string> listed = readIsdnDeviceList();
    for (const Device& device : enumerate())
        for (const std::string& line : listed)
            if (device.name == line) {
                name = device.name;
                return true;
            }
    return false;
}

bool CDialDevices::isIsdnDevice(const char* nameOrGetDevice, std::string* found) {
    const bool any = std::strcmp(nameOrGetDevice, kGetDevice) == 0;
    for (const Device& device : enumerate()) {
        if (lstrcmpiA(device.type.c_str(), kIsdnType) != 0) continue;
        if (any || device.name == nameOrGetDevice) {
            if (found) *found = device.name;
            return true;
        }
    }
    return false;
}

bool CDialDevices::findDeviceByPrefix(const char* name, std::string& fullName, std::string& type) {
    const std::vector<Device> devices = enumerate();
    if (devices.empty()) return false;
    const Device* chosen = nullptr;
    if (*name) {
        for (const Device& device : devices)
            if (!chosen && startsWith(device.name, name)) chosen = &device;
    } else {
        const std::vector<std::string> listed = readIsdnDeviceList();
        for (const Device& device : devices)
            for (const std::string& line : listed)
                if (!chosen && device.name == line) chosen = &device;
    }
    if (!chosen) chosen = &devices.front();
    fullName = chosen->name;
    type = chosen->type;
    return true;
}
