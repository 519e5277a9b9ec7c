// Registry routines.
#include "registry.h"

#include <cstring>

namespace {

bool writeValue(HKEY hive, const char* key, const char* name, DWORD type, const BYTE* data,
                DWORD length) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(hive, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LSTATUS status = RegSetValueExA(handle, name, 0, type, data, length);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

}  // namespace

bool regWriteString(const char* key, const char* name, const char* text, HKEY hive) {
    if (!text) return false;
    return writeValue(hive, key, name, REG_SZ, reinterpret_cast<const BYTE*>(text),
                      static_cast<DWORD>(std::strlen(text) + 1));
}

bool regWriteDword(const char* key, const char* name, DWORD value, HKEY hive) {
    return writeValue(hive, key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                      sizeof value);
}

bool regWriteBinary(const char* key, const char* name, const BYTE* data, DWORD length,
                    HKEY hive) {
    return writeValue(hive, key, name, REG_BINARY, data, length);
}

const char* regReadString(const char* key, const char* name, const char* defaultValue,
                          HKEY hive) {
    static char buffer[kRegTextSize];
    HKEY handle = nullptr;
    if (RegOpenKeyExA(hive, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return defaultValue;
    DWORD type = REG_NONE;
    DWORD size = kRegTextSize;
    LSTATUS status = RegQueryValueExA(handle, name, nullptr, &type,
                                      reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return defaultValue;
    // A value stored without its terminating zero ends where its data ends; one that fills the
    // whole buffer that way is longer than the buffer allows.
    if (size == 0 || buffer[size - 1] != '\0') {
        if (size >= kRegTextSize) return defaultValue;
        buffer[size] = '\0';
    }
    return buffer;
}

DWORD regReadDword(const char* key, const char* name, DWORD defaultValue, HKEY hive) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(hive, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return defaultValue;
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    LSTATUS status = RegQueryValueExA(handle, name, nullptr, &type,
                                      reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value
                                                                               : defaultValue;
}

bool regDeleteValue(const char* key, const char* name, HKEY hive) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(hive, key, 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return false;
    LSTATUS status = RegDeleteValueA(handle, name);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}
