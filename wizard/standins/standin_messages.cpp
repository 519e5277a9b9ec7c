// Broadcasting the wizard's registered progress messages.
#include "standin_messages.h"

#include <cstdlib>
#include <cstring>

void reportProgress(int steps, DWORD pauseMs, bool frames) {
    const UINT trigger = RegisterWindowMessageA("WM_TRIGGER_PROGRESS");
    const UINT bitmap = RegisterWindowMessageA("WM_TRIGGER_BITMAP");
    const UINT close = RegisterWindowMessageA("WM_CLOSE_PROGRESS");
    for (int i = 0; i < steps; ++i) {
        PostMessageA(HWND_BROADCAST, trigger, 0, 0);
        if (frames) PostMessageA(HWND_BROADCAST, bitmap, 0, 0);
        Sleep(pauseMs);
    }
    PostMessageA(HWND_BROADCAST, close, 0, 0);
}

void progressSettings(const char* commandLine, int& steps, DWORD& pauseMs) {
    steps = 20;
    pauseMs = 100;
    if (const char* s = std::strstr(commandLine, "-steps ")) steps = std::atoi(s + 7);
    if (const char* p = std::strstr(commandLine, "-pause ")) pauseMs = static_cast<DWORD>(std::atoi(p + 7));
    if (steps < 0) steps = 0;
}
