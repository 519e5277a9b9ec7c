// kernel32: CreateThread and the thread handles it gives. A thread runs its procedure on a thread
// of the host; the handle only observes it, so closing the handle does not end the thread (as on
// Windows), and the host thread is detached from the start.
#include "threads.h"

#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace winapi {

void ThreadOfProcess::finish(DWORD code) {
    {
        std::lock_guard lock(mutex_);
        code_ = code;
        done_ = true;
    }
    ended_.notify_all();
}

bool ThreadOfProcess::wait(DWORD milliseconds) {
    std::unique_lock lock(mutex_);
    if (milliseconds == INFINITE) {
        ended_.wait(lock, [this] { return done_; });
        return true;
    }
    return ended_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return done_; });
}

bool ThreadOfProcess::exitCode(DWORD& code) {
    std::lock_guard lock(mutex_);
    code = code_;
    return done_;
}

}  // namespace winapi

using namespace winapi;

namespace {

constexpr DWORD kCreateSuspended = 0x00000004;

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

extern "C" {

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                           DWORD dwCreationFlags, LPDWORD lpThreadId) {
    (void)lpThreadAttributes;
    (void)dwStackSize;  // the host's default stack is larger than any the programs ask for
    if (!lpStartAddress) {
        fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A suspended thread would need ResumeThread, which nothing here calls.
    if (dwCreationFlags & kCreateSuspended) {
        fail(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    try {
        auto thread = std::make_shared<ThreadOfProcess>();
        std::promise<DWORD> started;
        std::future<DWORD> id = started.get_future();
        std::thread([thread, lpStartAddress, lpParameter, started = std::move(started)]() mutable {
            started.set_value(static_cast<DWORD>(::gettid()));
            thread->finish(lpStartAddress(lpParameter));
        }).detach();
        const DWORD threadId = id.get();
        if (lpThreadId) *lpThreadId = threadId;
        return addHandle(thread);
    } catch (const std::bad_alloc&) {
        fail(ERROR_NOT_ENOUGH_MEMORY);
    } catch (const std::system_error&) {
        fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return nullptr;
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    if (!lpExitCode) return fail(ERROR_NOACCESS);
    auto thread = handleObject<ThreadOfProcess>(hThread);
    if (!thread) return fail(ERROR_INVALID_HANDLE);
    DWORD code = 0;
    *lpExitCode = thread->exitCode(code) ? code : STILL_ACTIVE;
    return TRUE;
}

}  // extern "C"
