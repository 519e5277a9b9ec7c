// rasapi32: dialling, hanging up and watching connections. The connections belong to the
// prefix's remote-access service, so they outlive the process that dialled them and every
// process of the prefix sees them; these calls ask the service.
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include "bus.h"
#include "cp1252.h"
#include "dial_watch.h"
#include "exports.h"
#include "list_answer.h"
#include "ras_service.h"

#include <chrono>
#include <thread>
#include <vector>

using namespace winapi;
using namespace winapi::ras;

namespace {

constexpr DWORD kNotifierWindow = 0xFFFFFFFF;
constexpr auto kSyncPoll = std::chrono::milliseconds(20);

std::string utf8(const char* member, size_t size) {
    return cp1252ToUtf8(memberText(member, size));
}

struct Status {
    DWORD state = 0;
    DWORD dialError = 0;
    std::string deviceType, deviceName;
};

DWORD queryStatus(DWORD handle, Status& status) {
    DWORD error = ERROR_SUCCESS;
    GVariant* reply = callService("Status", g_variant_new("(u)", handle), "(uuuss)", error);
    if (!reply) return error;
    const gchar* type;
    const gchar* name;
    guint32 answer;
    g_variant_get(reply, "(uuu&s&s)", &answer, &status.state, &status.dialError, &type, &name);
    status.deviceType = utf8ToCp1252(type);
    status.deviceName = utf8ToCp1252(name);
    g_variant_unref(reply);
    return answer;
}

}  // namespace

RASAPI_EXPORT DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS lpRasDialExtensions, LPCSTR lpszPhonebook,
                                    LPRASDIALPARAMSA lpRasDialParams, DWORD dwNotifierType,
                                    LPVOID lpvNotifier, LPHRASCONN lphRasConn) {
    if (!lpRasDialParams || !lphRasConn) return ERROR_INVALID_PARAMETER;
    if (lpszPhonebook && *lpszPhonebook) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (lpRasDialParams->dwSize != sizeof(RASDIALPARAMSA)) return ERROR_INVALID_SIZE;
    if (lpRasDialExtensions && lpRasDialExtensions->dwSize != sizeof(RASDIALEXTENSIONS))
        return ERROR_INVALID_SIZE;
    // Progress goes to a window only; the callback forms of the notifier are not offered.
    if (lpvNotifier && dwNotifierType != kNotifierWindow) return ERROR_INVALID_PARAMETER;
    *lphRasConn = nullptr;
    std::string notifyBus;
    DWORD window = 0;
    if (lpvNotifier) {
        if (!user32::joinBus()) return ERROR_RASMAN_CANNOT_INITIALIZE;
        notifyBus = user32::busName();
        window = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(lpvNotifier));
    }
    const RASDIALPARAMSA& p = *lpRasDialParams;
    DWORD error = ERROR_SUCCESS;
    GVariant* reply = callService(
        "Dial",
        g_variant_new("(ssssssu)", utf8(p.szEntryName, sizeof p.szEntryName).c_str(),
                      utf8(p.szPhoneNumber, sizeof p.szPhoneNumber).c_str(),
                      utf8(p.szUserName, sizeof p.szUserName).c_str(),
                      utf8(p.szPassword, sizeof p.szPassword).c_str(),
                      utf8(p.szDomain, sizeof p.szDomain).c_str(), notifyBus.c_str(), window),
        "(uu)", error);
    if (!reply) return error;
    guint32 answer;
    guint32 handle;
    g_variant_get(reply, "(uu)", &answer, &handle);
    g_variant_unref(reply);
    if (handle) *lphRasConn = reinterpret_cast<HRASCONN__*>(static_cast<UINT_PTR>(handle));
    if (!answer && lpvNotifier) watchDial(handle, static_cast<HWND>(lpvNotifier));
    if (answer || lpvNotifier) return answer;
    // Without a notifier the call returns when the connection is up or has failed.
    for (;;) {
        Status status;
        if (DWORD failed = queryStatus(handle, status)) return failed;
        if (status.dialError) return status.dialError;
        if (status.state == RASCS_Connected) return ERROR_SUCCESS;
        std::this_thread::sleep_for(kSyncPoll);
    }
}

RASAPI_EXPORT DWORD WINAPI RasHangUpA(HRASCONN hrasconn) {
    const DWORD handle = static_cast<DWORD>(static_cast<UINT_PTR>(hrasconn));
    if (!handle) return ERROR_INVALID_HANDLE;
    DWORD error = ERROR_SUCCESS;
    GVariant* reply = callService("HangUp", g_variant_new("(u)", handle), "(u)", error);
    if (!reply) return error;
    guint32 answer;
    g_variant_get(reply, "(u)", &answer);
    g_variant_unref(reply);
    return answer;
}

