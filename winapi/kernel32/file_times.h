// File times as Windows counts them: FILETIME is 100-nanosecond steps since 1601-01-01 UTC.
#pragma once

#include <windows.h>

#include <sys/stat.h>

#include <string>

namespace winapi {

FILETIME toFileTime(const struct timespec& time);

struct FileTimes {
    FILETIME creation;
    FILETIME lastAccess;
    FILETIME lastWrite;
};

// The times of a file: creation is its birth time where the file system records one, otherwise
// the earlier of its change and modification times. `dirfd`, `name` and `flags` are as for statx
// (name "" with AT_EMPTY_PATH for an open descriptor); st is the file's stat data.
FileTimes fileTimes(const struct stat& st, int dirfd, const char* name, int flags);

}  // namespace winapi
