// The diagnostic trace: records of "HH:MM:SS <prefix><message>" appended to "trace.txt" in the
// current folder (the install folder), switched on by the program's string table.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <mutex>
#include <string>

// String table entry that switches the trace: "1" on, anything else (or no entry) off.
inline constexpr UINT IDS_TRACE_SWITCH = 114;

// Longest message text of one record; longer messages are cut.
inline constexpr size_t kTraceMessageMax = 4095;

// One trace: the switch, the indentation prefix and the file. The program has one (processTrace);
// tests make their own to see both switch states in one process.
class TraceLog {
public:
    TraceLog(bool enabled, std::string fileName);
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    bool enabled() const { return enabled_; }
    void write(const char* format, va_list args);
    // A scope of window `windowNumber` (-1: none) adds one level to the prefix.
    void enterScope(int windowNumber);
    void leaveScope();
    std::string prefix() const;

private:
    const bool enabled_;
    const std::string fileName_;
    mutable std::mutex mutex_;  // guards the prefix and the depth, not the file
    std::string prefix_;
    int depth_ = 0;
};

// The program's trace, switched by IDS_TRACE_SWITCH of the main module at its first use.
TraceLog& processTrace();

// Writes one record to the program's trace; the message brings its own line end.
void traceLine(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// Adds one prefix level to the program's trace for the lifetime of the object.
class TraceScope {
public:
    explicit TraceScope(int windowNumber = -1);
    ~TraceScope();
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;
};

// What the trace shows of a secret (a password): one '*' per character.
std::string traceMask(const char* secret);
