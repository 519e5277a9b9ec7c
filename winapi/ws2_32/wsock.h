// What the WinSock functions share: the socket object behind a SOCKET handle, the start-up count
// and the translation of host errors into WinSock's.
#pragma once

#include <windows.h>
#include <winsock.h>

#include "handles.h"

#include <atomic>
#include <memory>

namespace winapi::ws2 {

// One socket: the host descriptor and the state that WinSock reports differently from the host
// (a non-blocking connect still under way, its outcome, and which directions were shut down).
class Socket : public KernelObject {
public:
    explicit Socket(int fd) : fd(fd) {}
    ~Socket() override;

    const int fd;
    std::atomic<bool> nonBlocking{false};
    std::atomic<bool> connecting{false};
    std::atomic<int> connectError{0};  // errno of a finished non-blocking connect, for SO_ERROR
    std::atomic<bool> receiveShut{false};
    std::atomic<bool> sendShut{false};
};

// True after WSAStartup (and before the matching WSACleanup); otherwise sets WSANOTINITIALISED.
bool started();

// The socket behind a handle, or null with WSANOTINITIALISED or WSAENOTSOCK set.
std::shared_ptr<Socket> socketFor(SOCKET s);

// Registers a host descriptor as a new SOCKET.
SOCKET addSocket(int fd, bool nonBlocking);

// The WinSock error for a host errno value. A would-block on a blocking socket is a time-out.
int wsaErrorFor(int error, bool nonBlocking = true);

// Sets the WinSock error for errno and returns SOCKET_ERROR.
int failWith(int error, bool nonBlocking = true);

// Asks for the Internet connection after a host name did not resolve; true when AutoDial is on and
// dialled it, so that the name is worth looking up again.
bool autoDialInternet();

}  // namespace winapi::ws2
