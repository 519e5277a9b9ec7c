// The internet extender's dial-up words (over the remote-access library, bound at run time),
// the connected state, URL encoding and decoding, and the log.
#include "pxnet.h"

#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace pxnet {
namespace {

constexpr DWORD kUrlBuffer = 2048;

struct RasLibrary {
    using Dial = DWORD(WINAPI*)(LPRASDIALEXTENSIONS, LPCSTR, LPRASDIALPARAMSA, DWORD, LPVOID, LPHRASCONN);
    using EnumConnections = DWORD(WINAPI*)(LPRASCONNA, LPDWORD, LPDWORD);
    using EnumEntries = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPRASENTRYNAMEA, LPDWORD, LPDWORD);
    using GetConnectStatus = DWORD(WINAPI*)(HRASCONN, LPRASCONNSTATUSA);
    using GetEntryDialParams = DWORD(WINAPI*)(LPCSTR, LPRASDIALPARAMSA, LPBOOL);
    using HangUp = DWORD(WINAPI*)(HRASCONN);
    Dial dial = nullptr;
    EnumConnections enumConnections = nullptr;
    EnumEntries enumEntries = nullptr;
    GetConnectStatus getConnectStatus = nullptr;
    GetEntryDialParams getEntryDialParams = nullptr;
    HangUp hangUp = nullptr;
};

template <class T>
void bind(HMODULE library, const char* name, T& pointer) {
    pointer = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The remote-access library of the system folder, bound once; null after telling the user.
const RasLibrary* ras() {
    static RasLibrary table;
    static bool bound = false;
    if (bound) return &table;
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    const std::string path = std::string(system) + "\\rasapi32.DLL";
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library) library = LoadLibraryA("rasapi32.dll");
    if (!library) {
        MessageBoxA(nullptr, "Unable to load RASAPI32.DLL", "PXL Extender Error", MB_OK | MB_ICONSTOP);
        return nullptr;
    }
    bind(library, "RasDialA", table.dial);
    bind(library, "RasEnumConnectionsA", table.enumConnections);
    bind(library, "RasEnumEntriesA", table.enumEntries);
    bind(library, "RasGetConnectStatusA", table.getConnectStatus);
    bind(library, "RasGetEntryDialParamsA", table.getEntryDialParams);
    bind(library, "RasHangUpA", table.hangUp);
    if (!table.dial || !table.enumConnections || !table.enumEntries || !table.getConnectStatus ||
        !table.getEntryDialParams || !table.hangUp) {
        MessageBoxA(nullptr, "Unable to load RASAPI32.DLL", "PXL Extender Error", MB_OK | MB_ICONSTOP);
        FreeLibrary(library);
        return nullptr;
    }
    bound = true;
    return &table;
}

}  // namespace

LONG igetconstate(const ExtenderCall& call) {
    DWORD flags = 0;
    const BOOL connected = InternetGetConnectedState(&flags, 0);
    keepError();
    return call.returnNumber(call.number(1) != 0 ? static_cast<LONG>(flags) : connected);
}

LONG idial(const ExtenderCall& call) {
    const RasLibrary* table = ras();
    if (!table) return call.returnNumber(0);
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::strncpy(params.szEntryName, call.arg(1), RAS_MaxEntryName);
    BOOL hasPassword = FALSE;
    DWORD result = table->getEntryDialParams(nullptr, &params, &hasPassword);
    if (result == 0) {
        if (!isNone(call.arg(2))) std::strncpy(params.szPassword, call.arg(2), PWLEN);
        HRASCONN connection = nullptr;
        result = table->dial(nullptr, nullptr, &params, 0, nullptr, &connection);
        state().lastError = result;
        if (result == 0) return call.returnNumber(static_cast<LONG>(reinterpret_cast<DWORD_PTR>(static_cast<HRASCONN__*>(connection))));
        // A failed dial leaves a connection handle that still has to be hung up.
        if (connection) table->hangUp(connection);
        return call.returnNumber(0);
    }
    state().lastError = result;
    return call.returnNumber(0);
}

