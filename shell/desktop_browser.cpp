// The stand-in for the standard browser.
#include "desktop_browser.h"

#include <windows.h>
#include <shellapi.h>

#include "trace.h"

namespace {

BOOL CALLBACK findBrowserWindow(HWND hwnd, LPARAM found) {
    char title[256] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    const std::string text = title;
    if (text.find("Internet Explorer") == std::string::npos &&
        text.find("Netscape") == std::string::npos)
        return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

}  // namespace

void DesktopBrowser::launchStandardBrowser(const std::string& address) {
    traceLine("launchStandardBrowser (%s)\n", address.c_str());
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) traceLine("the page could not be opened (%d)\n", static_cast<int>(result));
}

bool DesktopBrowser::browserWindowOpen() {
    bool found = false;
    EnumWindows(&findBrowserWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}
