// kernel32: the folders of the emulated machine and temporary file names. The Windows folder is
// the prefix's "windows" folder, the system folder its "windows/system", the temporary folder the
// prefix's "temp"; all are answered as host paths ("/home/user/.local/share/lumora/windows").
#include <windows.h>

#include "api_guard.h"
#include "paths.h"
#include "prefix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

UINT folderOut(const char* relative, LPSTR buffer, UINT size) {
    return winapi::copyOut(winapi::toSystemName(winapi::prefixFile(relative)), buffer, size);
}

}  // namespace

extern "C" {

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return winapi::guarded<UINT>(0, [&] { return folderOut(winapi::kWindowsDir, lpBuffer, uSize); });
}

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return winapi::guarded<UINT>(0, [&] { return folderOut(winapi::kSystemDir, lpBuffer, uSize); });
}

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    return winapi::guarded<DWORD>(0, [&]() -> DWORD {
        const std::string temp = winapi::prefixFile("temp");
        ::mkdir(temp.c_str(), 0777);  // a prefix from before the folder existed gets it now
        return winapi::copyOut(winapi::toSystemName(temp + "/"), lpBuffer, nBufferLength);
    });
}

UINT WINAPI GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique,
                             LPSTR lpTempFileName) {
    return winapi::guarded<UINT>(0, [&]() -> UINT {
        if (!lpPathName || !lpTempFileName) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        // The name is "<path>\<up to 3 prefix characters><hex number>.tmp" and fits MAX_PATH.
        std::string base = lpPathName;
        if (base.size() > MAX_PATH - 14) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        if (!base.empty() && base.back() != '\\' && base.back() != '/')
            base += base.find('/') != std::string::npos && base.find('\\') == std::string::npos ? '/' : '\\';
        if (lpPrefixString) base.append(lpPrefixString, strnlen(lpPrefixString, 3));
        auto nameFor = [&](UINT number) {
            char tail[16];
            std::snprintf(tail, sizeof tail, "%X.tmp", number);
            return base + tail;
        };
        if (uUnique) {
            const std::string name = nameFor(uUnique & 0xFFFF);
            std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
            return uUnique & 0xFFFF;
        }

        std::string folder;
        struct stat st;
        if (winapi::toHostPath(lpPathName, folder) != ERROR_SUCCESS || ::stat(folder.c_str(), &st) != 0 ||
            !S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_DIRECTORY);
            return 0;
        }
        // Numbers start somewhere different in every process and count up until a name is free;
        // creating the file exclusively claims it against other processes.
        const UINT start = static_cast<UINT>(std::time(nullptr) ^ (::getpid() << 4));
        for (UINT i = 0; i < 0xFFFF; ++i) {
            const UINT number = ((start + i) % 0xFFFF) + 1;
            const std::string name = nameFor(number);
            HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
                std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
                SetLastError(ERROR_SUCCESS);
                return number;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED &&
                error != ERROR_SHARING_VIOLATION)
                return 0;
        }
        SetLastError(ERROR_FILE_EXISTS);
        return 0;
    });
}

}  // extern "C"
