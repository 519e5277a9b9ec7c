// The application framework on the Windows API.
#include "win32_framework.h"

#include <windows.h>
#include <winsock.h>

Win32Framework::~Win32Framework() {
    if (socketsStarted_) WSACleanup();
}

void Win32Framework::messageBox(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

bool Win32Framework::initSockets() {
    WSADATA data;
    socketsStarted_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    return socketsStarted_;
}

int Win32Framework::screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

RECT Win32Framework::fullScreenArea() {
    RECT area = {0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    return area;
}

void Win32Framework::postQuit() { PostQuitMessage(0); }

void Win32Framework::runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Win32Framework::pumpAndSleep(DWORD milliseconds) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The loop that waits for the end must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Sleep(milliseconds);
}

void Win32Framework::sleep(DWORD milliseconds) { Sleep(milliseconds); }
