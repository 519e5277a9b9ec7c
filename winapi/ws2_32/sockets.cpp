// ws2_32: TCP sockets — creating, connecting, listening, sending, receiving, options, blocking mode.
#include "hostsock.h"
#include "wsock.h"

#include <poll.h>

#include <cerrno>
#include <climits>
#include <cstring>

using namespace winapi;
using namespace winapi::ws2;

namespace {

bool readAddress(const sockaddr* name, int namelen, uint32_t& address, uint16_t& port) {
    if (!name || namelen < static_cast<int>(sizeof(sockaddr_in))) {
        WSASetLastError(WSAEFAULT);
        return false;
    }
    const auto* in = reinterpret_cast<const sockaddr_in*>(name);
    if (in->sin_family != AF_INET) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return false;
    }
    address = in->sin_addr.s_addr;
    port = in->sin_port;
    return true;
}

bool writeAddress(sockaddr* name, int* namelen, uint32_t address, uint16_t port) {
    if (!name || !namelen) return true;
    if (*namelen < static_cast<int>(sizeof(sockaddr_in))) {
        WSASetLastError(WSAEFAULT);
        return false;
    }
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = port;
    in.sin_addr.s_addr = address;
    *reinterpret_cast<sockaddr_in*>(name) = in;
    *namelen = sizeof in;
    return true;
}

// A blocking connect that a signal interrupted goes on in the background: wait for its outcome.
int finishInterruptedConnect(int fd) {
    pollfd p{fd, POLLOUT, 0};
    while (::poll(&p, 1, -1) < 0) {
        if (errno != EINTR) return errno;
    }
    long error = 0;
    if (hostsock::getOption(fd, hostsock::Option::Error, error) != 0) return errno;
    return static_cast<int>(error);
}

struct OptionChoice {
    bool known;
    hostsock::Option option;
};

OptionChoice optionFor(int level, int optname) {
    using hostsock::Option;
    if (level == SOL_SOCKET) {
        switch (optname) {
        case SO_RCVTIMEO: return {true, Option::ReceiveTimeout};
        case SO_SNDTIMEO: return {true, Option::SendTimeout};
        case SO_REUSEADDR: return {true, Option::ReuseAddress};
        case SO_KEEPALIVE: return {true, Option::KeepAlive};
        case SO_RCVBUF: return {true, Option::ReceiveBuffer};
        case SO_SNDBUF: return {true, Option::SendBuffer};
        case SO_ERROR: return {true, Option::Error};
        case SO_TYPE: return {true, Option::Type};
        case SO_ACCEPTCONN: return {true, Option::AcceptsConnections};
        case SO_LINGER: return {true, Option::Linger};
        }
    } else if (level == IPPROTO_TCP && optname == TCP_NODELAY) {
        return {true, Option::NoDelay};
    }
    return {false, Option::Error};
}

bool readOnly(hostsock::Option option) {
    return option == hostsock::Option::Error || option == hostsock::Option::Type ||
           option == hostsock::Option::AcceptsConnections;
}

}  // namespace

extern "C" {

SOCKET WINAPI socket(int af, int type, int protocol) {
    if (!started()) return INVALID_SOCKET;
    if (af != AF_INET) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return INVALID_SOCKET;
    }
    if (type != SOCK_STREAM) {
        WSASetLastError(WSAESOCKTNOSUPPORT);
        return INVALID_SOCKET;
    }
    if (protocol != 0 && protocol != IPPROTO_TCP) {
        WSASetLastError(WSAEPROTONOSUPPORT);
        return INVALID_SOCKET;
    }
    const int fd = hostsock::openTcp();
    if (fd < 0) {
        failWith(errno);
        return INVALID_SOCKET;
    }
    return addSocket(fd, false);
}

int WINAPI closesocket(SOCKET s) {
    if (!socketFor(s)) return SOCKET_ERROR;
    HandleTable::instance().remove(static_cast<uint32_t>(s));
    return 0;
}

