// Reading the simulated provider's configuration from the registry.
#include "provider.h"

#include <raserror.h>

#include "cp1252.h"
#include "read_key.h"

namespace rasman {
namespace {

constexpr const char* kProviderKey = "System\\Lumora\\Provider";
constexpr const char* kAccountsKey = "System\\Lumora\\Provider\\Accounts";

}  // namespace

Provider readProvider() {
    Provider provider;
    const winapi::ReadKey key(HKEY_LOCAL_MACHINE, kProviderKey);
    std::string line;
    if (key.text("Line", line)) {
        if (winapi::equalsIgnoreCase(line, "busy")) provider.lineError = ERROR_LINE_BUSY;
        if (winapi::equalsIgnoreCase(line, "nocarrier")) provider.lineError = ERROR_NO_CARRIER;
        if (winapi::equalsIgnoreCase(line, "nodialtone")) provider.lineError = ERROR_NO_DIALTONE;
        if (winapi::equalsIgnoreCase(line, "noanswer")) provider.lineError = ERROR_NO_ANSWER;
    }
    provider.stepDelayMs = key.number("StepDelay", provider.stepDelayMs);
    provider.dialDelayMs = key.number("DialDelay", provider.stepDelayMs);
    provider.dropAfterSeconds = key.number("DropAfter", 0);
    provider.logonPrompt = key.number("LogonPrompt", 0) != 0;
    return provider;
}

bool acceptsAccount(const std::string& user, const std::string& password) {
    const winapi::ReadKey accounts(HKEY_LOCAL_MACHINE, kAccountsKey);
    if (!accounts) return true;
    std::string expected;
    return !user.empty() && accounts.text(user.c_str(), expected) && expected == password;
}

}  // namespace rasman
