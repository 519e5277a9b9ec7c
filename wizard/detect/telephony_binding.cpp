// The telephony library's binding: each wrapper resolves its function once and keeps the answer.
#include "telephony_binding.h"

namespace {

constexpr DWORD kApiVersion = 0x00010004;

using GetTranslateCaps = LONG(WINAPI*)(HLINEAPP, DWORD, LPLINETRANSLATECAPS);
using SetCurrentLocation = LONG(WINAPI*)(HLINEAPP, DWORD);
using GetCountry = LONG(WINAPI*)(DWORD, DWORD, LPLINECOUNTRYLIST);
using GetIcon = LONG(WINAPI*)(DWORD, LPCSTR, HICON*);

// The telephony library, looked for once per process.
FARPROC telephonyFunction(const char* name) {
    static bool tried = false;
    static HMODULE library = nullptr;
    if (!tried) {
        tried = true;
        library = LoadLibraryA("TAPI32.DLL");
    }
    return library ? GetProcAddress(library, name) : nullptr;
}

template <class Function>
Function bound(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(telephonyFunction(name)));
}

constexpr LONG kUnavailable = static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);

}  // namespace

LONG callGetTranslateCaps(LPLINETRANSLATECAPS caps) {
    static const auto function = bound<GetTranslateCaps>("lineGetTranslateCaps");
    return function ? function(0, kApiVersion, caps) : kUnavailable;
}

LONG callSetCurrentLocation(DWORD locationId) {
    static const auto function = bound<SetCurrentLocation>("lineSetCurrentLocation");
    return function ? function(0, locationId) : kUnavailable;
}

LONG callGetCountry(LPLINECOUNTRYLIST list) {
    static const auto function = bound<GetCountry>("lineGetCountry");
    return function ? function(0, kApiVersion, list) : kUnavailable;
}

LONG callGetIcon(DWORD deviceId, HICON* icon) {
    static const auto function = bound<GetIcon>("lineGetIcon");
    return function ? function(deviceId, nullptr, icon) : kUnavailable;
}
