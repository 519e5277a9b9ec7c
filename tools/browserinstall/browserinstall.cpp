// A stand-in for the browser installation programs the wizard's progress page starts:
//   BR_32_IE.exe SHORTNAME configure|install      (and BR_32_NC.exe, the same for Netscape)
// The real installers lie outside this system. This one does what the page sees of them: it steps
// the wizard's progress bar ("WM_TRIGGER_PROGRESS"), walks the animation frames
// ("WM_TRIGGER_BITMAP" with wParam 0), and ends with "WM_CLOSE_PROGRESS", all broadcast as the
// wizard's helpers report. "install" then registers the browser in the prefix only (its App Paths
// entry and its version, a folder under the prefix's programs), never on the real machine;
// "configure" changes nothing. LUMORA_BROWSER_STEP_MS sets the pause between steps (default 150).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

#ifdef BROWSER_IE
constexpr const char* kVersionKey = "SOFTWARE\\Microsoft\\Internet Explorer";
constexpr const char* kVersionValue = "Version";
constexpr const char* kVersion = "6.0.2800.1106";
constexpr const char* kAppPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
constexpr const char* kFolder = "C:\\programs\\Internet Explorer";
constexpr const char* kProgram = "C:\\programs\\Internet Explorer\\IEXPLORE.EXE";
#else
constexpr const char* kVersionKey = "SOFTWARE\\Netscape\\Netscape Navigator";
constexpr const char* kVersionValue = "CurrentVersion";
constexpr const char* kVersion = "4.75 (de)";
constexpr const char* kAppPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\netscape.exe";
constexpr const char* kFolder = "C:\\programs\\Netscape";
constexpr const char* kProgram = "C:\\programs\\Netscape\\netscape.exe";
#endif

constexpr int kSteps = 20;

bool setText(const char* path, const char* name, const char* text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                   static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool registerBrowser() {
    CreateDirectoryA("C:\\programs", nullptr);
    CreateDirectoryA(kFolder, nullptr);
    return setText(kAppPath, nullptr, kProgram) && setText(kAppPath, "Path", (std::string(kFolder) + ";").c_str()) &&
           setText(kVersionKey, kVersionValue, kVersion);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc == 3 ? argv[2] : "";
    if (verb != "configure" && verb != "install") {
        std::fprintf(stderr, "usage: %s SHORTNAME configure|install\n", argv[0]);
        return 2;
    }
    const char* delayText = std::getenv("LUMORA_BROWSER_STEP_MS");
    const DWORD delay = delayText ? static_cast<DWORD>(std::strtoul(delayText, nullptr, 10)) : 150;
    const UINT progress = RegisterWindowMessageA("WM_TRIGGER_PROGRESS");
    const UINT bitmap = RegisterWindowMessageA("WM_TRIGGER_BITMAP");
    const UINT close = RegisterWindowMessageA("WM_CLOSE_PROGRESS");
    for (int step = 0; step < kSteps; ++step) {
        PostMessageA(HWND_BROADCAST, progress, 0, 0);
        if (step % 2 == 0) PostMessageA(HWND_BROADCAST, bitmap, 0, 0);
        Sleep(delay);
    }
    int result = 0;
    if (verb == "install" && !registerBrowser()) {
        std::fprintf(stderr, "%s: the browser could not be registered\n", argv[0]);
        result = 1;
    }
    PostMessageA(HWND_BROADCAST, close, 0, 0);
    return result;
}
