// File and folder routines.
#include "files.h"

#include <windows.h>

#include <cstring>
#include <string>

bool fileExists(const char* path) {
    if (!path || !*path) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool createDirectoryPath(const char* path) {
    if (!path || !*path) return false;
    if (CreateDirectoryA(path, nullptr)) return true;
    std::string parent(path);
    size_t slash = parent.find_last_of('\\');
    if (slash == std::string::npos || slash == 0) return false;
    parent.resize(slash);
    createDirectoryPath(parent.c_str());
    return CreateDirectoryA(path, nullptr) != FALSE;
}

bool deleteDirectoryTree(const char* path) {
    if (!path || !*path) return false;
    std::string folder(path);
    if (folder.back() != '\\') folder += '\\';

    bool allDeleted = true;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
                continue;
            std::string entry = folder + found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!deleteDirectoryTree(entry.c_str())) allDeleted = false;
            } else {
                SetFileAttributesA(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (!DeleteFileA(entry.c_str())) allDeleted = false;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    folder.pop_back();
    RemoveDirectoryA(folder.c_str());
    return allDeleted;
}
