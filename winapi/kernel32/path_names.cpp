// kernel32: full, long and short forms of a path. On Linux they answer host paths:
// - GetFullPathNameA gives the absolute host path ("/home/user/dir/file.txt"; "C:\x" is the
//   prefix's "x"), worked out on the text alone as on Windows: "." and ".." resolved, trailing
//   dots and blanks of the last component dropped, a trailing separator kept (then there is no
//   file part), the file need not exist.
// - GetLongPathNameA gives the path with every component spelled as it is on the disk
//   ("CONFIG\START.HTM" -> "config/start.htm"); a relative path stays relative, as on Windows. The
//   file must exist.
// - GetShortPathNameA answers the same: Linux file systems have no 8.3 aliases, so the short
//   form of a name is the name itself, as on a Windows volume without short names.
#include <windows.h>

#include "api_guard.h"
#include "paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

DWORD onDiskName(LPCSTR path, LPSTR buffer, DWORD size) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string host;
    if (!winapi::hostPathOrError(path, host)) return 0;
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) {
        // Windows looks the components up one by one and reports the first one missing as such.
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_FILE_NOT_FOUND : winapi::errnoToWin32(errno));
        return 0;
    }
    return winapi::copyOut(winapi::toSystemName(host), buffer, size);
}

// A relative path (already free of "." and inner "..") appended to an absolute folder.
std::string underFolder(std::string folder, std::string relative) {
    while (relative == ".." || relative.rfind("../", 0) == 0) {
        relative.erase(0, relative.size() > 2 ? 3 : 2);
        const size_t slash = folder.find_last_of('/');
        folder.resize(slash == 0 ? 1 : slash);
    }
    if (relative == "." || relative.empty()) return folder;
    if (relative == "./") return folder == "/" ? folder : folder + "/";
    return folder == "/" ? folder + relative : folder + "/" + relative;
}

}  // namespace

extern "C" {

DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer,
                              LPSTR* lpFilePart) {
    return winapi::guarded<DWORD>(0, [&]() -> DWORD {
        if (!lpFileName || !*lpFileName) {
            SetLastError(ERROR_INVALID_NAME);
            return 0;
        }
        std::string host;
        if (DWORD error = winapi::toHostPathLexical(lpFileName, host)) {
            SetLastError(error);
            return 0;
        }
        if (host[0] != '/') {
            char cwd[PATH_MAX];
            if (!::getcwd(cwd, sizeof cwd)) {
                SetLastError(winapi::errnoToWin32(errno));
                return 0;
            }
            host = underFolder(cwd, host);
        }
        const std::string full = winapi::toSystemName(host);
        const DWORD result = winapi::copyOut(full, lpBuffer, nBufferLength);
        if (lpFilePart && result < nBufferLength && lpBuffer) {
            const size_t slash = full.find_last_of('/');
            *lpFilePart = slash + 1 < full.size() ? lpBuffer + slash + 1 : nullptr;
        }
        return result;
    });
}

DWORD WINAPI GetLongPathNameA(LPCSTR lpszShortPath, LPSTR lpszLongPath, DWORD cchBuffer) {
    return winapi::guarded<DWORD>(0, [&] { return onDiskName(lpszShortPath, lpszLongPath, cchBuffer); });
}

DWORD WINAPI GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer) {
    return winapi::guarded<DWORD>(0, [&] { return onDiskName(lpszLongPath, lpszShortPath, cchBuffer); });
}

}  // extern "C"
