// The host's socket calls behind WinSock (see hostsock.h): the only file of ws2_32 that sees the
// C library's socket headers.
#include "hostsock.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace winapi::hostsock {
namespace {

sockaddr_in toAddress(uint32_t address, uint16_t port) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = address;
    in.sin_port = port;
    return in;
}

struct OptionName {
    int level;
    int name;
};

OptionName hostOption(Option option) {
    switch (option) {
    case Option::ReceiveTimeout: return {SOL_SOCKET, SO_RCVTIMEO};
    case Option::SendTimeout: return {SOL_SOCKET, SO_SNDTIMEO};
    case Option::ReuseAddress: return {SOL_SOCKET, SO_REUSEADDR};
    case Option::KeepAlive: return {SOL_SOCKET, SO_KEEPALIVE};
    case Option::NoDelay: return {IPPROTO_TCP, TCP_NODELAY};
    case Option::ReceiveBuffer: return {SOL_SOCKET, SO_RCVBUF};
    case Option::SendBuffer: return {SOL_SOCKET, SO_SNDBUF};
    case Option::Error: return {SOL_SOCKET, SO_ERROR};
    case Option::Type: return {SOL_SOCKET, SO_TYPE};
    case Option::AcceptsConnections: return {SOL_SOCKET, SO_ACCEPTCONN};
    case Option::Linger: return {SOL_SOCKET, SO_LINGER};
    }
    return {SOL_SOCKET, -1};
}

bool isTimeout(Option option) {
    return option == Option::ReceiveTimeout || option == Option::SendTimeout;
}

}  // namespace

int openTcp() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP); }

int connectTo(int fd, uint32_t address, uint16_t port) {
    const sockaddr_in in = toAddress(address, port);
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&in), sizeof in);
}

int bindTo(int fd, uint32_t address, uint16_t port) {
    const sockaddr_in in = toAddress(address, port);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&in), sizeof in);
}

int listenOn(int fd, int backlog) { return ::listen(fd, backlog); }

int acceptFrom(int fd, uint32_t& address, uint16_t& port) {
    sockaddr_in in{};
    socklen_t length = sizeof in;
    const int client = ::accept4(fd, reinterpret_cast<sockaddr*>(&in), &length, SOCK_CLOEXEC);
    if (client >= 0) {
        address = in.sin_addr.s_addr;
        port = in.sin_port;
    }
    return client;
}

int localName(int fd, uint32_t& address, uint16_t& port) {
    sockaddr_in in{};
    socklen_t length = sizeof in;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&in), &length) != 0) return -1;
    address = in.sin_addr.s_addr;
    port = in.sin_port;
    return 0;
}

long sendSome(int fd, const char* data, std::size_t size, bool outOfBand) {
    return ::send(fd, data, size, MSG_NOSIGNAL | (outOfBand ? MSG_OOB : 0));
}

long receiveSome(int fd, char* data, std::size_t size, bool peek, bool outOfBand) {
    return ::recv(fd, data, size, (peek ? MSG_PEEK : 0) | (outOfBand ? MSG_OOB : 0));
}

int shutdownSocket(int fd, int how) {
    static const int hows[] = {SHUT_RD, SHUT_WR, SHUT_RDWR};
    if (how < 0 || how > 2) {
        errno = EINVAL;
        return -1;
    }
    return ::shutdown(fd, hows[how]);
}

int setNonBlocking(int fd, bool nonBlocking) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) return -1;
    return ::fcntl(fd, F_SETFL, nonBlocking ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
}

int pendingBytes(int fd, unsigned& count) {
    int bytes = 0;
    if (::ioctl(fd, FIONREAD, &bytes) != 0) return -1;
    count = static_cast<unsigned>(bytes);
    return 0;
}

int setOption(int fd, Option option, long value) {
    const OptionName name = hostOption(option);
    if (option == Option::Linger) {
        ::linger lingering{};
        lingering.l_onoff = value >= 0;
        lingering.l_linger = value >= 0 ? static_cast<int>(value) : 0;
        return ::setsockopt(fd, name.level, name.name, &lingering, sizeof lingering);
    }
    if (isTimeout(option)) {
        timeval tv{};
        tv.tv_sec = value / 1000;
        tv.tv_usec = (value % 1000) * 1000;
        return ::setsockopt(fd, name.level, name.name, &tv, sizeof tv);
    }
    const int number = static_cast<int>(value);
    return ::setsockopt(fd, name.level, name.name, &number, sizeof number);
}

int getOption(int fd, Option option, long& value) {
    const OptionName name = hostOption(option);
    if (option == Option::Linger) {
        ::linger lingering{};
        socklen_t length = sizeof lingering;
        if (::getsockopt(fd, name.level, name.name, &lingering, &length) != 0) return -1;
        value = lingering.l_onoff ? lingering.l_linger : -1;
        return 0;
    }
    if (isTimeout(option)) {
        timeval tv{};
        socklen_t length = sizeof tv;
        if (::getsockopt(fd, name.level, name.name, &tv, &length) != 0) return -1;
        value = static_cast<long>(tv.tv_sec) * 1000 + tv.tv_usec / 1000;
        return 0;
    }
    int number = 0;
    socklen_t length = sizeof number;
    if (::getsockopt(fd, name.level, name.name, &number, &length) != 0) return -1;
    if (option == Option::Type) number = number == SOCK_STREAM ? 1 : 2;
    value = number;
    return 0;
}

int resolve(const char* name, std::string& canonical, std::vector<uint32_t>& addresses) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    const int result = ::getaddrinfo(name, nullptr, &hints, &list);
    if (result != 0) return result;
    canonical = list->ai_canonname ? list->ai_canonname : name;
    for (const addrinfo* a = list; a; a = a->ai_next) {
        const uint32_t address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
        bool seen = false;
        for (uint32_t known : addresses) seen = seen || known == address;
        if (!seen) addresses.push_back(address);
    }
    ::freeaddrinfo(list);
    return 0;
}

bool parseDotted(const char* text, uint32_t& address) {
    in_addr in{};
    if (!::inet_aton(text, &in)) return false;
    address = in.s_addr;
    return true;
}

std::string localHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

bool isNoSuchName(int error) { return error == EAI_NONAME; }
bool isTemporaryFailure(int error) { return error == EAI_AGAIN; }
bool isNoData(int error) { return error == EAI_NODATA || error == EAI_ADDRFAMILY; }

}  // namespace winapi::hostsock
