// Starting programs.
#include "process.h"

#include <cstring>
#include <vector>

HANDLE startProgram(const char* application, const char* commandLine, WORD showCommand) {
    // CreateProcessA may write into the command line, so it gets a copy of its own. Without one
    // the application name serves as the command line.
    std::vector<char> writable;
    if (commandLine) writable.assign(commandLine, commandLine + std::strlen(commandLine) + 1);

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    startup.wShowWindow = showCommand;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);

    if (!CreateProcessA(application, commandLine ? writable.data() : nullptr, nullptr, nullptr,
                        FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

bool runProgram(const char* application, const char* commandLine, WORD showCommand, bool wait,
                DWORD* exitCode) {
    HANDLE process = startProgram(application, commandLine, showCommand);
    if (!process) return false;
    bool result = true;
    if (wait) {
        result = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0;
        if (result && exitCode) result = GetExitCodeProcess(process, exitCode) != FALSE;
    }
    CloseHandle(process);
    return result;
}
