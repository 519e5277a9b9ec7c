// kernel32: deleting, renaming and copying files by name, with the Windows rules for read-only
// files, files other handles hold open without FILE_SHARE_DELETE, and existing destinations.
#include <windows.h>

#include "api_guard.h"
#include "file_attributes.h"
#include "file_object.h"
#include "file_sharing.h"
#include "paths.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

BOOL failWith(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Copies the content, times and attributes of source to destination. Returns ERROR_SUCCESS or
// the Windows error; a destination that could not be written completely is removed again.
DWORD copyFile(const std::string& source, const std::string& destination, bool failIfExists) {
    auto in = winapi::openFile(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               OPEN_EXISTING, 0);
    if (!in) return GetLastError();
    struct stat from, to;
    if (::fstat(in->fd(), &from) != 0) return winapi::errnoToWin32(errno);
    if (::stat(destination.c_str(), &to) == 0) {
        if (sameFile(from, to)) return ERROR_SHARING_VIOLATION;  // it is open for reading
        if (!failIfExists && !S_ISDIR(to.st_mode) &&
            (winapi::attributesOf(destination, -1, to) &
             (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY)))
            return ERROR_ACCESS_DENIED;
    }
    const DWORD attributes = winapi::attributesOf(source, in->fd(), from);
    auto out = winapi::openFile(destination, GENERIC_WRITE, FILE_SHARE_READ,
                                failIfExists ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (!out) return GetLastError();

    DWORD error = ERROR_SUCCESS;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t n = ::read(in->fd(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = winapi::errnoToWin32(errno);
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n && !error;) {
            const ssize_t w = ::write(out->fd(), buffer.data() + done, n - done);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) error = (w == 0 || errno == ENOSPC || errno == EDQUOT) ? ERROR_DISK_FULL
                                                                               : winapi::errnoToWin32(errno);
            else done += w;
        }
        if (error) break;
    }
    if (error) {
        ::unlink(destination.c_str());
        return error;
    }
    // The copy keeps the source's last write time and attributes, read-only included.
    const struct timespec times[2] = {from.st_atim, from.st_mtim};
    ::futimens(out->fd(), times);
    struct stat written;
    if (::fstat(out->fd(), &written) == 0)
        winapi::storeAttributes(destination, out->fd(), written, attributes);
    return ERROR_SUCCESS;
}

// The host path of a rename's destination with its last component spelled as the caller wrote
// it, so that renaming "abc" to "ABC" changes the letter case.
std::string spelledAsWritten(const std::string& resolved, LPCSTR windowsPath) {
    std::string lexical;
    if (winapi::toHostPathLexical(windowsPath, lexical) != ERROR_SUCCESS) return resolved;
    const size_t a = resolved.find_last_of('/'), b = lexical.find_last_of('/');
    return resolved.substr(0, a == std::string::npos ? 0 : a + 1) +
           lexical.substr(b == std::string::npos ? 0 : b + 1);
}

// Renames without replacing; false with errno set when that fails.
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: the caller has checked that the destination is free.
    return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

extern "C" {

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string path;
        if (!winapi::hostPathOrError(lpFileName, path)) return FALSE;
        winapi::SharingGate gate;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return failWith(winapi::pathErrnoToWin32(errno, path));
        if (S_ISDIR(st.st_mode) || winapi::isReadOnlyFile(st)) return failWith(ERROR_ACCESS_DENIED);
        std::optional<winapi::DeletionHold> hold;
        if (S_ISREG(st.st_mode) && hold.emplace(path).denied()) return failWith(ERROR_SHARING_VIOLATION);
        if (::unlink(path.c_str()) != 0) return failWith(winapi::pathErrnoToWin32(errno, path));
        return TRUE;
    });
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        // The emulated machine never restarts, so nothing can wait for a restart.
        if (dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT) return failWith(ERROR_NOT_SUPPORTED);
        if (!lpNewFileName) return failWith(ERROR_INVALID_PARAMETER);
        std::string from, to;
        if (!winapi::hostPathOrError(lpExistingFileName, from) ||
            !winapi::hostPathOrError(lpNewFileName, to))
            return FALSE;
        const bool replace = dwFlags & MOVEFILE_REPLACE_EXISTING;
        struct stat source;
        {
            winapi::SharingGate gate;
            if (::lstat(from.c_str(), &source) != 0) return failWith(winapi::pathErrnoToWin32(errno, from));
            std::optional<winapi::DeletionHold> sourceHold, targetHold;
            if (S_ISREG(source.st_mode) && sourceHold.emplace(from).denied())
                return failWith(ERROR_SHARING_VIOLATION);
            if (S_ISDIR(source.st_mode) && winapi::deletionDeniedBelow(from)) return failWith(ERROR_ACCESS_DENIED);
            struct stat target;
            const bool targetExists = ::lstat(to.c_str(), &target) == 0;
            int result;
            if (targetExists && sameFile(source, target)) {
                // Another spelling of the same name: only the letter case changes.
                const std::string renamed = spelledAsWritten(to, lpNewFileName);
                result = renamed == from ? 0 : ::rename(from.c_str(), renamed.c_str());
            } else if (targetExists) {
                if (!replace) return failWith(ERROR_ALREADY_EXISTS);
                if (S_ISDIR(target.st_mode) || S_ISDIR(source.st_mode) || winapi::isReadOnlyFile(target) ||
                    (S_ISREG(target.st_mode) && targetHold.emplace(to).denied()))
                    return failWith(ERROR_ACCESS_DENIED);
                result = ::rename(from.c_str(), to.c_str());
            } else {
                result = renameNoReplace(from, to) ? 0 : -1;
                if (result != 0 && errno == EEXIST) return failWith(ERROR_ALREADY_EXISTS);
            }
            if (result == 0) return TRUE;
            if (errno != EXDEV) return failWith(winapi::pathErrnoToWin32(errno, to));
            if (!(dwFlags & MOVEFILE_COPY_ALLOWED) || !S_ISREG(source.st_mode))
                return failWith(ERROR_NOT_SAME_DEVICE);
        }
        // Another file system: copy, then delete the original.
        if (DWORD error = copyFile(from, to, !replace)) return failWith(error);
        if (!DeleteFileA(lpExistingFileName)) return FALSE;
        return TRUE;
    });
}

BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    return MoveFileExA(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string from, to;
        if (!winapi::hostPathOrError(lpExistingFileName, from) ||
            !winapi::hostPathOrError(lpNewFileName, to))
            return FALSE;
        if (DWORD error = copyFile(from, to, bFailIfExists)) return failWith(error);
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    });
}

}  // extern "C"
