// The dial request shared by the library's entry points.
#include "dial_request.h"

#include <string>

#include "process.h"
#include "registry.h"

namespace {

constexpr const char* kCounterName = "TNAutoDial";
constexpr LONG kCounterUnavailable = 1234;
constexpr DWORD kPollMilliseconds = 100;

// The view of the shared counter while this process serves a request.
LONG* counterView = nullptr;

std::string entryKey(const char* entryName) {
    return std::string("Software\\Tarnwell\\AutoDial\\") + entryName;
}

// '0', '1', or 0 while the outcome is pending.
char outcome(const std::string& key) {
    const char first = regReadString(key.c_str(), "Connected", "")[0];
    return first == '0' || first == '1' ? first : 0;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

LONG initApplicationInstance() {
    // The handle stays open for the life of the process, so the count outlives each request.
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(LONG), kCounterName);
    if (!mapping) return kCounterUnavailable;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG));
    if (!view) return kCounterUnavailable;
    counterView = static_cast<LONG*>(view);
    return InterlockedIncrement(counterView);
}

void finitApplicationInstance() {
    if (!counterView) return;
    InterlockedDecrement(counterView);
    UnmapViewOfFile(counterView);
    counterView = nullptr;
}

BOOL waitForDialerTermination(const char* entryName, DWORD* code, HANDLE dialer) {
    const std::string key = entryKey(entryName);
    for (;;) {
        char state = outcome(key);
        // A browser center that ended without an outcome (killed, crashed) never writes one:
        // the request ends as not connected and tells the requests waiting with it.
        if (!state && dialer && WaitForSingleObject(dialer, 0) == WAIT_OBJECT_0) {
            state = outcome(key);
            if (!state) {
                regWriteString(key.c_str(), "Connected", "0");
                state = '0';
            }
        }
        if (state) {
            finitApplicationInstance();
            *code = state == '1' ? kDialSucceeded : kDialFailed;
            return state == '1';
        }
        pumpMessages();
        Sleep(kPollMilliseconds);
    }
}

BOOL serveDialRequest(const char* entryName, DWORD* code, BOOL* handedOver) {
    *handedOver = FALSE;
    const std::string key = entryKey(entryName);
    const std::string program = regReadString(key.c_str(), "Name", "");
    if (program.empty()) {
        *code = kDialFailed;
        return FALSE;
    }
    HANDLE dialer = nullptr;
    if (initApplicationInstance() < 2) {
        regWriteString(key.c_str(), "Connected", "2");
        dialer = startProgram(program.c_str(), "-dialer", SW_SHOW);
        if (!dialer) {
            finitApplicationInstance();
            *code = kDialFailed;
            return FALSE;
        }
    }
    *handedOver = TRUE;
    const BOOL connected = waitForDialerTermination(entryName, code, dialer);
    if (dialer) CloseHandle(dialer);
    return connected;
}
