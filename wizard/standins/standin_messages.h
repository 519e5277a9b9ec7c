// What the helper stand-ins share: reporting progress to the wizard the way its helper programs
// do, by broadcasting its registered messages to the windows of the machine.
#pragma once

#include <windows.h>

// Broadcasts "WM_TRIGGER_PROGRESS" `steps` times (with "WM_TRIGGER_BITMAP" after each when
// `frames` is set), pausing `pauseMs` between them, then "WM_CLOSE_PROGRESS".
void reportProgress(int steps, DWORD pauseMs, bool frames);

// The steps and pause of a stand-in: the numbers after "-steps" and "-pause" on its command line,
// or the defaults.
void progressSettings(const char* commandLine, int& steps, DWORD& pauseMs);
