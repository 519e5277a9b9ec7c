// The services of the windowing framework the application object runs in: message boxes, the
// screen, the message loop and its end, waiting while messages are pumped, and the start-up of
// Windows Sockets.
#pragma once

#include <windows.h>

class AppFramework {
public:
    virtual ~AppFramework() = default;
    // A message box with an OK button; returns when it is closed.
    virtual void messageBox(const char* text, const char* caption) = 0;
    virtual int screenWidth() = 0;
    // The client area of a full-screen window.
    virtual RECT fullScreenArea() = 0;
    // Starts Windows Sockets 1.1; false when that fails.
    virtual bool initSockets() = 0;
    // Ends the message loop.
    virtual void postQuit() = 0;
    // Runs the message loop until postQuit.
    virtual void runMessageLoop() = 0;
    // Dispatches pending messages, then sleeps.
    virtual void pumpAndSleep(DWORD milliseconds) = 0;
    // Sleeps without dispatching messages.
    virtual void sleep(DWORD milliseconds) = 0;
};
