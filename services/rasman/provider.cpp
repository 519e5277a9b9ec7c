// Reading the simulated provider's configuration from the registry.
#include "provider.h"

#include <raserror.h>

#include "cp1252.h"

namespace rasman {
namespace {

constexpr const char* kProviderKey = "System\\Lumora\\Provider";
constexpr const char* kAccountsKey = "System\\Lumora\\Provider\\Accounts";

struct Key {
    HKEY handle = nullptr;
    explicit Key(const char* path) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
            handle = nullptr;
    }
    ~Key() {
        if (handle) RegCloseKey(handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool text(const char* name, std::string& out) const {
        char value[512] = {};
        DWORD size = sizeof value - 1;
        DWORD type = 0;
        if (!handle || RegQueryValueExA(handle, name, nullptr, &type,
                                        reinterpret_cast<LPBYTE>(value), &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return false;
        out = value;
        return true;
    }
    DWORD number(const char* name, DWORD fallback) const {
        DWORD value = 0;
        DWORD size = sizeof value;
        DWORD type = 0;
        if (!handle || RegQueryValueExA(handle, name, nullptr, &type,
                                        reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            return fallback;
        return value;
    }
};

}  // namespace

Provider readProvider() {
    Provider provider;
    Key key(kProviderKey);
    std::string line;
    if (key.text("Line", line)) {
        if (winapi::equalsIgnoreCase(line, "busy")) provider.lineError = ERROR_LINE_BUSY;
        if (winapi::equalsIgnoreCase(line, "nocarrier")) provider.lineError = ERROR_NO_CARRIER;
        if (winapi::equalsIgnoreCase(line, "nodialtone")) provider.lineError = ERROR_NO_DIALTONE;
        if (winapi::equalsIgnoreCase(line, "noanswer")) provider.lineError = ERROR_NO_ANSWER;
    }
    provider.stepDelayMs = key.number("StepDelay", provider.stepDelayMs);
    provider.dropAfterSeconds = key.number("DropAfter", 0);
    provider.logonPrompt = key.number("LogonPrompt", 0) != 0;
    return provider;
}

bool acceptsAccount(const std::string& user, const std::string& password) {
    Key accounts(kAccountsKey);
    if (!accounts.handle) return true;
    std::string expected;
    return !user.empty() && accounts.text(user.c_str(), expected) && expected == password;
}

}  // namespace rasman
