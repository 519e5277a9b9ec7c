// The prefix: one folder is one emulated Windows machine and user ($LUMORA_PREFIX, by default
// $XDG_DATA_HOME/lumora). A prefix that does not exist yet is initialised on first use, like a
// freshly installed machine: folders, and the registry from the template.
#pragma once

#include <string>
#include <string_view>

namespace winapi {

// Host path of the prefix, without a trailing slash. Initialises the prefix on first use.
const std::string& prefixPath();
// Host path of a file or folder inside the prefix ("windows/telephon.ini").
std::string prefixFile(std::string_view relative);

// Folders of a new prefix, relative to it.
inline constexpr const char* kWindowsDir = "windows";
inline constexpr const char* kSystemDir = "windows/system";
inline constexpr const char* kProgramsDir = "programs";
inline constexpr const char* kUserDir = "user";
inline constexpr const char* kRunDir = "run";

// The emulated Windows version: HKEY_LOCAL_MACHINE "System\Lumora" value "WindowsVersion", a
// REG_SZ of "95", "98", "NT4" or "2000" (the default, also when the value is missing or unknown).
inline constexpr const char* kEmulationKey = "System\\Lumora";
inline constexpr const char* kWindowsVersionValue = "WindowsVersion";

// Fills a new prefix's registry from the template; implemented by the registry (advapi32).
// Returns false with a message on standard error when the registry cannot be created.
bool initialiseRegistry(const std::string& prefix);

}  // namespace winapi
