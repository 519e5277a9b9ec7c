// The wizard's dial devices: its own binding of the remote-access library (only the device
// enumeration is called), the list of device names, and the ISDN look-ups against "isdndevs.dat".
#pragma once

#include <windows.h>

#include <ras.h>

#include <string>
#include <vector>

class CDialDevices {
public:
    CDialDevices() = default;
    ~CDialDevices();
    CDialDevices(const CDialDevices&) = delete;
    CDialDevices& operator=(const CDialDevices&) = delete;

    // Binds the library ("rnaph.dll" by the plain names on Windows 9x, falling back to
    // "rasapi32.dll"; "rasapi32.dll" by the A names on NT) and builds the list. True only when
    // the list holds a device.
    bool bind();
    void unbind();
    bool isBound() const { return m_Bound; }
    // Rebuilds the list from the enumeration; false when the library is not bound.
    bool rebuild();
    const std::vector<std::string>& names() const { return m_Names; }

    // The first device whose name is a line of "isdndevs.dat" in the current folder; false
    // without the file or such a device.
    bool findListedIsdnDevice(std::string& name);
    // With a device name: whether that device is of type "isdn". With "GETDEVICE": whether any
    // device is, and the first one's name in `found`.
    bool isIsdnDevice(const char* nameOrGetDevice, std::string* found = nullptr);
    // The first device whose name starts with `name`; with an empty name the first device listed
    // in "isdndevs.dat"; when neither is found, the first device of all. False without devices.
    bool findDeviceByPrefix(const char* name, std::string& fullName, std::string& type);

private:
    struct Device {
        std::string type;
        std::string name;
    };
    bool bindLibrary(const char* library, bool plainNames);
    std::vector<Device> enumerate();

    HMODULE m_Library = nullptr;
    decltype(&::RasEnumDevicesA) m_RasEnumDevices = nullptr;
    bool m_Bound = false;
    std::vector<std::string> m_Names;
};

// The lines of "isdndevs.dat" in the current folder, without their line ends; empty without the
// file.
std::vector<std::string> readIsdnDeviceList();

// The name of the ISDN device list file.
inline constexpr const char* kIsdnDeviceFile = "isdndevs.dat";
