// Showing, hiding, enabling and disabling this process's windows. The state is the window's
// WS_VISIBLE and WS_DISABLED style bits; a change is announced to the window with WM_SHOWWINDOW or
// WM_ENABLE, sent as Windows sends them, so the message reaches the window's procedure on the
// window's own thread even when another thread asked. A user interface toolkit whose window stands
// behind one of these windows follows the messages there.
#include <windows.h>

#include "window.h"

namespace winapi::user32 {
namespace {

// Sets or clears `bit` in the window's style; true when the bit was set before.
bool changeStyle(Window& w, DWORD bit, bool set) {
    std::lock_guard lock(windowMutex());
    const bool before = (w.style & bit) != 0;
    w.style = set ? (w.style | bit) : (w.style & ~bit);
    return before;
}

bool hasStyle(Window& w, DWORD bit) {
    std::lock_guard lock(windowMutex());
    return (w.style & bit) != 0;
}

// Only this process's windows: another program's windows are its own business.
std::shared_ptr<Window> ownWindow(HWND hwnd) {
    auto w = localWindow(hwnd);
    if (!w) SetLastError(anyWindow(hwnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

}  // namespace
}  // namespace winapi::user32

using namespace winapi::user32;

extern "C" {

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    auto w = ownWindow(hWnd);
    if (!w) return FALSE;
    const bool show = nCmdShow != SW_HIDE;
    const bool wasVisible = changeStyle(*w, WS_VISIBLE, show);
    if (wasVisible != show) SendMessageA(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    auto w = ownWindow(hWnd);
    if (!w) return FALSE;
    const bool enable = bEnable != FALSE;
    const bool wasDisabled = changeStyle(*w, WS_DISABLED, !enable);
    if (wasDisabled == enable) SendMessageA(hWnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    // A child is visible when it and every parent above it are.
    for (auto w = localWindow(hWnd); w; w = w->parent ? localWindow(w->parent) : nullptr)
        if (!hasStyle(*w, WS_VISIBLE)) return FALSE;
    return localWindow(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    auto w = localWindow(hWnd);
    return w && !hasStyle(*w, WS_DISABLED) ? TRUE : FALSE;
}

}  // extern "C"
