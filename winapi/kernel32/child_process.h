// A process started by CreateProcessA, as its process and thread handles see it. It is watched
// through a pidfd, so waiting needs no SIGCHLD handler (a GLib main loop may share the process)
// and a recycled pid can never be mistaken for it. Closing the handles does not end the child:
// a child whose handles are all gone is reaped in the background when it ends, so it never
// lingers as a zombie.
#pragma once

#include <windows.h>

#include "handles.h"

#include <sys/types.h>

#include <memory>
#include <mutex>

namespace winapi {

class ChildProcess {
public:
    ChildProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }

    // Waits up to `milliseconds` (INFINITE: no limit) for the child to end; true when it has.
    bool wait(DWORD milliseconds);
    // True with the exit code once the child has ended; false while it runs.
    bool exitCode(DWORD& code);
    // Kills the child, which then reports `code` as its exit code. ERROR_SUCCESS, or
    // ERROR_ACCESS_DENIED when it has already ended (as Windows answers for an ended process).
    DWORD terminate(UINT code);

private:
    // Collects the child's status if it has ended; call with mutex_ held.
    bool reapLocked();

    const pid_t pid_;
    const int pidfd_;
    std::mutex mutex_;
    bool ended_ = false;
    bool terminated_ = false;
    DWORD terminateCode_ = 0;
    DWORD exitCode_ = 0;
};

// The handle objects of a started process: both refer to the same child.
class ProcessObject : public KernelObject {
public:
    explicit ProcessObject(std::shared_ptr<ChildProcess> child) : child(std::move(child)) {}
    const std::shared_ptr<ChildProcess> child;
};

class ThreadObject : public KernelObject {
public:
    explicit ThreadObject(std::shared_ptr<ChildProcess> child) : child(std::move(child)) {}
    const std::shared_ptr<ChildProcess> child;
};

}  // namespace winapi
