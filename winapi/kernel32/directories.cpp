// kernel32: creating and removing folders, and the process's current folder. The current folder
// is the host's, so GetCurrentDirectoryA answers with a host path ("/home/user/lumora").
#include <windows.h>

#include "api_guard.h"
#include "paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

BOOL failWith(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

extern "C" {

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string path;
        if (!winapi::hostPathOrError(lpPathName, path)) return FALSE;
        if (::mkdir(path.c_str(), 0777) != 0) {
            // A missing parent is always a missing path here, whatever the last component.
            return failWith(errno == ENOENT ? ERROR_PATH_NOT_FOUND : winapi::errnoToWin32(errno));
        }
        return TRUE;
    });
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string path;
        if (!winapi::hostPathOrError(lpPathName, path)) return FALSE;
        struct stat st, current;
        if (::lstat(path.c_str(), &st) != 0) return failWith(winapi::pathErrnoToWin32(errno, path));
        if (!S_ISDIR(st.st_mode)) return failWith(ERROR_DIRECTORY);
        // Windows keeps the current folder open, so it cannot be removed.
        if (::stat(".", &current) == 0 && current.st_dev == st.st_dev && current.st_ino == st.st_ino)
            return failWith(ERROR_SHARING_VIOLATION);
        if (::rmdir(path.c_str()) != 0)
            return failWith(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : winapi::pathErrnoToWin32(errno, path));
        return TRUE;
    });
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    return winapi::guarded<DWORD>(0, [&]() -> DWORD {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            SetLastError(winapi::errnoToWin32(errno));
            return 0;
        }
        return winapi::copyOut(winapi::toSystemName(cwd), lpBuffer, nBufferLength);
    });
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string path;
        if (!winapi::hostPathOrError(lpPathName, path)) return FALSE;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) return failWith(winapi::pathErrnoToWin32(errno, path));
        if (!S_ISDIR(st.st_mode)) return failWith(ERROR_DIRECTORY);
        if (::chdir(path.c_str()) != 0) return failWith(winapi::pathErrnoToWin32(errno, path));
        return TRUE;
    });
}

}  // extern "C"
