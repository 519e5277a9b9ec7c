// The browser installer stand-in as the progress page meets it: a process started by its command
// line whose broadcast messages reach a window of ours, and whose installation the browser
// detection then finds.
#include "browser_detection.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

UINT g_progress, g_bitmap, g_close;
int g_progressSeen, g_bitmapSeen, g_closeSeen;

LRESULT CALLBACK progressPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == g_progress) ++g_progressSeen;
    if (msg == g_bitmap) ++g_bitmapSeen;
    if (msg == g_close) ++g_closeSeen;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(BrowserInstaller, TheStandInReportsToTheWizardAndTheInstalledBrowserIsDetected) {
    ::setenv("LUMORA_BROWSER_STEP_MS", "10", 1);
    g_progress = RegisterWindowMessageA("WM_TRIGGER_PROGRESS");
    g_bitmap = RegisterWindowMessageA("WM_TRIGGER_BITMAP");
    g_close = RegisterWindowMessageA("WM_CLOSE_PROGRESS");
    WNDCLASSA wc{};
    wc.lpfnWndProc = &progressPageProc;
    wc.lpszClassName = "ProgressPageProbe";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND page = CreateWindowExA(0, "ProgressPageProbe", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(page, nullptr);
    char before[64];
    ASSERT_FALSE(detectNetscape(before, sizeof before));

    const std::string command = browserInstallerCommand(3, "lumora", true, true);
    std::string line = command;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << command;
    for (int waited = 0; !g_closeSeen && waited < 20000; waited += 100) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (!g_closeSeen) Sleep(100);
    }
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(g_closeSeen, 1);
    EXPECT_EQ(g_progressSeen, 20);
    EXPECT_EQ(g_bitmapSeen, 10);

    char text[64];
    ASSERT_TRUE(detectNetscape(text, sizeof text));
    EXPECT_STREQ(text, "4.75 (de)");
    EXPECT_TRUE(netscapeChoices(text).configureEnabled);
    EXPECT_EQ(GetFileAttributesA("C:\\programs\\Netscape") & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    DestroyWindow(page);
}

}  // namespace
