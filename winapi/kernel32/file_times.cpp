// File times as Windows counts them.
#include "file_times.h"

#include <fcntl.h>

#include <cstdint>

namespace winapi {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDifference = 11644473600LL;

bool earlier(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

}  // namespace

FILETIME toFileTime(const struct timespec& time) {
    int64_t ticks = (static_cast<int64_t>(time.tv_sec) + kEpochDifference) * 10000000LL +
                    time.tv_nsec / 100;
    if (ticks < 0) ticks = 0;
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    result.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return result;
}

FileTimes fileTimes(const struct stat& st, int dirfd, const char* name, int flags) {
    struct timespec creation = earlier(st.st_ctim, st.st_mtim) ? st.st_ctim : st.st_mtim;
    struct statx extended;
    if (::statx(dirfd, name, flags, STATX_BTIME, &extended) == 0 && (extended.stx_mask & STATX_BTIME)) {
        creation.tv_sec = extended.stx_btime.tv_sec;
        creation.tv_nsec = extended.stx_btime.tv_nsec;
    }
    return {toFileTime(creation), toFileTime(st.st_atim), toFileTime(st.st_mtim)};
}

}  // namespace winapi