int WINAPI connect(SOCKET s, const struct sockaddr* name, int namelen) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    uint32_t address = 0;
    uint16_t port = 0;
    if (!readAddress(name, namelen, address, port)) return SOCKET_ERROR;
    if (address == 0 || port == 0) {
        WSASetLastError(WSAEADDRNOTAVAIL);
        return SOCKET_ERROR;
    }
    if (hostsock::connectTo(socket->fd, address, port) == 0) return 0;
    int error = errno;
    if (socket->nonBlocking) {
        if (error == EINPROGRESS) socket->connecting = true;
        return failWith(error);
    }
    if (error == EINTR) error = finishInterruptedConnect(socket->fd);
    return error == 0 ? 0 : failWith(error, false);
}

int WINAPI bind(SOCKET s, const struct sockaddr* name, int namelen) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    uint32_t address = 0;
    uint16_t port = 0;
    if (!readAddress(name, namelen, address, port)) return SOCKET_ERROR;
    return hostsock::bindTo(socket->fd, address, port) == 0 ? 0 : failWith(errno);
}

int WINAPI listen(SOCKET s, int backlog) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    return hostsock::listenOn(socket->fd, backlog) == 0 ? 0 : failWith(errno);
}

SOCKET WINAPI accept(SOCKET s, struct sockaddr* addr, int* addrlen) {
    auto socket = socketFor(s);
    if (!socket) return INVALID_SOCKET;
    if (addr && (!addrlen || *addrlen < static_cast<int>(sizeof(sockaddr_in)))) {
        WSASetLastError(WSAEFAULT);
        return INVALID_SOCKET;
    }
    uint32_t address = 0;
    uint16_t port = 0;
    int fd;
    while ((fd = hostsock::acceptFrom(socket->fd, address, port)) < 0 && errno == EINTR) {
    }
    if (fd < 0) {
        failWith(errno, socket->nonBlocking);
        return INVALID_SOCKET;
    }
    // An accepted socket inherits the listener's blocking mode, as in WinSock.
    if (socket->nonBlocking) hostsock::setNonBlocking(fd, true);
    writeAddress(addr, addrlen, address, port);
    return addSocket(fd, socket->nonBlocking);
}

int WINAPI getsockname(SOCKET s, struct sockaddr* name, int* namelen) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    if (!name || !namelen) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    uint32_t address = 0;
    uint16_t port = 0;
    if (hostsock::localName(socket->fd, address, port) != 0) return failWith(errno);
    if (address == 0 && port == 0) {  // never bound
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    return writeAddress(name, namelen, address, port) ? 0 : SOCKET_ERROR;
}

int WINAPI send(SOCKET s, const char* buf, int len, int flags) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    if (len < 0 || (!buf && len > 0)) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    if (flags & ~(MSG_OOB | MSG_DONTROUTE)) {
        WSASetLastError(WSAEOPNOTSUPP);
        return SOCKET_ERROR;
    }
    if (socket->sendShut) {
        WSASetLastError(WSAESHUTDOWN);
        return SOCKET_ERROR;
    }
    // A blocking send returns when every byte is sent, a non-blocking one after what fits.
    int total = 0;
    do {
        const long n = hostsock::sendSome(socket->fd, buf + total, static_cast<std::size_t>(len - total),
                                          flags & MSG_OOB);
        if (n < 0) {
            if (errno == EINTR) continue;
            return failWith(errno, socket->nonBlocking);
        }
        total += static_cast<int>(n);
    } while (total < len && !socket->nonBlocking);
    return total;
}

int WINAPI recv(SOCKET s, char* buf, int len, int flags) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    if (len < 0 || (!buf && len > 0)) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    if (flags & ~(MSG_OOB | MSG_PEEK)) {
        WSASetLastError(WSAEOPNOTSUPP);
        return SOCKET_ERROR;
    }
    if (socket->receiveShut) {
        WSASetLastError(WSAESHUTDOWN);
        return SOCKET_ERROR;
    }
    long n;
    while ((n = hostsock::receiveSome(socket->fd, buf, static_cast<std::size_t>(len), flags & MSG_PEEK,
                                      flags & MSG_OOB)) < 0 &&
           errno == EINTR) {
    }
    return n < 0 ? failWith(errno, socket->nonBlocking) : static_cast<int>(n);
}

