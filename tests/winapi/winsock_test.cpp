// WinSock 1.1 as the updater uses it: start-up, a TCP client against a loopback listener of the
// test's own, time-outs, non-blocking connects reported by select(), names and byte order.
#include <windows.h>
#include <winsock.h>

#include <gtest/gtest.h>

#include "testenv.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

class WinSock : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
        EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
        EXPECT_GE(LOBYTE(data.wHighVersion), 1);
    }
    void TearDown() override {
        for (SOCKET s : open_) closesocket(s);
        WSACleanup();
    }

    SOCKET track(SOCKET s) {
        if (s != INVALID_SOCKET) open_.push_back(s);
        return s;
    }

    static sockaddr_in loopback(u_short port) {
        sockaddr_in address;
        std::memset(&address, 0, sizeof address);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        address.sin_port = htons(port);
        return address;
    }

    // A listening socket on 127.0.0.1 with a port the system chose.
    SOCKET listener(u_short& port) {
        SOCKET s = track(socket(AF_INET, SOCK_STREAM, 0));
        EXPECT_NE(s, INVALID_SOCKET);
        sockaddr_in address = loopback(0);
        EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(s, SOMAXCONN), 0);
        int length = sizeof address;
        EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&address), &length), 0);
        port = ntohs(address.sin_port);
        return s;
    }

    // A connected pair: a client socket and the listener's accepted end.
    void connectedPair(SOCKET& client, SOCKET& server) {
        u_short port = 0;
        SOCKET listening = listener(port);
        client = track(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in address = loopback(port);
        ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        sockaddr_in peer;
        int length = sizeof peer;
        server = track(accept(listening, reinterpret_cast<sockaddr*>(&peer), &length));
        ASSERT_NE(server, INVALID_SOCKET);
        EXPECT_EQ(length, static_cast<int>(sizeof peer));
        EXPECT_EQ(peer.sin_addr.s_addr, inet_addr("127.0.0.1"));
    }

    // A port on 127.0.0.1 that nothing listens on.
    u_short closedPort() {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(0);
        bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        closesocket(s);
        return ntohs(address.sin_port);
    }

private:
    std::vector<SOCKET> open_;
};

TEST(WinSockStartup, VersionsAndBalancedCleanup) {
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(0, 9), &data), WSAVERNOTSUPPORTED);
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
    EXPECT_EQ(WSACleanup(), 0);
    EXPECT_EQ(WSACleanup(), 0);
}

TEST_F(WinSock, RoundTripOverLoopback) {
    SOCKET client, server;
    connectedPair(client, server);
    const char request[] = "GET http://127.0.0.1/x HTTP/1.0\r\n\r\n";
    EXPECT_EQ(send(client, request, sizeof request - 1, 0), static_cast<int>(sizeof request - 1));
    char buffer[256];
    int got = 0;
    while (got < static_cast<int>(sizeof request - 1)) {
        const int n = recv(server, buffer + got, sizeof buffer - got, 0);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(std::string(buffer, got), request);

    EXPECT_EQ(send(server, "HTTP/1.0 200 OK\r\n", 17, 0), 17);
    ASSERT_EQ(closesocket(server), 0);
    std::string answer;
    for (int n; (n = recv(client, buffer, sizeof buffer, 0)) != 0;) {
        ASSERT_GT(n, 0) << WSAGetLastError();
        answer.append(buffer, n);
    }
    EXPECT_EQ(answer, "HTTP/1.0 200 OK\r\n");
    // After the orderly close the end of the stream stays reported.
    EXPECT_EQ(recv(client, buffer, sizeof buffer, 0), 0);
}

TEST_F(WinSock, ConnectToClosedPortIsRefused) {
    SOCKET s = track(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = loopback(closedPort());
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
}

TEST_F(WinSock, ReceiveTimeOutOnSilentPeer) {
    SOCKET client, server;
    connectedPair(client, server);
    const DWORD timeout = 200;
    ASSERT_EQ(setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                         sizeof timeout),
              0);
    DWORD stored = 0;
    int length = sizeof stored;
    ASSERT_EQ(getsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&stored), &length), 0);
    EXPECT_EQ(stored, timeout);
    char buffer[16];
    EXPECT_EQ(recv(client, buffer, sizeof buffer, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
}

TEST_F(WinSock, NonBlockingConnectCompletesThroughSelect) {
    u_short port = 0;
    listener(port);
    SOCKET s = track(socket(AF_INET, SOCK_STREAM, 0));
    u_long on = 1;
    ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
    sockaddr_in address = loopback(port);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    }
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval wait = {10, 0};
    EXPECT_EQ(select(0, nullptr, &writable, &failed, &wait), 1);
    EXPECT_TRUE(FD_ISSET(s, &writable));
    EXPECT_FALSE(FD_ISSET(s, &failed));
    // Nothing to read yet: a short select ends with 0 and empties the set.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval brief = {0, 50000};
    EXPECT_EQ(select(0, &readable, nullptr, nullptr, &brief), 0);
    EXPECT_EQ(readable.fd_count, 0u);
    char buffer[4];
    EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
}

