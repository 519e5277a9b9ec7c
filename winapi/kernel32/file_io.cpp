// kernel32: opening files and reading, writing, positioning and inspecting them through handles.
// Sizes and positions are 64-bit on the disk and cross the API in 32-bit halves as on Windows.
#include <windows.h>

#include "api_guard.h"
#include "file_object.h"
#include "file_times.h"
#include "paths.h"
#include "serial_port.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

using winapi::FileObject;
using winapi::guarded;

namespace {

std::shared_ptr<FileObject> fileOf(HANDLE handle) {
    auto file = winapi::handleObject<FileObject>(handle);
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

DWORD ioError(int error) {
    return error == ENOSPC || error == EDQUOT ? ERROR_DISK_FULL : winapi::errnoToWin32(error);
}

// The file of a read or a write, checked as Windows checks it before moving any byte: a handle
// of a file opened for that direction, and a buffer unless nothing is to be moved. Null, with the
// error set, when the transfer cannot begin.
std::shared_ptr<FileObject> transferFile(HANDLE handle, bool write, const void* buffer,
                                         DWORD size) {
    auto file = fileOf(handle);
    if (!file) return nullptr;
    if (!(write ? file->canWrite() : file->canRead())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (!buffer && size) {
        SetLastError(ERROR_NOACCESS);
        return nullptr;
    }
    return file;
}

uint64_t overlappedOffset(const OVERLAPPED* overlapped) {
    return (static_cast<uint64_t>(overlapped->OffsetHigh) << 32) | overlapped->Offset;
}

}  // namespace

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE) {
    return guarded(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        // A serial port name opens the port whatever the folder and the other arguments say.
        if (const auto port = winapi::serialPortNumber(lpFileName)) {
            auto opened = winapi::openSerialPort(*port, dwDesiredAccess);
            if (!opened) return INVALID_HANDLE_VALUE;
            HANDLE handle = winapi::addHandle(opened);
            SetLastError(ERROR_SUCCESS);
            return handle;
        }
        std::string path;
        if (!winapi::hostPathOrError(lpFileName, path)) return INVALID_HANDLE_VALUE;
        auto file = winapi::openFile(path, dwDesiredAccess, dwShareMode, dwCreationDisposition,
                                     dwFlagsAndAttributes);
        if (!file) return INVALID_HANDLE_VALUE;
        const DWORD outcome = GetLastError();
        HANDLE handle = winapi::addHandle(file);
        SetLastError(outcome);
        return handle;
    });
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
        auto file = transferFile(hFile, false, lpBuffer, nNumberOfBytesToRead);
        if (!file) return FALSE;
        if (auto port = std::dynamic_pointer_cast<winapi::SerialPort>(file)) {
            DWORD done = 0;
            const bool ok = port->read(static_cast<char*>(lpBuffer), nNumberOfBytesToRead, done);
            if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
            return ok;
        }
        char* buffer = static_cast<char*>(lpBuffer);
        const uint64_t start = lpOverlapped ? overlappedOffset(lpOverlapped) : 0;
        DWORD done = 0;
        while (done < nNumberOfBytesToRead) {
            const ssize_t n = lpOverlapped
                                  ? ::pread(file->fd(), buffer + done, nNumberOfBytesToRead - done,
                                            static_cast<off_t>(start + done))
                                  : ::read(file->fd(), buffer + done, nNumberOfBytesToRead - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
                SetLastError(winapi::errnoToWin32(errno));
                return FALSE;
            }
            if (n == 0) break;  // end of file: success with what was there
            done += static_cast<DWORD>(n);
        }
        if (lpOverlapped) ::lseek(file->fd(), static_cast<off_t>(start + done), SEEK_SET);
        if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
        return TRUE;
    });
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
        auto file = transferFile(hFile, true, lpBuffer, nNumberOfBytesToWrite);
        if (!file) return FALSE;
        if (auto port = std::dynamic_pointer_cast<winapi::SerialPort>(file)) {
            DWORD done = 0;
            const bool ok = port->write(static_cast<const char*>(lpBuffer), nNumberOfBytesToWrite, done);
            if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
            return ok;
        }
        if (nNumberOfBytesToWrite) file->noteChange();
        const char* buffer = static_cast<const char*>(lpBuffer);
        const uint64_t start = lpOverlapped ? overlappedOffset(lpOverlapped) : 0;
        DWORD done = 0;
        // A short write is continued; one that cannot go on fails and says how much was written.
        while (done < nNumberOfBytesToWrite) {
            const ssize_t n =
                lpOverlapped ? ::pwrite(file->fd(), buffer + done, nNumberOfBytesToWrite - done,
                                        static_cast<off_t>(start + done))
                             : ::write(file->fd(), buffer + done, nNumberOfBytesToWrite - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
                SetLastError(n == 0 ? ERROR_DISK_FULL : ioError(errno));
                return FALSE;
            }
            done += static_cast<DWORD>(n);
        }
        if (lpOverlapped) ::lseek(file->fd(), static_cast<off_t>(start + done), SEEK_SET);
        if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
        return TRUE;
    });
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    return guarded<DWORD>(INVALID_FILE_SIZE, [&]() -> DWORD {
        auto file = fileOf(hFile);
        if (!file) return INVALID_FILE_SIZE;
        struct stat st;
        if (::fstat(file->fd(), &st) != 0) {
            SetLastError(winapi::errnoToWin32(errno));
            return INVALID_FILE_SIZE;
        }
        const uint64_t size = static_cast<uint64_t>(st.st_size);
        if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
        const DWORD low = static_cast<DWORD>(size & 0xFFFFFFFFu);
        // A caller asking for the high part tells this size from failure by the last error.
        if (low == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
        return low;
    });
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    return guarded<DWORD>(INVALID_SET_FILE_POINTER, [&]() -> DWORD {
        auto file = fileOf(hFile);
        if (!file) return INVALID_SET_FILE_POINTER;
        // Without a high part the distance is a signed 32-bit value; with one, the two halves
        // form a signed 64-bit value.
        int64_t distance = lDistanceToMove;
        if (lpDistanceToMoveHigh) {
            const uint64_t high = static_cast<uint32_t>(*lpDistanceToMoveHigh);
            distance = static_cast<int64_t>((high << 32) | static_cast<uint32_t>(lDistanceToMove));
        }
        int64_t base;
        switch (dwMoveMethod) {
        case FILE_BEGIN: base = 0; break;
        case FILE_CURRENT: base = ::lseek(file->fd(), 0, SEEK_CUR); break;
        case FILE_END: {
            struct stat st;
            base = ::fstat(file->fd(), &st) == 0 ? st.st_size : -1;
            break;
        }
        default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
        }
        if (base < 0) {
            SetLastError(winapi::errnoToWin32(errno));
            return INVALID_SET_FILE_POINTER;
        }
        const int64_t target = base + distance;
        if (target < 0) {
            SetLastError(ERROR_NEGATIVE_SEEK);
            return INVALID_SET_FILE_POINTER;
        }
        if (::lseek(file->fd(), target, SEEK_SET) < 0) {
            SetLastError(winapi::errnoToWin32(errno));
            return INVALID_SET_FILE_POINTER;
        }
        if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
        const DWORD low = static_cast<DWORD>(static_cast<uint64_t>(target) & 0xFFFFFFFFu);
        if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
        return low;
    });
}

