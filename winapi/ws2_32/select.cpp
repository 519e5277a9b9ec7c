// ws2_32: select() over WinSock's fd_set, with WinSock's reporting of a non-blocking connect
// (success makes the socket writable, failure puts it into the exception set).
#include "hostsock.h"
#include "wsock.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <vector>

using namespace winapi;
using namespace winapi::ws2;

namespace {

struct Watched {
    SOCKET handle;
    std::shared_ptr<Socket> socket;
    bool read = false, write = false, except = false;
    bool readable = false, writable = false, exceptional = false;
};

bool collect(fd_set* set, std::vector<Watched>& watched, bool Watched::*wanted) {
    if (!set) return true;
    for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i) {
        Watched* entry = nullptr;
        for (Watched& w : watched)
            if (w.handle == set->fd_array[i]) entry = &w;
        if (!entry) {
            auto socket = socketFor(set->fd_array[i]);
            if (!socket) return false;
            watched.push_back(Watched{set->fd_array[i], std::move(socket)});
            entry = &watched.back();
        }
        entry->*wanted = true;
    }
    return true;
}

int report(fd_set* set, const std::vector<Watched>& watched, bool Watched::*ready) {
    if (!set) return 0;
    set->fd_count = 0;
    for (const Watched& w : watched)
        if (w.*ready) set->fd_array[set->fd_count++] = w.handle;
    return static_cast<int>(set->fd_count);
}

// Waits with poll(), retrying after signals for what is left of the time-out.
int pollFor(std::vector<pollfd>& fds, const timeval* timeout) {
    using Clock = std::chrono::steady_clock;
    const bool forever = !timeout;
    const auto deadline = forever ? Clock::time_point::max()
                                  : Clock::now() + std::chrono::seconds(timeout->tv_sec) +
                                        std::chrono::microseconds(timeout->tv_usec);
    for (;;) {
        int ms = -1;
        if (!forever) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            ms = left.count() < 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), INT32_MAX));
        }
        const int n = ::poll(fds.data(), fds.size(), ms);
        if (n >= 0 || errno != EINTR) return n;
    }
}

}  // namespace

int WINAPI select(int, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const PTIMEVAL timeout) {
    if (!started()) return SOCKET_ERROR;
    std::vector<Watched> watched;
    if (!collect(readfds, watched, &Watched::read) || !collect(writefds, watched, &Watched::write) ||
        !collect(exceptfds, watched, &Watched::except))
        return SOCKET_ERROR;
    if (watched.empty() || (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0))) {
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    std::vector<pollfd> fds;
    for (const Watched& w : watched) {
        short events = 0;
        if (w.read) events |= POLLIN;
        if (w.write || (w.socket->connecting && w.except)) events |= POLLOUT;
        if (w.except) events |= POLLPRI;
        fds.push_back(pollfd{w.socket->fd, events, 0});
    }
    if (pollFor(fds, timeout) < 0) return failWith(errno);

    for (std::size_t i = 0; i < watched.size(); ++i) {
        Watched& w = watched[i];
        const short got = fds[i].revents;
        if (w.socket->connecting) {
            if (!(got & (POLLOUT | POLLERR | POLLHUP))) continue;
            long error = 0;
            hostsock::getOption(w.socket->fd, hostsock::Option::Error, error);
            w.socket->connecting = false;
            if (error == 0) {
                w.writable = w.write;
            } else {
                w.socket->connectError = static_cast<int>(error);
                w.exceptional = w.except;
            }
            continue;
        }
        w.readable = w.read && (got & (POLLIN | POLLHUP | POLLERR));
        w.writable = w.write && (got & (POLLOUT | POLLERR | POLLHUP));
        w.exceptional = w.except && (got & POLLPRI);
    }
    return report(readfds, watched, &Watched::readable) + report(writefds, watched, &Watched::writable) +
           report(exceptfds, watched, &Watched::exceptional);
}

extern "C" int WINAPI __WSAFDIsSet(SOCKET fd, fd_set* set) {
    if (!set) return 0;
    for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i)
        if (set->fd_array[i] == fd) return 1;
    return 0;
}
