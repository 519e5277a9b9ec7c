// A stand-in browser center for the custom-dial library's tests and benchmark: started with
// "-dialer" as the library starts the browser center, it does what the test set up under HKCU
// "Software\LumoraTest\DialerStandIn": counts its start ("Starts"), waits "Delay" ms, records
// when it answers ("AnsweredAt", GetTickCount) and writes "Outcome" as the entry's "Connected"
// value - or, with no "Outcome", ends without writing one, like a browser center ended by force.
#include <windows.h>

#include <cstring>
#include <string>

#include "registry.h"

int main() {
    const char* config = "Software\\LumoraTest\\DialerStandIn";
    if (!std::strstr(GetCommandLineA(), "-dialer")) return 2;
    regWriteDword(config, "Starts", regReadDword(config, "Starts", 0) + 1);
    Sleep(regReadDword(config, "Delay", 0));
    const std::string entry = regReadString(config, "Entry", "");
    const std::string outcome = regReadString(config, "Outcome", "");
    if (outcome.empty()) return 3;
    regWriteDword(config, "AnsweredAt", GetTickCount());
    regWriteString(("Software\\Tarnwell\\AutoDial\\" + entry).c_str(), "Connected",
                   outcome.c_str());
    return 0;
}
