// DOS attributes of files on Linux, and kernel32's GetFileAttributesA and SetFileAttributesA.
#include "file_attributes.h"

#include "api_guard.h"
#include "paths.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace winapi {
namespace {

constexpr const char* kXattr = "user.lumora.attributes";
constexpr DWORD kOffline = 0x00001000;
constexpr DWORD kNotContentIndexed = 0x00002000;
// What lives in the extended attribute (READONLY for folders only).
constexpr DWORD kStored = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | kOffline |
                          kNotContentIndexed;

bool readStored(const std::string& hostPath, int fd, DWORD& stored) {
    char text[32];
    const ssize_t n = fd >= 0 ? ::fgetxattr(fd, kXattr, text, sizeof text - 1)
                              : ::getxattr(hostPath.c_str(), kXattr, text, sizeof text - 1);
    if (n <= 0) return false;
    text[n] = '\0';
    stored = static_cast<DWORD>(std::strtoul(text, nullptr, 0)) & kStored;
    return true;
}

// Writes the stored attributes, or removes them when they are the default.
DWORD writeStored(const std::string& hostPath, int fd, bool folder, DWORD stored) {
    const DWORD defaultValue = folder ? 0 : FILE_ATTRIBUTE_ARCHIVE;
    int result;
    if (stored == defaultValue) {
        result = fd >= 0 ? ::fremovexattr(fd, kXattr) : ::removexattr(hostPath.c_str(), kXattr);
        if (result != 0 && (errno == ENODATA || errno == ENOTSUP)) result = 0;
    } else {
        char text[32];
        const int n = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(stored));
        result = fd >= 0 ? ::fsetxattr(fd, kXattr, text, n, 0)
                         : ::setxattr(hostPath.c_str(), kXattr, text, n, 0);
        if (result != 0 && errno == ENOTSUP) return ERROR_NOT_SUPPORTED;
    }
    return result == 0 ? ERROR_SUCCESS : errnoToWin32(errno);
}

}  // namespace

DWORD attributesOf(const std::string& hostPath, int fd, const struct stat& st) {
    DWORD stored = 0;
    const bool has = readStored(hostPath, fd, stored);
    DWORD attributes;
    if (S_ISDIR(st.st_mode)) {
        attributes = FILE_ATTRIBUTE_DIRECTORY | (has ? stored : 0);
    } else {
        attributes = has ? (stored & ~FILE_ATTRIBUTE_READONLY) : FILE_ATTRIBUTE_ARCHIVE;
        if (isReadOnlyFile(st)) attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD storeAttributes(const std::string& hostPath, int fd, const struct stat& st, DWORD attributes) {
    const bool folder = S_ISDIR(st.st_mode);
    DWORD stored = attributes & kStored;
    if (!folder) stored &= ~FILE_ATTRIBUTE_READONLY;
    if (DWORD error = writeStored(hostPath, fd, folder, stored)) return error;
    if (folder) return ERROR_SUCCESS;

    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY) mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (isReadOnlyFile(st)) mode |= S_IWUSR;
    if (mode == (st.st_mode & 07777)) return ERROR_SUCCESS;
    const int result = fd >= 0 ? ::fchmod(fd, mode) : ::chmod(hostPath.c_str(), mode);
    return result == 0 ? ERROR_SUCCESS : errnoToWin32(errno);
}

void markChanged(int fd) {
    DWORD stored = 0;
    if (readStored({}, fd, stored) && !(stored & FILE_ATTRIBUTE_ARCHIVE))
        writeStored({}, fd, false, stored | FILE_ATTRIBUTE_ARCHIVE);
}

}  // namespace winapi

extern "C" {

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    return winapi::guarded<DWORD>(INVALID_FILE_ATTRIBUTES, [&]() -> DWORD {
        std::string path;
        if (!winapi::hostPathOrError(lpFileName, path)) return INVALID_FILE_ATTRIBUTES;
        struct stat st;
        // A link whose target is gone still has a name: it reports as the link.
        if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) {
            SetLastError(winapi::pathErrnoToWin32(errno, path));
            return INVALID_FILE_ATTRIBUTES;
        }
        return winapi::attributesOf(path, -1, st);
    });
}

BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string path;
        if (!winapi::hostPathOrError(lpFileName, path)) return FALSE;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) {
            SetLastError(winapi::pathErrnoToWin32(errno, path));
            return FALSE;
        }
        if (DWORD error = winapi::storeAttributes(path, -1, st, dwFileAttributes)) {
            SetLastError(error);
            return FALSE;
        }
        return TRUE;
    });
}

}  // extern "C"
