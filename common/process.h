// Starting programs: the browser center starts the download manager, the tray monitor and the
// updater; the updater starts the system's extractors; the custom-dial library starts the
// browser center.
#pragma once

#include <windows.h>

// Starts `application` (may be null: the program is then the first word of `commandLine`) with
// `commandLine` handed to it verbatim (may be null: the application name is the command line),
// shown with `showCommand`, inheriting no handles and with the system's default error mode.
// Without `wait` it returns as soon as the process runs; with `wait` it waits for the end
// without time-out and stores the exit code in `exitCode` when one is given. True when the
// process started (and, with `wait`, the wait succeeded).
bool runProgram(const char* application, const char* commandLine, WORD showCommand, bool wait,
                DWORD* exitCode = nullptr);
// Starts a program as runProgram does without waiting and returns its process handle (the caller
// closes it), null when it did not start.
HANDLE startProgram(const char* application, const char* commandLine, WORD showCommand);
