// Windows paths on Linux. The system builds Windows paths ("%sconfig\%s", trailing backslashes);
// these turn them into host paths: '\' becomes '/', "C:" is the prefix's root, the text goes from
// Windows-1252 to UTF-8, and each component that does not exist under its exact name is found
// case-insensitively, so "Disconnected.htm" opens "disconnected.htm".
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace winapi {

// Translates a Windows path. Returns ERROR_SUCCESS, or the Windows error for a bad path
// (ERROR_PATH_NOT_FOUND for an empty one, ERROR_FILENAME_EXCED_RANGE past MAX_PATH,
// ERROR_BAD_PATHNAME for network paths). Components that do not exist are kept as written.
DWORD toHostPath(LPCSTR windowsPath, std::string& hostPath);

// Same, setting the last error and returning false on failure.
bool hostPathOrError(LPCSTR windowsPath, std::string& hostPath);

// A host file name (UTF-8) as the system sees it (Windows-1252).
std::string toSystemName(std::string_view hostName);

// Maps errno of a failed host call to the Windows error code.
DWORD errnoToWin32(int error);

// Copies text into a caller's buffer with the Windows "length or needed size" protocol used by
// GetCurrentDirectoryA and friends: returns the length copied (without NUL) when it fits, or the
// size needed including the NUL when it does not (then the buffer is left untouched).
DWORD copyOut(std::string_view text, LPSTR buffer, DWORD size);

}  // namespace winapi