BOOL WINAPI SetEndOfFile(HANDLE hFile) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto file = fileOf(hFile);
        if (!file) return FALSE;
        if (!file->canWrite()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        const off_t position = ::lseek(file->fd(), 0, SEEK_CUR);
        file->noteChange();
        if (position < 0 || ::ftruncate(file->fd(), position) != 0) {
            SetLastError(ioError(errno));
            return FALSE;
        }
        return TRUE;
    });
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto file = fileOf(hFile);
        if (!file) return FALSE;
        if (!file->canWrite()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (auto port = std::dynamic_pointer_cast<winapi::SerialPort>(file)) return port->drain();
        if (::fsync(file->fd()) != 0) {
            SetLastError(ioError(errno));
            return FALSE;
        }
        return TRUE;
    });
}

BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto file = fileOf(hFile);
        if (!file) return FALSE;
        struct stat st;
        if (::fstat(file->fd(), &st) != 0) {
            SetLastError(winapi::errnoToWin32(errno));
            return FALSE;
        }
        const winapi::FileTimes times = winapi::fileTimes(st, file->fd(), "", AT_EMPTY_PATH);
        if (lpCreationTime) *lpCreationTime = times.creation;
        if (lpLastAccessTime) *lpLastAccessTime = times.lastAccess;
        if (lpLastWriteTime) *lpLastWriteTime = times.lastWrite;
        return TRUE;
    });
}

}  // extern "C"
