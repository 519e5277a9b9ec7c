// Handing an entry's dial to the library the entry names, as Windows does when it dials such an
// entry by itself: the dial-up networking folder (tools/rasdial) and the remote-access service's
// AutoDial (services/rasman) both come here.
#pragma once

#include <windows.h>

#include <ras.h>

#include <string>

namespace winapi::ras {

enum class LibraryDial {
    None,                // the entry names no library for the emulated system: dial it plainly
    CustomDialMissing,   // Windows 2000: the custom-dial library or its RasCustomDialDlg is missing
    AutoDialMissing,     // earlier systems: the AutoDial library or its function is missing
    Connected,           // the library reports the entry connected
    Failed,              // the library reports a failure; `error` holds its remote-access error
};

struct LibraryDialResult {
    LibraryDial outcome = LibraryDial::None;
    DWORD error = ERROR_SUCCESS;
};

// `properties` is the entry read in the emulated system's structure size: the custom-dial library
// serves Windows 2000 (its entry has the member), the AutoDial library and function the earlier
// systems. Blocks until the library returns.
LibraryDialResult dialThroughLibrary(const std::string& entry, const RASENTRYA& properties);

}  // namespace winapi::ras
