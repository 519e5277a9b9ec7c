// Watching, waiting for and ending the processes CreateProcessA started, and reaping the ones
// nobody holds a handle to any more.
#include "child_process.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <thread>
#include <vector>

namespace winapi {
namespace {

// The exit code Windows reports for a program that ended the way the signal ended it.
DWORD exitCodeOfSignal(int signal) {
    switch (signal) {
    case SIGSEGV:
    case SIGBUS: return 0xC0000005;  // access violation
    case SIGILL: return 0xC000001D;  // illegal instruction
    case SIGFPE: return 0xC0000094;  // integer division by zero
    case SIGINT: return 0xC000013A;  // ended with Ctrl+C
    case SIGABRT: return 3;          // the C runtime's abort()
    default: return 1;               // ended from outside
    }
}

long long nowMs() {
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Reaps children whose handles were all closed while they still ran. One thread for the whole
// process, started on first need and never stopped (it must outlive static destruction).
class Reaper {
public:
    static Reaper& instance() {
        static Reaper* reaper = new Reaper;
        return *reaper;
    }

    void adopt(int pidfd) {
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(pidfd);
        }
        const uint64_t one = 1;
        if (::write(wake_, &one, sizeof one) < 0) {
            // The eventfd counter cannot overflow from these few writes; nothing to recover.
        }
    }

private:
    Reaper() : wake_(::eventfd(0, EFD_CLOEXEC)) {
        std::thread([this] { run(); }).detach();
    }

    void run() {
        std::vector<int> watched;
        for (;;) {
            std::vector<pollfd> fds{{wake_, POLLIN, 0}};
            for (int fd : watched) fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), -1) < 0) continue;
            if (fds[0].revents & POLLIN) {
                uint64_t count;
                if (::read(wake_, &count, sizeof count) < 0) continue;
                std::lock_guard lock(mutex_);
                watched.insert(watched.end(), pending_.begin(), pending_.end());
                pending_.clear();
            }
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
                siginfo_t info{};
                ::waitid(P_PIDFD, static_cast<id_t>(fds[i].fd), &info, WEXITED | WNOHANG);
                ::close(fds[i].fd);
                std::erase(watched, fds[i].fd);
            }
        }
    }

    const int wake_;
    std::mutex mutex_;
    std::vector<int> pending_;
};

}  // namespace

ChildProcess::~ChildProcess() {
    std::lock_guard lock(mutex_);
    if (ended_ || reapLocked()) ::close(pidfd_);
    else Reaper::instance().adopt(pidfd_);
}

bool ChildProcess::reapLocked() {
    if (ended_) return true;
    siginfo_t info{};
    if (::waitid(P_PIDFD, static_cast<id_t>(pidfd_), &info, WEXITED | WNOHANG) != 0) {
        if (errno != ECHILD) return false;
        // Someone else collected it (SIGCHLD set to SIG_IGN reaps children automatically): it
        // has ended, but its exit code is lost.
        ended_ = true;
        exitCode_ = terminated_ ? terminateCode_ : 0;
        return true;
    }
    if (info.si_pid == 0) return false;
    ended_ = true;
    if (info.si_code == CLD_EXITED) exitCode_ = static_cast<DWORD>(info.si_status);
    else if (terminated_ && info.si_status == SIGKILL) exitCode_ = terminateCode_;
    else exitCode_ = exitCodeOfSignal(info.si_status);
    return true;
}

bool ChildProcess::wait(DWORD milliseconds) {
    const long long deadline = nowMs() + milliseconds;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (reapLocked()) return true;
        }
        int timeout = -1;
        if (milliseconds != INFINITE) {
            const long long left = deadline - nowMs();
            if (left <= 0) return false;
            timeout = static_cast<int>(left > 0x7FFFFFFF ? 0x7FFFFFFF : left);
        }
        pollfd fd{pidfd_, POLLIN, 0};
        if (::poll(&fd, 1, timeout) < 0 && errno != EINTR) return false;
    }
}

bool ChildProcess::exitCode(DWORD& code) {
    std::lock_guard lock(mutex_);
    if (!reapLocked()) return false;
    code = exitCode_;
    return true;
}

DWORD ChildProcess::terminate(UINT code) {
    std::lock_guard lock(mutex_);
    if (reapLocked()) return ERROR_ACCESS_DENIED;
    if (::syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0u) != 0) return ERROR_ACCESS_DENIED;
    if (!terminated_) {
        terminated_ = true;
        terminateCode_ = code;
    }
    return ERROR_SUCCESS;
}

}  // namespace winapi
