// The dial devices of the prefix, shared by rasapi32 (RasEnumDevicesA) and tapi32 (its line
// devices).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace winapi::ras {

using Device = std::pair<std::string, std::string>;  // type, name

std::vector<Device> listDevices();

}  // namespace winapi::ras
