// DOS attributes of files on Linux. FILE_ATTRIBUTE_READONLY of a file is the absence of every
// write permission bit, so Linux tools see it too (and the check is ours: root ignores the bits).
// HIDDEN, SYSTEM, ARCHIVE, TEMPORARY and a folder's READONLY live in the extended attribute
// "user.lumora.attributes"; a file without it counts as ARCHIVE, as every new file on Windows.
#pragma once

#include <windows.h>

#include <sys/stat.h>

#include <string>

namespace winapi {

// The attributes Windows would report for the file (st is its stat data); fd may be -1.
DWORD attributesOf(const std::string& hostPath, int fd, const struct stat& st);

// FILE_ATTRIBUTE_READONLY of a file that is not a folder.
inline bool isReadOnlyFile(const struct stat& st) {
    return !S_ISDIR(st.st_mode) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

// Gives the file the attributes a caller may set (others are ignored, NORMAL alone clears them);
// fd may be -1. Returns ERROR_SUCCESS or the Windows error.
DWORD storeAttributes(const std::string& hostPath, int fd, const struct stat& st, DWORD attributes);

// Sets ARCHIVE again on a file whose stored attributes lack it, as Windows does on a change.
void markChanged(int fd);

}  // namespace winapi
