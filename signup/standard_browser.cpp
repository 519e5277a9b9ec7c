// The standard browser: detection, launch and its windows.
#include "standard_browser.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "process.h"
#include "ras_calls.h"
#include "registry.h"
#include "trace.h"

namespace {

constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const char* kBrowserVersionKey = "SOFTWARE\\Microsoft\\Internet Explorer";
// The wait for the browser's window ends just before ten seconds.
constexpr DWORD kBrowserWaitMs = 9999;
constexpr int kTitleSize = 256;

std::string appPathValue(const char* program, const char* value) {
    const std::string key = std::string(kAppPaths) + program;
    std::string text = regReadString(key.c_str(), value, "", HKEY_LOCAL_MACHINE);
    if (!text.empty() && text.back() == ';') text.pop_back();
    return text;
}

BOOL CALLBACK findBrowserWindow(HWND window, LPARAM found) {
    char title[kTitleSize] = {};
    GetWindowTextA(window, title, sizeof title);
    if (!isBrowserWindowTitle(title)) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

BOOL CALLBACK closeBrowserWindow(HWND window, LPARAM) {
    char title[kTitleSize] = {};
    GetWindowTextA(window, title, sizeof title);
    if (isBrowserWindowTitle(title)) PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

std::string registeredProgramFolder(const char* program) { return appPathValue(program, "Path"); }

std::string registeredProgramPath(const char* program) { return appPathValue(program, nullptr); }

bool versionIsMinimal(const char* version) {
    return std::strcmp(version ? version : "", kMinimalBrowserVersion) >= 0;
}

bool minimalIEPresent() {
    return versionIsMinimal(regReadString(kBrowserVersionKey, "Version", "1.0.0.0", HKEY_LOCAL_MACHINE));
}

bool isBrowserWindowTitle(const char* title) {
    return title && (std::strstr(title, "Internet Explorer") || std::strstr(title, "Netscape"));
}

bool browserWindowOpen() {
    bool found = false;
    EnumWindows(findBrowserWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void closeBrowserWindows() { EnumWindows(closeBrowserWindow, 0); }

void launchStandardBrowser(const std::string& address) {
    traceLine("launchStandardBrowser (%s)\n", address.c_str());
    const DWORD start = GetTickCount();
    const std::string netscape = registeredProgramPath("NETSCAPE.EXE");
    if (!minimalIEPresent() && !netscape.empty()) {
        char line[512];
        const int length =
            std::snprintf(line, sizeof line, "%s \"%s\"", netscape.c_str(), address.c_str());
        traceLine("No IE present. Calling NC at: %s\n", netscape.c_str());
        if (length > 0 && static_cast<size_t>(length) < sizeof line)
            runProgram(nullptr, line, SW_SHOWNORMAL, false);
    } else {
        ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    while (!browserWindowOpen() && !getConnectedEntries().empty() &&
           GetTickCount() - start < kBrowserWaitMs) {
        pumpMessages();
        Sleep(100);
    }
}

std::string signupPageUrl(const std::string& programName) {
    const std::string key = "Software\\" + programName;
    std::string url = regReadString(key.c_str(), "SignupURL", "");
    if (!url.empty()) return url;
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_SIGNUP_URL, text, sizeof text);
    return text;
}
