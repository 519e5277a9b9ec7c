// ws2_32: start-up and clean-up, the last error, and the socket handles with their errors.
#include "wsock.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace winapi::ws2 {
namespace {

std::atomic<int> startups{0};

constexpr WORD kHighestVersion = MAKEWORD(2, 2);

}  // namespace

Socket::~Socket() { ::close(fd); }

bool started() {
    if (startups.load() > 0) return true;
    WSASetLastError(WSANOTINITIALISED);
    return false;
}

std::shared_ptr<Socket> socketFor(SOCKET s) {
    if (!started()) return nullptr;
    auto socket = handleObject<Socket>(reinterpret_cast<const void*>(static_cast<uintptr_t>(s)));
    if (!socket || static_cast<uint64_t>(s) > UINT32_MAX) {
        WSASetLastError(WSAENOTSOCK);
        return nullptr;
    }
    return socket;
}

SOCKET addSocket(int fd, bool nonBlocking) {
    auto socket = std::make_shared<Socket>(fd);
    socket->nonBlocking = nonBlocking;
    return static_cast<SOCKET>(HandleTable::instance().add(std::move(socket)));
}

int wsaErrorFor(int error, bool nonBlocking) {
    switch (error) {
    case EINTR: return WSAEINTR;
    case EBADF: return WSAENOTSOCK;
    case EACCES: case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE: case ENFILE: return WSAEMFILE;
    case EAGAIN: return nonBlocking ? WSAEWOULDBLOCK : WSAETIMEDOUT;
    case EINPROGRESS: return WSAEWOULDBLOCK;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET: case EPIPE: return WSAECONNRESET;
    case ENOBUFS: case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    default: return WSAEINVAL;
    }
}

int failWith(int error, bool nonBlocking) {
    WSASetLastError(wsaErrorFor(error, nonBlocking));
    return SOCKET_ERROR;
}

}  // namespace winapi::ws2

using namespace winapi::ws2;

extern "C" {

int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    if (!lpWSAData) return WSAEFAULT;
    if (LOBYTE(wVersionRequested) < 1) return WSAVERNOTSUPPORTED;
    std::memset(lpWSAData, 0, sizeof *lpWSAData);
    const bool aboveHighest = LOBYTE(wVersionRequested) > 2 ||
                              (LOBYTE(wVersionRequested) == 2 && HIBYTE(wVersionRequested) > 2);
    lpWSAData->wVersion = aboveHighest ? kHighestVersion : wVersionRequested;
    lpWSAData->wHighVersion = kHighestVersion;
    std::snprintf(lpWSAData->szDescription, sizeof lpWSAData->szDescription, "WinSock 2.0");
    std::snprintf(lpWSAData->szSystemStatus, sizeof lpWSAData->szSystemStatus, "Running");
    lpWSAData->iMaxSockets = 32767;
    lpWSAData->iMaxUdpDg = 65467;
    ++startups;
    return 0;
}

int WINAPI WSACleanup(void) {
    int count = startups.load();
    while (count > 0 && !startups.compare_exchange_weak(count, count - 1)) {
    }
    if (count <= 0) {
        WSASetLastError(WSANOTINITIALISED);
        return SOCKET_ERROR;
    }
    return 0;
}

int WINAPI WSAGetLastError(void) { return static_cast<int>(GetLastError()); }

void WINAPI WSASetLastError(int iError) { SetLastError(static_cast<DWORD>(iError)); }

}  // extern "C"
