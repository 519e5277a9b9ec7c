// kernel32: time (Sleep, GetTickCount, GetLocalTime, GetSystemTime) and the debugger output.
#include <windows.h>

#include "cp1252.h"

#include <sched.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

void fillSystemTime(const tm& parts, long nanoseconds, LPSYSTEMTIME out) {
    out->wYear = static_cast<WORD>(parts.tm_year + 1900);
    out->wMonth = static_cast<WORD>(parts.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    out->wDay = static_cast<WORD>(parts.tm_mday);
    out->wHour = static_cast<WORD>(parts.tm_hour);
    out->wMinute = static_cast<WORD>(parts.tm_min);
    // A leap second is shown as the last second of its minute, which Windows knows no more of.
    out->wSecond = static_cast<WORD>(parts.tm_sec > 59 ? 59 : parts.tm_sec);
    out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

}  // namespace

extern "C" {

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;) {
            timespec day{86400, 0};
            nanosleep(&day, nullptr);
        }
    }
    timespec left{static_cast<time_t>(dwMilliseconds / 1000),
                  static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

DWORD WINAPI GetTickCount(void) {
    // Milliseconds since the machine started, including time spent suspended, as on Windows;
    // wraps after 49.7 days.
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    const unsigned long long ms =
        static_cast<unsigned long long>(now.tv_sec) * 1000ull + static_cast<unsigned long long>(now.tv_nsec) / 1000000ull;
    return static_cast<DWORD>(ms);
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    if (!lpSystemTime) return;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts;
    localtime_r(&now.tv_sec, &parts);
    fillSystemTime(parts, now.tv_nsec, lpSystemTime);
}

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    if (!lpSystemTime) return;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts;
    gmtime_r(&now.tv_sec, &parts);
    fillSystemTime(parts, now.tv_nsec, lpSystemTime);
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    // There is no debugger to receive it; developers ask for it on standard error.
    if (!lpOutputString || !std::getenv("LUMORA_DEBUG_STRINGS")) return;
    const std::string text = winapi::cp1252ToUtf8(lpOutputString);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // extern "C"

// FILETIME counts 100 ns ticks since 1601; the local form is shifted by the zone's offset at
// that moment.
extern "C" {

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (!lpFileTime || !lpSystemTime || (lpFileTime->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const unsigned long long ticks =
        (static_cast<unsigned long long>(lpFileTime->dwHighDateTime) << 32) | lpFileTime->dwLowDateTime;
    const long long seconds = static_cast<long long>(ticks / 10000000ULL) - 11644473600LL;
    const time_t unix = static_cast<time_t>(seconds);
    tm parts{};
    if (!gmtime_r(&unix, &parts)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    fillSystemTime(parts, static_cast<long>(ticks % 10000000ULL) * 100, lpSystemTime);
    return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const unsigned long long ticks =
        (static_cast<unsigned long long>(lpFileTime->dwHighDateTime) << 32) | lpFileTime->dwLowDateTime;
    const time_t unix = static_cast<time_t>(static_cast<long long>(ticks / 10000000ULL) - 11644473600LL);
    tm local{};
    localtime_r(&unix, &local);
    const long long shifted = static_cast<long long>(ticks) + static_cast<long long>(local.tm_gmtoff) * 10000000LL;
    lpLocalFileTime->dwLowDateTime = static_cast<DWORD>(shifted);
    lpLocalFileTime->dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(shifted) >> 32);
    return TRUE;
}

}  // extern "C"
