// The application framework on the Windows API: message boxes, screen metrics, the thread's
// message loop and Windows Sockets.
#pragma once

#include "app_framework.h"

class Win32Framework : public AppFramework {
public:
    ~Win32Framework() override;
    void messageBox(const char* text, const char* caption) override;
    bool initSockets() override;
    int screenWidth() override;
    RECT fullScreenArea() override;
    void postQuit() override;
    void runMessageLoop() override;
    void pumpAndSleep(DWORD milliseconds) override;
    void sleep(DWORD milliseconds) override;

private:
    bool socketsStarted_ = false;
};
