// Binding the remote-access functions at run time.
#include "ras_api.h"

#include <cstring>

namespace {

// The names of the entry group in binding order; Windows 95 and 98 export them without the A.
constexpr const char* kEntryNames[] = {
    "RasGetEntryProperties", "RasSetEntryProperties", "RasValidateEntryName", "RasRenameEntry",
    "RasDeleteEntry",        "RasGetCountryInfo",     "RasEnumDevices",
};

template <typename Pointer>
void bind(HMODULE library, const char* name, Pointer& pointer) {
    pointer = reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The version query answers 1 (VER_PLATFORM_WIN32_WINDOWS) on Windows 95, 98 and Me.
bool windows9x() {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = 148;
    if (!GetVersionExA(&version)) return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

void bindEntryGroup(RasApiTable& t, HMODULE library, bool suffixed) {
    char name[64];
    auto named = [&](int index) {
        std::strcpy(name, kEntryNames[index]);
        if (suffixed) std::strcat(name, "A");
        return name;
    };
    bind(library, named(0), t.pRasGetEntryProperties);
    bind(library, named(1), t.pRasSetEntryProperties);
    bind(library, named(2), t.pRasValidateEntryName);
    bind(library, named(3), t.pRasRenameEntry);
    bind(library, named(4), t.pRasDeleteEntry);
    bind(library, named(5), t.pRasGetCountryInfo);
    bind(library, named(6), t.pRasEnumDevices);
}

bool loadEntryGroup(RasApiTable& t) {
    if (windows9x()) {
        HMODULE library = LoadLibraryA("rasapi32.dll");
        if (library && !GetProcAddress(library, "RasGetEntryProperties")) {
            FreeLibrary(library);
            library = nullptr;
        }
        if (!library) {
            library = LoadLibraryA("rnaph.dll");
            if (library && !GetProcAddress(library, "RasGetEntryProperties")) {
                FreeLibrary(library);
                library = nullptr;
            }
        }
        if (!library) return false;
        t.entryLibrary = library;
        bindEntryGroup(t, library, false);
        return true;
    }
    HMODULE library = LoadLibraryA("rasapi32.dll");
    if (!library) return false;
    t.entryLibrary = library;
    bindEntryGroup(t, library, true);
    return t.pRasGetEntryProperties != nullptr;
}

bool loadConnectionGroup(RasApiTable& t) {
    HMODULE library = LoadLibraryA("rasapi32.dll");
    if (!library) return false;
    t.connectionLibrary = library;
    bind(library, "RasGetConnectStatusA", t.pRasGetConnectStatusA);
    bind(library, "RasHangUpA", t.pRasHangUpA);
    bind(library, "RasEnumEntriesA", t.pRasEnumEntriesA);
    bind(library, "RasEnumConnectionsA", t.pRasEnumConnectionsA);
    bind(library, "RasDialA", t.pRasDialA);
    bind(library, "RasGetEntryDialParamsA", t.pRasGetEntryDialParamsA);
    bind(library, "RasSetEntryDialParamsA", t.pRasSetEntryDialParamsA);
    bind(library, "RasGetErrorStringA", t.pRasGetErrorStringA);
    bind(library, "RasGetProjectionInfoA", t.pRasGetProjectionInfoA);
    t.pRasConnectionNotificationA = GetProcAddress(library, "RasConnectionNotificationA");
    return true;
}

}  // namespace

RasApiTable& rasApi() {
    static RasApiTable table;
    return table;
}

bool loadRasApi() {
    RasApiTable& t = rasApi();
    if (t.entryLibrary) return true;
    if (loadEntryGroup(t) && loadConnectionGroup(t)) return true;
    unloadRasApi();
    return false;
}

void unloadRasApi() {
    RasApiTable& t = rasApi();
    if (t.entryLibrary) FreeLibrary(t.entryLibrary);
    if (t.connectionLibrary) FreeLibrary(t.connectionLibrary);
    t = RasApiTable{};
}
