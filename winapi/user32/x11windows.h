// Top-level X11 windows of other programs (the window manager's client list) and the screen's
// geometry, when a display is there. The X library is loaded on first use, so programs run
// without a display and without the library installed.
#pragma once

#include <windows.h>

#include <set>
#include <vector>

namespace winapi::user32 {

// Handles for the X11 client windows, top of the stacking order first, without those of the
// given processes (which the prefix's own window list already covers). Empty without a display.
std::vector<HWND> x11Windows(const std::set<DWORD>& skipProcesses);

// Size of the default screen; false without a display.
bool x11ScreenSize(int& width, int& height);
// The work area the window manager announces (_NET_WORKAREA); false when there is none.
bool x11WorkArea(RECT& area);

}  // namespace winapi::user32