int WINAPI shutdown(SOCKET s, int how) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    if (hostsock::shutdownSocket(socket->fd, how) != 0) return failWith(errno);
    if (how == 0 || how == 2) socket->receiveShut = true;
    if (how == 1 || how == 2) socket->sendShut = true;
    return 0;
}

int WINAPI setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    const OptionChoice choice = optionFor(level, optname);
    if (!choice.known || readOnly(choice.option)) {
        WSASetLastError(level == SOL_SOCKET || level == IPPROTO_TCP ? WSAENOPROTOOPT : WSAEINVAL);
        return SOCKET_ERROR;
    }
    if (choice.option == hostsock::Option::Linger) {
        if (!optval || optlen < static_cast<int>(sizeof(linger))) {
            WSASetLastError(WSAEFAULT);
            return SOCKET_ERROR;
        }
        linger lingering;
        std::memcpy(&lingering, optval, sizeof lingering);
        const long seconds = lingering.l_onoff ? static_cast<long>(lingering.l_linger) : -1;
        return hostsock::setOption(socket->fd, choice.option, seconds) == 0 ? 0 : failWith(errno);
    }
    if (!optval || optlen < static_cast<int>(sizeof(DWORD))) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    DWORD value = 0;
    std::memcpy(&value, optval, sizeof value);
    // Time-outs are DWORD milliseconds; the other options are BOOL or int.
    long hostValue = static_cast<long>(value);
    if (choice.option != hostsock::Option::ReceiveTimeout &&
        choice.option != hostsock::Option::SendTimeout)
        hostValue = static_cast<long>(static_cast<int>(value));
    if (hostsock::setOption(socket->fd, choice.option, hostValue) != 0) return failWith(errno);
    return 0;
}

int WINAPI getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    const OptionChoice choice = optionFor(level, optname);
    if (!choice.known) {
        WSASetLastError(level == SOL_SOCKET || level == IPPROTO_TCP ? WSAENOPROTOOPT : WSAEINVAL);
        return SOCKET_ERROR;
    }
    if (choice.option == hostsock::Option::Linger) {
        long seconds = -1;
        if (!optval || !optlen || *optlen < static_cast<int>(sizeof(linger))) {
            WSASetLastError(WSAEFAULT);
            return SOCKET_ERROR;
        }
        if (hostsock::getOption(socket->fd, choice.option, seconds) != 0) return failWith(errno);
        linger lingering;
        lingering.l_onoff = seconds >= 0;
        lingering.l_linger = static_cast<u_short>(seconds >= 0 ? seconds : 0);
        std::memcpy(optval, &lingering, sizeof lingering);
        *optlen = sizeof lingering;
        return 0;
    }
    if (!optval || !optlen || *optlen < static_cast<int>(sizeof(DWORD))) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    long value = 0;
    if (choice.option == hostsock::Option::Error && socket->connectError.load() != 0) {
        value = socket->connectError.exchange(0);
    } else if (hostsock::getOption(socket->fd, choice.option, value) != 0) {
        return failWith(errno);
    }
    if (choice.option == hostsock::Option::Error && value != 0) value = wsaErrorFor(static_cast<int>(value));
    const DWORD out = static_cast<DWORD>(value);
    std::memcpy(optval, &out, sizeof out);
    *optlen = sizeof out;
    return 0;
}

int WINAPI ioctlsocket(SOCKET s, long cmd, u_long* argp) {
    auto socket = socketFor(s);
    if (!socket) return SOCKET_ERROR;
    if (!argp) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    const uint32_t command = static_cast<uint32_t>(cmd);
    if (command == static_cast<uint32_t>(FIONBIO)) {
        const bool nonBlocking = *argp != 0;
        if (hostsock::setNonBlocking(socket->fd, nonBlocking) != 0) return failWith(errno);
        socket->nonBlocking = nonBlocking;
        return 0;
    }
    if (command == static_cast<uint32_t>(FIONREAD)) {
        unsigned count = 0;
        if (hostsock::pendingBytes(socket->fd, count) != 0) return failWith(errno);
        *argp = count;
        return 0;
    }
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
}

}  // extern "C"
