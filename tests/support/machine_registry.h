// Values of the test machine's HKEY_LOCAL_MACHINE as the tests set them up: the simulated
// provider, the dial devices, the emulated Windows version.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace lumora_test {

inline constexpr const char* kProviderKey = "System\\Lumora\\Provider";
inline constexpr const char* kProviderAccountsKey = "System\\Lumora\\Provider\\Accounts";

inline void setMachineValue(const char* path, const char* name, DWORD type, const void* data,
                            DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

inline void setMachineText(const char* path, const char* name, const char* text) {
    setMachineValue(path, name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

inline void setProviderNumber(const char* name, DWORD value) {
    setMachineValue(kProviderKey, name, REG_DWORD, &value, sizeof value);
}

}  // namespace lumora_test
