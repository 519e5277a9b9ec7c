// Finding the program file CreateProcessA starts. The Linux programs carry no ".exe", so a
// program named "X.exe" is the file "X.exe" or "x", each found ignoring letter case.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace winapi {

// The application name of CreateProcessA: a path (relative ones against the current folder),
// searched nowhere else, as Windows does. Returns ERROR_SUCCESS and the absolute host path, or
// the Windows error (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_BAD_EXE_FORMAT ...).
DWORD findApplication(std::string_view windowsName, std::string& hostPath);

// The program at the start of a command line, when no application name is given: a quoted first
// token, or else the shortest run of blank-separated words that names a program (so that
// "C:\Program Files\x.exe -a" works unquoted). A name without a folder is searched in the
// program's own folder, the current folder, the system and Windows folders and then PATH; a name
// without an extension gets ".exe".
DWORD findCommandLineProgram(std::string_view commandLine, std::string& hostPath);

}  // namespace winapi