LONG idialhangup(const ExtenderCall& call) {
    const RasLibrary* table = ras();
    if (!table) return call.returnNumber(0);
    const long long value = call.number(1);
    if (value != 0) {
        DWORD result = table->hangUp(HRASCONN(reinterpret_cast<HRASCONN__*>(static_cast<DWORD_PTR>(value))));
        Sleep(500);
        state().lastError = result;
        if (result == ERROR_INVALID_HANDLE) result = 2;
        return call.returnNumber(static_cast<LONG>(result));
    }
    std::vector<RASCONNA> list(16);
    list[0].dwSize = sizeof(RASCONNA);
    DWORD size = static_cast<DWORD>(list.size() * sizeof(RASCONNA)), count = 0;
    DWORD result = table->enumConnections(list.data(), &size, &count);
    if (result == ERROR_BUFFER_TOO_SMALL) {
        list.resize(size / sizeof(RASCONNA) + 1);
        list[0].dwSize = sizeof(RASCONNA);
        size = static_cast<DWORD>(list.size() * sizeof(RASCONNA));
        result = table->enumConnections(list.data(), &size, &count);
    }
    if (result != 0) {
        state().lastError = result;
        return call.returnNumber(static_cast<LONG>(result));
    }
    for (DWORD i = 0; i < count; ++i) {
        table->hangUp(list[i].hrasconn);
        // The connection is gone once its status can no longer be asked (bounded at 30 s).
        for (int waited = 0; waited < 300; ++waited) {
            RASCONNSTATUSA status{};
            status.dwSize = sizeof status;
            if (table->getConnectStatus(list[i].hrasconn, &status) == ERROR_INVALID_HANDLE) break;
            Sleep(100);
        }
    }
    return call.returnNumber(0);
}

LONG idialitemize(const ExtenderCall& call) {
    const RasLibrary* table = ras();
    if (!table) return call.returnText("");
    std::vector<RASENTRYNAMEA> entries(100);
    entries[0].dwSize = sizeof(RASENTRYNAMEA);
    DWORD size = static_cast<DWORD>(entries.size() * sizeof(RASENTRYNAMEA)), count = 0;
    const DWORD result = table->enumEntries(nullptr, nullptr, entries.data(), &size, &count);
    state().lastError = result;
    if (result != 0) return call.returnText("");
    std::string names;
    for (DWORD i = 0; i < count; ++i) names += (i ? "\t" : "") + std::string(entries[i].szEntryName);
    return call.returnText(names);
}

LONG ilogdata(const ExtenderCall& call) {
    // The log is "pxnet33i.log" next to the extender, one line per call: the level and the text.
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(GetModuleHandleA("pxnet33i.dll"), path, sizeof path);
    std::string file(path, length < sizeof path ? length : 0);
    const size_t slash = file.find_last_of("\\/");
    file = (slash == std::string::npos ? std::string() : file.substr(0, slash + 1)) + "pxnet33i.log";
    HANDLE log = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (log == INVALID_HANDLE_VALUE) return fail(call, 307);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    const std::string line = stamp + std::string(call.arg(1)) + " " + call.arg(2) + "\r\n";
    DWORD written = 0;
    SetFilePointer(log, 0, nullptr, FILE_END);
    const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    return call.returnNumber(ok ? 1 : 0);
}

LONG iurlcode(const ExtenderCall& call, bool decode) {
    std::vector<char> buffer(kUrlBuffer);
    DWORD size = kUrlBuffer;
    const DWORD flags = decode ? ICU_DECODE | ICU_NO_ENCODE : 0;
    BOOL ok = InternetCanonicalizeUrlA(call.arg(1), buffer.data(), &size, flags);
    if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        // A result longer than the work buffer gets a bigger one rather than being cut.
        buffer.resize(size + 1);
        size = static_cast<DWORD>(buffer.size());
        ok = InternetCanonicalizeUrlA(call.arg(1), buffer.data(), &size, flags);
    }
    keepError();
    if (!ok) return fail(call, 329);
    return call.returnText(std::string(buffer.data(), strnlen(buffer.data(), std::min<size_t>(buffer.size(), size + 1))));
}

}  // namespace pxnet
