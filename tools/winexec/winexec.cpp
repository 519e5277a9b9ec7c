// winexec: starts a program from a Linux shell with a Windows command line handed over verbatim,
// as another program of the system does with CreateProcessA (the browser center starting
// TnUpdate), waits for it and exits with its exit code. A program started from a shell directly
// sees its arguments joined with Windows quoting, which makes -r"http://host/file" the argument
// "-r\"http://host/file\"" that no updater option reads back.
//   winexec 'COMMAND LINE'      e.g. winexec 'tnupdate -r"http://host/file" -l"C:\file"'
// Exits with 127 when the program cannot be started, 2 for a wrong call.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2 || !*argv[1]) {
        std::fprintf(stderr, "usage: winexec 'COMMAND LINE'\n");
        return 2;
    }
    std::string commandLine = argv[1];
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "winexec: cannot start %s (error %lu)\n", argv[1],
                     static_cast<unsigned long>(GetLastError()));
        return 127;
    }
    CloseHandle(process.hThread);
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &code))
        code = 1;
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
