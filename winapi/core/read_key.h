// A registry key opened for reading through the API, for the libraries and the service built over
// it (the remote-access and telephony libraries, the remote-access service): closed with the
// object, with reads that tell a missing or mistyped value apart.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winapi {

class ReadKey {
public:
    ReadKey(HKEY parent, const std::string& path) {
        if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~ReadKey() {
        if (key_) RegCloseKey(key_);
    }
    ReadKey(const ReadKey&) = delete;
    ReadKey& operator=(const ReadKey&) = delete;

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    // A text value (REG_SZ or REG_EXPAND_SZ); false when it is missing or of another type.
    bool text(const char* name, std::string& out) const {
        char value[512] = {};
        DWORD size = sizeof value - 1;
        DWORD type = 0;
        if (!key_ ||
            RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        out = value;
        return true;
    }
    // The text, empty when it is missing.
    std::string text(const char* name) const {
        std::string value;
        text(name, value);
        return value;
    }
    // A REG_DWORD value, `fallback` when it is missing or of another type.
    DWORD number(const char* name, DWORD fallback) const {
        DWORD value = 0;
        DWORD size = sizeof value;
        DWORD type = 0;
        if (!key_ ||
            RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD)
            return fallback;
        return value;
    }
    // The names of the subkeys, in the registry's order.
    std::vector<std::string> subkeys() const {
        std::vector<std::string> names;
        char name[256];
        for (DWORD i = 0; key_; ++i) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
        return names;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace winapi
