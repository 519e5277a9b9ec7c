// Watching a dial whose progress goes to a window, for the case that the service dies in the
// middle of it.
#pragma once

#include <windows.h>

namespace winapi::ras {

// Until the dial `handle` has connected, failed or been hung up, asks the service instance that
// took it a few times a second how it stands; when that instance is gone (killed, crashed),
// posts the window the dial's last state with ERROR_RASMAN_CANNOT_INITIALIZE, the failure the
// service can no longer post. Returns at once; the watch runs on a thread of its own.
void watchDial(DWORD handle, HWND window);

}  // namespace winapi::ras
