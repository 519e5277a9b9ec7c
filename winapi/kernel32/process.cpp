// kernel32: starting processes, waiting for them (and for this process's own threads), their exit
// codes, and the current process.
#include <windows.h>

#include "child_process.h"
#include "cmdline.h"
#include "cp1252.h"
#include "environment.h"
#include "handles.h"
#include "paths.h"
#include "program_search.h"
#include "threads.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace winapi {
namespace {

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Creation flags that change nothing on Linux (consoles, priorities, error modes) are accepted;
// these would need what the process model here does not have.
constexpr DWORD kDebugProcess = 0x00000001;
constexpr DWORD kDebugOnlyThisProcess = 0x00000002;
constexpr DWORD kCreateSuspended = 0x00000004;
constexpr DWORD kCreateUnicodeEnvironment = 0x00000400;

// The environment of the child: the caller's block, or this process's environment; never an
// inherited command line meant for this process.
std::vector<std::string> childEnvironment(LPVOID block) {
    std::vector<std::string> entries;
    if (block) {
        for (const char* entry = static_cast<const char*>(block); *entry;
             entry += std::strlen(entry) + 1)
            entries.push_back(cp1252ToUtf8(entry));
    } else {
        entries = environmentEntries();
    }
    const std::string carrierPrefix = std::string(kCommandLineVariable) + "=";
    std::erase_if(entries,
                  [&](const std::string& e) { return e.compare(0, carrierPrefix.size(), carrierPrefix) == 0; });
    return entries;
}

// Writes the decimal pid into `field` (kCommandLinePidDigits wide, zero-padded). Runs between
// fork and exec, so it only touches memory.
void writePid(char* field, pid_t pid) {
    for (size_t i = kCommandLinePidDigits; i-- > 0;) {
        field[i] = static_cast<char>('0' + pid % 10);
        pid /= 10;
    }
}

// The child side of fork: only async-signal-safe calls from here to exec. A failure is reported
// to the parent through the pipe as an errno value, with a negative sign for the folder change.
[[noreturn]] void execChild(const std::string& program, char* const argv[], char* const envp[],
                            char* pidField, const char* folder, int reportFd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Windows children inherit no handles unless asked; descriptors (and the locks on them that
    // keep shared memory alive) must not leak into the child either.
    ::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);
    writePid(pidField, ::getpid());
    int failure = 0;
    if (folder && ::chdir(folder) != 0) failure = -errno;
    if (!failure) {
        ::execve(program.c_str(), argv, envp);
        failure = errno;
    }
    ssize_t written = ::write(reportFd, &failure, sizeof failure);
    (void)written;
    ::_exit(127);
}

DWORD execErrorToWin32(int error) {
    if (error < 0) return ERROR_DIRECTORY;
    switch (error) {
    case ENOEXEC:
    case ELIBBAD: return ERROR_BAD_EXE_FORMAT;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    default: return errnoToWin32(error);
    }
}

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Starts the program with the command line; the pid and pidfd of the child, or a Windows error.
DWORD startProcess(const std::string& program, const std::string& commandLine,
                   const std::string* folder, LPVOID environmentBlock, pid_t& pid, int& pidfd) {
    std::vector<std::string> arguments;
    for (const std::string& argument : splitCommandLine(commandLine))
        arguments.push_back(cp1252ToUtf8(argument));
    if (arguments.empty()) arguments.push_back(program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment = childEnvironment(environmentBlock);
    const std::string carrierName = std::string(kCommandLineVariable) + "=";
    environment.push_back(carrierName + std::string(kCommandLinePidDigits, '0') + " " + commandLine);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    char* pidField = environment.back().data() + carrierName.size();

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return errnoToWin32(errno);
    pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return error == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : errnoToWin32(error);
    }
    if (pid == 0) execChild(program, argv.data(), envp.data(), pidField,
                            folder ? folder->c_str() : nullptr, report[1]);
    ::close(report[1]);
    int failure = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof failure)) {
        ::waitpid(pid, nullptr, 0);
        return execErrorToWin32(failure);
    }
    pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0u));
    if (pidfd < 0) {
        // Without a pidfd the child could not be watched safely; do not leave it running unseen.
        const int error = errno;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return errnoToWin32(error);
    }
    return ERROR_SUCCESS;
}

