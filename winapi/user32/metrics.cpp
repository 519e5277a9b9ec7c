// Screen metrics: the screen's size from the display when there is one, the standard sizes of
// Windows 2000's classic look for window parts (what the skins and dialog layouts expect).
#include <windows.h>

#include "x11windows.h"

namespace {

// Without a display the programs lay out for the common screen of their time.
constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 768;
// The taskbar at the bottom of the screen, as on a freshly installed Windows.
constexpr int kTaskbarHeight = 28;

void screenSize(int& width, int& height) {
    if (!winapi::user32::x11ScreenSize(width, height)) {
        width = kDefaultWidth;
        height = kDefaultHeight;
    }
}

RECT workArea() {
    RECT area;
    if (winapi::user32::x11WorkArea(area)) return area;
    int width, height;
    screenSize(width, height);
    return RECT{0, 0, width, height - kTaskbarHeight};
}

}  // namespace

extern "C" {

int WINAPI GetSystemMetrics(int nIndex) {
    int width, height;
    switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
        screenSize(width, height);
        return width;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        screenSize(width, height);
        return height;
    case SM_CXFULLSCREEN: {
        RECT a = workArea();
        return a.right - a.left;
    }
    case SM_CYFULLSCREEN: {
        RECT a = workArea();
        return a.bottom - a.top - 19;  // the work area less a caption
    }
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CYMENU: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: return 16;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
    }
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT, PVOID pvParam, UINT) {
    switch (uiAction) {
    case SPI_GETWORKAREA:
        if (!pvParam) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *static_cast<RECT*>(pvParam) = workArea();
        return TRUE;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

}  // extern "C"
