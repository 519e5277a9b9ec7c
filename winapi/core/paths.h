// Windows paths on Linux. The system builds Windows paths ("%sconfig\%s", trailing backslashes);
// these turn them into host paths: '\' becomes '/', "C:" is the prefix's root (other drive letters
// are the prefix's "drive_x" folders), a path starting with a separator is a host absolute path,
// the text goes from Windows-1252 to UTF-8, "." and ".." are resolved on the text as Windows does
// (so "missing\..\file" names "file"), trailing dots and blanks of the last component are dropped
// ("file.txt." is "file.txt"), and each component that does not exist under its exact name is
// found case-insensitively, so "Disconnected.htm" opens "disconnected.htm".
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace winapi {

// Translates a Windows path. Returns ERROR_SUCCESS, or the Windows error for a bad path
// (ERROR_PATH_NOT_FOUND for an empty one, ERROR_FILENAME_EXCED_RANGE past MAX_PATH,
// ERROR_INVALID_NAME for the characters < > " | ? * and control characters, ERROR_BAD_PATHNAME
// for network paths). Components that do not exist are kept as written. A trailing separator is
// kept.
DWORD toHostPath(LPCSTR windowsPath, std::string& hostPath);

// Same for a search pattern: the last component may hold the wildcards '*' and '?' and is kept
// exactly as written; the folders before it are translated as by toHostPath.
DWORD toHostPattern(LPCSTR windowsPath, std::string& hostPath);

// Same as toHostPath without looking at the disk: no component is matched ignoring case, and
// wildcards are kept like other characters (GetFullPathNameA works on the text alone).
DWORD toHostPathLexical(LPCSTR windowsPath, std::string& hostPath);

// Same as toHostPath, setting the last error and returning false on failure.
bool hostPathOrError(LPCSTR windowsPath, std::string& hostPath);

// A host file name (UTF-8) as the system sees it (Windows-1252).
std::string toSystemName(std::string_view hostName);

// Maps errno of a failed host call to the Windows error code.
DWORD errnoToWin32(int error);

// Same for a call on a path: a missing file is ERROR_FILE_NOT_FOUND when its folder exists and
// ERROR_PATH_NOT_FOUND when the folder is missing too, as Windows tells them apart.
DWORD pathErrnoToWin32(int error, const std::string& hostPath);

// Copies text into a caller's buffer with the Windows "length or needed size" protocol used by
// GetCurrentDirectoryA and friends: returns the length copied (without NUL) when it fits, or the
// size needed including the NUL when it does not (then the buffer is left untouched).
DWORD copyOut(std::string_view text, LPSTR buffer, DWORD size);

}  // namespace winapi