std::shared_ptr<ChildProcess> childOf(HANDLE handle) {
    if (auto process = handleObject<ProcessObject>(handle)) return process->child;
    return nullptr;
}

std::shared_ptr<ChildProcess> waitableChild(HANDLE handle) {
    if (auto child = childOf(handle)) return child;
    if (auto thread = handleObject<ThreadObject>(handle)) return thread->child;
    return nullptr;
}

void sleepMs(DWORD milliseconds) {
    timespec ts{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace
}  // namespace winapi

using namespace winapi;

extern "C" {

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation) {
    (void)lpProcessAttributes;
    (void)lpThreadAttributes;
    (void)bInheritHandles;
    try {
        if (!lpStartupInfo || !lpProcessInformation) return fail(ERROR_INVALID_PARAMETER);
        if ((!lpApplicationName || !*lpApplicationName) && (!lpCommandLine || !*lpCommandLine))
            return fail(ERROR_PATH_NOT_FOUND);
        if ((dwCreationFlags & (kDebugProcess | kDebugOnlyThisProcess | kCreateSuspended)) ||
            (lpEnvironment && (dwCreationFlags & kCreateUnicodeEnvironment)))
            return fail(ERROR_NOT_SUPPORTED);

        std::string program;
        DWORD error = lpApplicationName && *lpApplicationName
                          ? findApplication(lpApplicationName, program)
                          : findCommandLineProgram(lpCommandLine, program);
        if (error != ERROR_SUCCESS) return fail(error);

        // Without a command line the child sees its application name, quoted.
        std::string commandLine = lpCommandLine && *lpCommandLine
                                      ? std::string(lpCommandLine)
                                      : "\"" + std::string(lpApplicationName) + "\"";

        std::string folder;
        if (lpCurrentDirectory) {
            if (toHostPath(lpCurrentDirectory, folder) != ERROR_SUCCESS) return fail(ERROR_DIRECTORY);
            struct stat st;
            if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                return fail(ERROR_DIRECTORY);
        }

        pid_t pid = 0;
        int pidfd = -1;
        error = startProcess(program, commandLine, lpCurrentDirectory ? &folder : nullptr,
                             lpEnvironment, pid, pidfd);
        if (error != ERROR_SUCCESS) return fail(error);

        auto child = std::make_shared<ChildProcess>(pid, pidfd);
        lpProcessInformation->hProcess = addHandle(std::make_shared<ProcessObject>(child));
        lpProcessInformation->hThread = addHandle(std::make_shared<ThreadObject>(child));
        lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
        lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
        return TRUE;
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        return fail(ERROR_GEN_FAILURE);
    }
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    if (hHandle == kCurrentProcess) {
        // This process ends only when it ends: the wait can only time out.
        if (dwMilliseconds == INFINITE)
            for (;;) ::pause();
        sleepMs(dwMilliseconds);
        return WAIT_TIMEOUT;
    }
    if (auto thread = handleObject<ThreadOfProcess>(hHandle))
        return thread->wait(dwMilliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    auto child = waitableChild(hHandle);
    if (!child) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return child->wait(dwMilliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    if (!lpExitCode) return fail(ERROR_NOACCESS);
    if (hProcess == kCurrentProcess) {
        *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto child = childOf(hProcess);
    if (!child) return fail(ERROR_INVALID_HANDLE);
    DWORD code;
    *lpExitCode = child->exitCode(code) ? code : STILL_ACTIVE;
    return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
    if (hProcess == kCurrentProcess) ::_exit(static_cast<int>(uExitCode));
    auto child = childOf(hProcess);
    if (!child) return fail(ERROR_INVALID_HANDLE);
    const DWORD error = child->terminate(uExitCode);
    return error == ERROR_SUCCESS ? TRUE : fail(error);
}

HANDLE WINAPI GetCurrentProcess(void) { return kCurrentProcess; }

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(::getpid()); }

DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(::gettid()); }

void WINAPI ExitProcess(UINT uExitCode) { std::exit(static_cast<int>(uExitCode)); }

}  // extern "C"
