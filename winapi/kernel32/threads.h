// Threads a program starts with CreateThread: a handle that is signalled when the thread's
// procedure has returned, and then holds its exit code.
#pragma once

#include <windows.h>

#include "handles.h"

#include <condition_variable>
#include <mutex>

namespace winapi {

class ThreadOfProcess : public KernelObject {
public:
    // The thread's procedure has returned `code`.
    void finish(DWORD code);
    // Waits up to `milliseconds` (INFINITE: no limit); true once the thread has ended.
    bool wait(DWORD milliseconds);
    // True with the exit code once the thread has ended; false while it runs.
    bool exitCode(DWORD& code);

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    DWORD code_ = 0;
};

}  // namespace winapi