RASAPI_EXPORT DWORD WINAPI RasGetConnectStatusA(HRASCONN hrasconn,
                                                LPRASCONNSTATUSA lprasconnstatus) {
    if (!lprasconnstatus) return ERROR_INVALID_PARAMETER;
    if (lprasconnstatus->dwSize != sizeof(RASCONNSTATUSA)) return ERROR_INVALID_SIZE;
    const DWORD handle = static_cast<DWORD>(static_cast<UINT_PTR>(hrasconn));
    if (!handle) return ERROR_INVALID_HANDLE;
    Status status;
    if (DWORD error = queryStatus(handle, status)) return error;
    lprasconnstatus->rasconnstate = static_cast<RASCONNSTATE>(status.state);
    lprasconnstatus->dwError = status.dialError;
    copyText(lprasconnstatus->szDeviceType, sizeof lprasconnstatus->szDeviceType,
             status.deviceType);
    copyText(lprasconnstatus->szDeviceName, sizeof lprasconnstatus->szDeviceName,
             status.deviceName);
    return ERROR_SUCCESS;
}

RASAPI_EXPORT DWORD WINAPI RasEnumConnectionsA(LPRASCONNA lprasconn, LPDWORD lpcb,
                                               LPDWORD lpcConnections) {
    if (!lpcb || !lpcConnections) return ERROR_INVALID_PARAMETER;
    if (lprasconn && lprasconn->dwSize != sizeof(RASCONNA)) return ERROR_INVALID_SIZE;
    DWORD error = ERROR_SUCCESS;
    GVariant* reply = callService("List", g_variant_new("()"), "(a(usss))", error);
    if (!reply) return error;
    struct Connection {
        DWORD handle;
        std::string entry, deviceType, deviceName;
    };
    std::vector<Connection> connections;
    GVariantIter* iter;
    g_variant_get(reply, "(a(usss))", &iter);
    guint32 handle;
    const gchar *entry, *type, *name;
    while (g_variant_iter_loop(iter, "(u&s&s&s)", &handle, &entry, &type, &name))
        connections.push_back(
            {handle, utf8ToCp1252(entry), utf8ToCp1252(type), utf8ToCp1252(name)});
    g_variant_iter_free(iter);
    g_variant_unref(reply);
    return answerList(lprasconn, lpcb, lpcConnections, connections.size(),
                      [&](RASCONNA& out, size_t i) {
                          const Connection& c = connections[i];
                          out.hrasconn =
                              reinterpret_cast<HRASCONN__*>(static_cast<UINT_PTR>(c.handle));
                          copyText(out.szEntryName, sizeof out.szEntryName, c.entry);
                          copyText(out.szDeviceType, sizeof out.szDeviceType, c.deviceType);
                          copyText(out.szDeviceName, sizeof out.szDeviceName, c.deviceName);
                      });
}

RASAPI_EXPORT DWORD WINAPI RasGetProjectionInfoA(HRASCONN hrasconn, RASPROJECTION rasprojection,
                                                 LPVOID lpprojection, LPDWORD lpcb) {
    if (!lpprojection || !lpcb) return ERROR_INVALID_PARAMETER;
    // The simulated line negotiates PPP with IP only.
    if (rasprojection != RASP_PppIp) return ERROR_PROTOCOL_NOT_CONFIGURED;
    auto* ip = static_cast<LPRASPPPIPA>(lpprojection);
    if (*lpcb < sizeof(RASPPPIPA)) {
        *lpcb = sizeof(RASPPPIPA);
        return ERROR_BUFFER_TOO_SMALL;
    }
    if (ip->dwSize != sizeof(RASPPPIPA)) return ERROR_INVALID_SIZE;
    const DWORD handle = static_cast<DWORD>(static_cast<UINT_PTR>(hrasconn));
    if (!handle) return ERROR_INVALID_HANDLE;
    DWORD error = ERROR_SUCCESS;
    GVariant* reply = callService("Projection", g_variant_new("(u)", handle), "(uus)", error);
    if (!reply) return error;
    guint32 answer, projectionError;
    const gchar* address;
    g_variant_get(reply, "(uu&s)", &answer, &projectionError, &address);
    if (!answer) {
        ip->dwError = projectionError;
        copyText(ip->szIpAddress, sizeof ip->szIpAddress, address);
    }
    g_variant_unref(reply);
    return answer;
}
