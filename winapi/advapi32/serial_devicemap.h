// The serial port list of the registry, kept to the prefix's ports.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace winapi {
namespace registry {
class Store;
}

// Whether the key names below HKEY_LOCAL_MACHINE are "Hardware\DeviceMap\Serialcomm".
bool isSerialCommPath(const std::vector<std::string_view>& names);
// Rewrites that key's values from the prefix's serial ports: "COMn" = "COMn" for each.
LONG refreshSerialComm(registry::Store& store);

}  // namespace winapi
