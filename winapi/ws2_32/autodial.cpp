// WinSock's AutoDial: a host name that does not resolve while the machine is off line makes the
// remote-access service bring up the Internet connection (when HKCU Internet Settings
// "EnableAutodial" is 1), after which the name is looked up again.
#include "wsock.h"

#include <raserror.h>

#include "ras_service.h"
#include "read_key.h"

namespace winapi::ws2 {

bool autoDialInternet() {
    const ReadKey settings(HKEY_CURRENT_USER,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
    if (settings.number("EnableAutodial", 0) != 1) return false;
    DWORD error = ERROR_SUCCESS;
    // The dial waits for the customer in the browser center: no time limit.
    GVariant* reply = ras::callService("AutoDial", g_variant_new("()"), "(ub)", error, G_MAXINT);
    if (!reply) return false;
    guint32 dialError = 0;
    gboolean dialled = FALSE;
    g_variant_get(reply, "(ub)", &dialError, &dialled);
    g_variant_unref(reply);
    return dialError == ERROR_SUCCESS && dialled;
}

}  // namespace winapi::ws2
