// shell32: ShellExecuteA. A file's verb is looked up as Windows does, through HKEY_CLASSES_ROOT
// (the extension's class, its "shell\<verb>\command"), and run with CreateProcessA; programs run
// themselves; "open" on something without an association - a page, a document, a URL - goes to
// the desktop's own handler through xdg-open, the Linux counterpart of the shell's default action.
#include <windows.h>
#include <shellapi.h>

#include "paths.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

extern char** environ;

namespace {

constexpr UINT_PTR kLaunched = 42;  // any value above 32 means success

HINSTANCE result(UINT_PTR value) { return reinterpret_cast<HINSTANCE>(value); }

HINSTANCE failure(UINT_PTR code, DWORD error) {
    SetLastError(error);
    return result(code);
}

// "http:", "mailto:" ... but not a drive letter.
bool isUrl(const std::string& file) {
    const size_t colon = file.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(file[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

bool isAbsolute(const std::string& path) {
    return !path.empty() && (path[0] == '\\' || path[0] == '/' || (path.size() > 1 && path[1] == ':'));
}

// The default value of a key below HKEY_CLASSES_ROOT; empty when there is none.
std::string classesValue(const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return "";
    char value[1024];
    DWORD size = sizeof value - 1, type = 0;
    const LSTATUS status = RegQueryValueExA(opened, nullptr, nullptr, &type,
                                            reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return "";
    value[size] = '\0';
    return value;
}

// The command registered for the verb on files with the extension, as "shell\<verb>\command"
// of the extension's class; the class's default verb when none is asked for.
std::string verbCommand(const std::string& extension, const char* verb) {
    if (extension.empty()) return "";
    const std::string fileClass = classesValue(extension);
    if (fileClass.empty()) return "";
    std::string chosen = verb && *verb ? verb : classesValue(fileClass + "\\shell");
    if (chosen.empty()) chosen = "open";
    return classesValue(fileClass + "\\shell\\" + chosen + "\\command");
}

// A registered command with the file ("%1", "%L") and the parameters ("%*") filled in.
std::string expand(const std::string& command, const std::string& file, const std::string& parameters) {
    std::string line;
    for (size_t i = 0; i < command.size(); ++i) {
        if (command[i] != '%' || i + 1 == command.size()) {
            line += command[i];
            continue;
        }
        const char what = command[++i];
        if (what == '1' || what == 'l' || what == 'L') line += file;
        else if (what == '*') line += parameters;
        else if (what == '%') line += '%';
        else if (!std::isdigit(static_cast<unsigned char>(what))) line += std::string("%") + what;
    }
    return line;
}

HINSTANCE launch(std::string commandLine, const std::string& folder, INT show) {
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        const DWORD error = GetLastError();
        const UINT_PTR code = error == ERROR_FILE_NOT_FOUND   ? SE_ERR_FNF
                              : error == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF
                              : error == ERROR_ACCESS_DENIED  ? SE_ERR_ACCESSDENIED
                                                              : SE_ERR_ASSOCINCOMPLETE;
        return failure(code, error);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result(kLaunched);
}

// Hands a host path or URL to the desktop's handler without waiting for it. The shell that
// starts xdg-open in the background ends at once, so no child is left to reap.
HINSTANCE openOnDesktop(const std::string& target) {
    const std::string script = "command -v xdg-open >/dev/null || exit 3; "
                               "xdg-open \"$1\" >/dev/null 2>&1 </dev/null & exit 0";
    const char* argv[] = {"sh", "-c", script.c_str(), "sh", target.c_str(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        return failure(SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return failure(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    return result(kLaunched);
}

HINSTANCE execute(LPCSTR verb, LPCSTR fileName, LPCSTR parameters, LPCSTR directory, INT show) {
    const std::string file = fileName ? fileName : "";
    const std::string folder = directory ? directory : "";
    const std::string arguments = parameters ? parameters : "";
    const bool openVerb = !verb || !*verb || lstrcmpiA(verb, "open") == 0;
    if (file.empty()) return failure(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);

    if (isUrl(file)) {
        const std::string command = verbCommand(file.substr(0, file.find(':')), verb);
        if (!command.empty()) return launch(expand(command, file, arguments), folder, show);
        return openVerb ? openOnDesktop(file) : failure(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    }

    // A relative name is looked for in the given folder, else in the current one.
    std::string path = file;
    if (!isAbsolute(file)) {
        std::string base = folder;
        if (base.empty()) {
            char current[MAX_PATH];
            const DWORD length = GetCurrentDirectoryA(sizeof current, current);
            if (length > 0 && length < sizeof current) base.assign(current, length);
        }
        if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
        path = base + file;
    }
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return failure(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);

    const size_t dot = path.find_last_of('.');
    const size_t separator = path.find_last_of("\\/");
    const std::string extension =
        dot != std::string::npos && (separator == std::string::npos || dot > separator) ? path.substr(dot) : "";
    const std::string command = verbCommand(extension, verb);
    if (!command.empty()) return launch(expand(command, path, arguments), folder, show);
    if (openVerb && lstrcmpiA(extension.c_str(), ".exe") == 0)
        return launch("\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments), folder, show);
    if (!openVerb) return failure(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    std::string host;
    if (!winapi::hostPathOrError(path.c_str(), host)) return failure(SE_ERR_FNF, GetLastError());
    return openOnDesktop(host);
}

}  // namespace

extern "C" {

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd) {
    try {
        return execute(lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
    } catch (const std::bad_alloc&) {
        return failure(SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY);
    }
}

}  // extern "C"
