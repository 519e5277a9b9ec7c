// Time: the system and local clocks as SYSTEMTIME, and the tick count; the debugger output.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>

namespace {

// Seconds since 1970 of a UTC calendar time (days from the civil date).
long long secondsOf(const SYSTEMTIME& t) {
    int y = t.wYear;
    const int m = t.wMonth;
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + t.wDay - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
    return days * 86400 + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
}

TEST(Time, SystemTimeIsTheCurrentUtcTime) {
    const time_t before = time(nullptr);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const time_t after = time(nullptr);
    EXPECT_GE(secondsOf(now), static_cast<long long>(before));
    EXPECT_LE(secondsOf(now), static_cast<long long>(after));
    EXPECT_LT(now.wMilliseconds, 1000);
    // 1970-01-01 was a Thursday.
    EXPECT_EQ(now.wDayOfWeek, ((secondsOf(now) / 86400) + 4) % 7);
}

TEST(Time, LocalTimeDiffersFromUtcByTheZoneOffset) {
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    const long long offset = secondsOf(local) - secondsOf(utc);
    // Zones lie within -12 h and +14 h, in quarter hours (a second boundary may fall between).
    EXPECT_GE(offset, -12 * 3600 - 1);
    EXPECT_LE(offset, 14 * 3600 + 1);
    const long long rounded = (offset + 900 * 100 + 450) / 900 * 900 - 900 * 100;
    EXPECT_LE(offset - rounded, 1);
    EXPECT_GE(offset - rounded, -1);
}

TEST(Time, TickCountDoesNotGoBackwards) {
    const DWORD first = GetTickCount();
    Sleep(20);
    const DWORD second = GetTickCount();
    EXPECT_LT(second - first, 0x80000000u);  // unsigned difference: later or equal
    EXPECT_GT(second - first, 0u);
}

#ifndef _WIN32
// Without a debugger the text goes to standard error, and only when developers ask for it.
TEST(DebugOutput, WrittenToStandardErrorOnlyWhenAsked) {
    SetEnvironmentVariableA("LUMORA_DEBUG_STRINGS", nullptr);
    testing::internal::CaptureStderr();
    OutputDebugStringA("FillLocationInfo");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    SetEnvironmentVariableA("LUMORA_DEBUG_STRINGS", "1");
    testing::internal::CaptureStderr();
    OutputDebugStringA("Reallocating structure \xfc\n");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Reallocating structure \xc3\xbc\n");
    SetEnvironmentVariableA("LUMORA_DEBUG_STRINGS", nullptr);
}
#endif

}  // namespace
