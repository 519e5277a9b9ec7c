// The diagnostic trace. The file is opened and closed for every record so that the trace of a
// program that is killed or crashes is complete up to its last line.
#include "trace.h"

#include <cstdio>
#include <cstring>

TraceLog::TraceLog(bool enabled, std::string fileName)
    : enabled_(enabled), fileName_(std::move(fileName)) {}

void TraceLog::write(const char* format, va_list args) {
    if (!enabled_) return;
    char message[kTraceMessageMax + 1];
    int n = std::vsnprintf(message, sizeof message, format, args);
    if (n < 0) return;

    SYSTEMTIME now;
    GetLocalTime(&now);
    char time[32];
    std::snprintf(time, sizeof time, "%02u:%02u:%02u ", static_cast<unsigned>(now.wHour),
                  static_cast<unsigned>(now.wMinute), static_cast<unsigned>(now.wSecond));
    std::string record = time + prefix() + message;

    HANDLE file = CreateFileA(fileName_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    if (SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) {
        DWORD written = 0;
        WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    }
    CloseHandle(file);
}

void TraceLog::enterScope(int windowNumber) {
    char tag[16];
    if (windowNumber < 0)
        std::strcpy(tag, "()");
    else
        std::snprintf(tag, sizeof tag, "%2d", windowNumber);
    std::lock_guard<std::mutex> lock(mutex_);
    size_t position = 2 * static_cast<size_t>(depth_);
    prefix_.resize(position, ' ');
    prefix_ += "| ";
    prefix_ += tag;
    ++depth_;
}

void TraceLog::leaveScope() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (depth_ > 0) --depth_;
    size_t keep = 2 * static_cast<size_t>(depth_);
    if (prefix_.size() > keep) prefix_.resize(keep);
}

std::string TraceLog::prefix() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return prefix_;
}

TraceLog& processTrace() {
    static TraceLog trace([] {
        char value[8] = "";
        LoadStringA(GetModuleHandleA(nullptr), IDS_TRACE_SWITCH, value, sizeof value);
        return std::strcmp(value, "1") == 0;
    }(), "trace.txt");
    return trace;
}

void traceLine(const char* format, ...) {
    TraceLog& trace = processTrace();
    if (!trace.enabled()) return;
    va_list args;
    va_start(args, format);
    trace.write(format, args);
    va_end(args);
}

TraceScope::TraceScope(int windowNumber) { processTrace().enterScope(windowNumber); }

TraceScope::~TraceScope() { processTrace().leaveScope(); }

std::string traceMask(const char* secret) {
    return std::string(secret ? std::strlen(secret) : 0, '*');
}