TEST_F(WinSock, FailedNonBlockingConnectIsAnException) {
    SOCKET s = track(socket(AF_INET, SOCK_STREAM, 0));
    u_long on = 1;
    ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
    sockaddr_in address = loopback(closedPort());
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    }
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval wait = {10, 0};
    EXPECT_EQ(select(0, nullptr, &writable, &failed, &wait), 1);
    EXPECT_FALSE(FD_ISSET(s, &writable));
    EXPECT_TRUE(FD_ISSET(s, &failed));
    int error = 0;
    int length = sizeof error;
    ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length), 0);
    EXPECT_EQ(error, WSAECONNREFUSED);
}

TEST_F(WinSock, PendingBytesAndShutdown) {
    SOCKET client, server;
    connectedPair(client, server);
    ASSERT_EQ(send(server, "hello", 5, 0), 5);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(client, &readable);
    timeval wait = {10, 0};
    ASSERT_EQ(select(0, &readable, nullptr, nullptr, &wait), 1);
    u_long pending = 0;
    ASSERT_EQ(ioctlsocket(client, FIONREAD, &pending), 0);
    EXPECT_EQ(pending, 5u);

    ASSERT_EQ(shutdown(client, 1 /* SD_SEND */), 0);
    EXPECT_EQ(send(client, "x", 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
    char buffer[8];
    EXPECT_EQ(recv(server, buffer, sizeof buffer, 0), 0);
}

TEST_F(WinSock, ResetByThePeerFailsTheReceive) {
    SOCKET client, server;
    connectedPair(client, server);
    linger hard;
    hard.l_onoff = 1;
    hard.l_linger = 0;
    ASSERT_EQ(setsockopt(server, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard), 0);
    linger stored;
    int length = sizeof stored;
    ASSERT_EQ(getsockopt(server, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&stored), &length), 0);
    EXPECT_EQ(stored.l_onoff, 1);
    EXPECT_EQ(stored.l_linger, 0);
    ASSERT_EQ(send(server, "part", 4, 0), 4);
    ASSERT_EQ(closesocket(server), 0);
    char buffer[16];
    int n;
    while ((n = recv(client, buffer, sizeof buffer, 0)) > 0) {
    }
    // Wine reports the reset as an orderly close (0) instead of failing with WSAECONNRESET.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(n, SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    }
}

TEST_F(WinSock, OptionsAndBadHandles) {
    SOCKET s = track(socket(AF_INET, SOCK_STREAM, 0));
    int type = 0;
    int length = sizeof type;
    ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length), 0);
    EXPECT_EQ(type, SOCK_STREAM);
    DWORD timeout = 1;
    EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), 2),
              SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEFAULT);

    SOCKET closed = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(closesocket(closed), 0);
    EXPECT_EQ(closesocket(closed), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(send(closed, "x", 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 99), INVALID_SOCKET);
}

TEST_F(WinSock, LocalHostNameResolves) {
    hostent* host = gethostbyname("localhost");
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->h_addrtype, AF_INET);
    EXPECT_EQ(host->h_length, 4);
    ASSERT_NE(host->h_addr_list[0], nullptr);
    EXPECT_EQ(static_cast<unsigned char>(host->h_addr_list[0][0]), 127);
}

TEST_F(WinSock, DottedAddressesAndByteOrder) {
    EXPECT_EQ(inet_addr("127.0.0.1"), htonl(0x7f000001));
    EXPECT_EQ(inet_addr("10.1.2.3"), htonl(0x0a010203));
    EXPECT_EQ(inet_addr("1.2.3.256"), INADDR_NONE);
    EXPECT_EQ(inet_addr("update.example"), INADDR_NONE);
    EXPECT_EQ(inet_addr(""), INADDR_NONE);
    EXPECT_EQ(htons(0x1234), 0x3412);
    EXPECT_EQ(ntohs(htons(8080)), 8080);
    EXPECT_EQ(ntohl(htonl(0x01020304)), 0x01020304u);
    in_addr address;
    address.s_addr = inet_addr("192.168.0.10");
    EXPECT_STREQ(inet_ntoa(address), "192.168.0.10");
}

TEST(WinSockStartup, CallsBeforeStartupAreRefused) {
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

}  // namespace
