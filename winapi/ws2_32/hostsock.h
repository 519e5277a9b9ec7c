// The host's socket calls behind WinSock, in types that neither side's headers define, because
// the host's socket headers and winsock.h cannot meet in one translation unit. Addresses and
// ports are in network byte order, as both APIs keep them. Failures return -1 with errno set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winapi::hostsock {

// The socket options WinSock callers set or query, by meaning rather than by number.
enum class Option {
    ReceiveTimeout,  // milliseconds
    SendTimeout,     // milliseconds
    ReuseAddress,
    KeepAlive,
    NoDelay,
    ReceiveBuffer,
    SendBuffer,
    Error,           // an errno value; reading it clears it
    Type,            // 1 stream, 2 datagram
    AcceptsConnections,
    Linger,          // seconds to linger on close, or -1 for an orderly close in the background
};

int openTcp();
int connectTo(int fd, uint32_t address, uint16_t port);
int bindTo(int fd, uint32_t address, uint16_t port);
int listenOn(int fd, int backlog);
// Returns the new descriptor (close-on-exec) and the peer's address.
int acceptFrom(int fd, uint32_t& address, uint16_t& port);
int localName(int fd, uint32_t& address, uint16_t& port);
long sendSome(int fd, const char* data, std::size_t size, bool outOfBand);
long receiveSome(int fd, char* data, std::size_t size, bool peek, bool outOfBand);
int shutdownSocket(int fd, int how);
int setNonBlocking(int fd, bool nonBlocking);
int pendingBytes(int fd, unsigned& count);
int setOption(int fd, Option option, long value);
int getOption(int fd, Option option, long& value);

// The IPv4 addresses of a host name, and its canonical name. Returns 0 or the getaddrinfo error.
int resolve(const char* name, std::string& canonical, std::vector<uint32_t>& addresses);
// BSD parsing of dotted addresses ("a.b.c.d", "a.b.c", "a.b", "a", octal and hex parts).
bool parseDotted(const char* text, uint32_t& address);
std::string localHostName();

// getaddrinfo's error numbers, for the WinSock mapping.
bool isNoSuchName(int error);
bool isTemporaryFailure(int error);
bool isNoData(int error);

}  // namespace winapi::hostsock
