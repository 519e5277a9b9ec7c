// The simulated provider that answers every dial of the prefix. It is configured in the prefix's
// registry under HKEY_LOCAL_MACHINE "System\Lumora\Provider":
//   "Line"        REG_SZ  "busy", "nocarrier", "nodialtone" or "noanswer"; anything else answers
//   "StepDelay"   DWORD   milliseconds between two states of a dial (default 300)
//   "DialDelay"   DWORD   milliseconds the modem dials and waits for the answer (default: the
//                         step delay); a real line takes seconds here
//   "DropAfter"   DWORD   seconds after which an established connection drops (0: never)
//   "LogonPrompt" DWORD   1: the logon prompt window is shown while authenticating; no one
//                         answers it, so the logon fails (691) after ten seconds
// and its subkey "Accounts" (value name = user name, REG_SZ data = password); without that
// subkey every account is accepted, with it any other account is refused (691).
#pragma once

#include <windows.h>

#include <string>

namespace rasman {

struct Provider {
    DWORD lineError = 0;  // the error the line answers with instead of a carrier, 0 when none
    DWORD stepDelayMs = 300;
    DWORD dialDelayMs = 300;
    DWORD dropAfterSeconds = 0;
    bool logonPrompt = false;
};

// The configuration as it is now (read at each dial).
Provider readProvider();

// True when the provider accepts this user name and password.
bool acceptsAccount(const std::string& user, const std::string& password);

}  // namespace rasman
