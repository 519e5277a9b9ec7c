// The updater's HTTP/1.0 client.
#include "download.h"

#include "files.h"
#include "registry.h"
#include "response_head.h"
#include "update_record.h"

#include <windows.h>
#include <winsock.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr const char* kInternetSettings =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The process's one receive block.
char g_Block[kReceiveSize];

struct Endpoint {
    std::string host;
    u_short port = 80;
};

// The proxy of the Internet settings, used whole as host or host:port. A list of per-protocol
// proxies is split at its first ":" like any other value.
bool proxyEndpoint(Endpoint& endpoint) {
    if (regReadDword(kInternetSettings, "ProxyEnable", 0, HKEY_CURRENT_USER) == 0) return false;
    const std::string proxy = regReadString(kInternetSettings, "ProxyServer", "", HKEY_CURRENT_USER);
    if (proxy.empty()) return false;
    const size_t colon = proxy.find(':');
    endpoint.host = proxy.substr(0, colon);
    endpoint.port = colon == std::string::npos
                        ? 80
                        : static_cast<u_short>(std::atoi(proxy.c_str() + colon + 1));
    return true;
}

// The host of the URL: after "http://" up to the next "/" (or "\"). A port stays part of it.
bool urlEndpoint(const char* remote, Endpoint& endpoint) {
    const char* scheme = std::strstr(remote, "http://");
    if (!scheme) return false;
    const char* host = scheme + 7;
    const char* end = std::strchr(host, '/');
    if (!end) end = std::strchr(host, '\\');
    if (!end) return false;
    endpoint.host.assign(host, end);
    endpoint.port = 80;
    return true;
}

// Closes a socket or a file when the transfer ends, however it ends.
struct SocketCloser {
    SOCKET s;
    ~SocketCloser() {
        if (s != INVALID_SOCKET) closesocket(s);
    }
};
struct FileCloser {
    HANDLE file;
    ~FileCloser() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

// Resolves the host and connects, giving up after kConnectTimeoutSeconds. The socket is then
// blocking again, with the receive time-out set.
SOCKET connectTo(const Endpoint& endpoint) {
    in_addr address;
    address.s_addr = inet_addr(endpoint.host.c_str());
    if (address.s_addr == INADDR_NONE) {
        const hostent* host = gethostbyname(endpoint.host.c_str());
        if (!host || !host->h_addr_list[0]) return INVALID_SOCKET;
        std::memcpy(&address.s_addr, host->h_addr_list[0], sizeof address.s_addr);
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return INVALID_SOCKET;
    SocketCloser closer{s};

    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return INVALID_SOCKET;
    sockaddr_in server;
    std::memset(&server, 0, sizeof server);
    server.sin_family = AF_INET;
    server.sin_addr = address;
    server.sin_port = htons(endpoint.port);
    if (connect(s, reinterpret_cast<const sockaddr*>(&server), sizeof server) == SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return INVALID_SOCKET;
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval wait = {static_cast<long>(kConnectTimeoutSeconds), 0};
        if (select(0, nullptr, &writable, &failed, &wait) != 1 || !FD_ISSET(s, &writable))
            return INVALID_SOCKET;
    }
    u_long blocking = 0;
    const DWORD timeout = kReceiveTimeoutMilliseconds;
    if (ioctlsocket(s, FIONBIO, &blocking) != 0 ||
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout) != 0)
        return INVALID_SOCKET;
    closer.s = INVALID_SOCKET;
    return s;
}

bool writeAll(HANDLE file, const char* data, DWORD size) {
    DWORD written = 0;
    return size == 0 || (WriteFile(file, data, size, &written, nullptr) && written == size);
}

enum class Outcome { Done, Failed, Broken };

// Receives the response head into the block: until the block holds the blank line that ends the
// head, is full, or the server stops sending. A slow line may deliver even a short head in
// pieces; a head that does not fit the block fails for want of its blank line. The length
// received, or -1 when nothing arrived or receiving failed.
int receiveHead(SOCKET s) {
    int filled = 0;
    while (filled < static_cast<int>(sizeof g_Block)) {
        const int n = recv(s, g_Block + filled, static_cast<int>(sizeof g_Block) - filled, 0);
        if (n < 0) return -1;
        if (n == 0) break;
        filled += n;
        if (std::string_view(g_Block, static_cast<size_t>(filled)).find("\r\n\r\n") != std::string_view::npos)
            break;
    }
    return filled > 0 ? filled : -1;
}

// The exchange on a connected socket.
Outcome transfer(SOCKET s, const char* remote, const char* temporary, const char* local,
                 const UpdateRecordKey& record, const UpdateMessages& messages) {
    char request[kRequestSize];
    buildRequest(remote, temporary, local, request);
    const int length = static_cast<int>(std::strlen(request));
    if (send(s, request, length, 0) != length) return Outcome::Failed;

    const int received = receiveHead(s);
    if (received < 0) return Outcome::Failed;
    const ResponseHead head =
        readResponseHead(std::string_view(g_Block, static_cast<size_t>(received)));
    // Anything but the file itself ("304 Not Modified", "302 moved temporarily", errors) ends the
    // transfer without touching the record.
    if (head.status != 200) return Outcome::Failed;

    record.setSuccess(false);
    if (head.hasDate) record.setDate(std::string(head.date));
    if (!head.complete) return Outcome::Failed;

    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Outcome::Failed;
    FileCloser closer{file};
    const unsigned long long contentLength = head.contentLength;
    // Without an announced length there is no percentage to report and no way to tell a whole
    // body from one cut short: such an answer fails.
    if (contentLength == 0) return Outcome::Broken;
    std::string_view body(g_Block + head.bodyOffset, static_cast<size_t>(received) - head.bodyOffset);
    // The body is exactly the announced bytes: what a server sends beyond them is no part of
    // the file, and a server that keeps the connection open afterwards is not waited for.
    if (body.size() > contentLength) body = body.substr(0, static_cast<size_t>(contentLength));
    if (!writeAll(file, body.data(), static_cast<DWORD>(body.size()))) return Outcome::Broken;

    unsigned long long written = body.size();
    DWORD reported = 0;  // the start message reported 0
    for (;;) {
        // Progress is posted when the percentage changes, not for every block: a broadcast costs
        // far more than a receive, and the browser center shows only the number. The product is
        // taken in 64 bits, so files above 42 MiB do not wrap around.
        const DWORD percent = static_cast<DWORD>(written * 100 / contentLength);
        if (percent != reported) {
            messages.postStart(percent);
            reported = percent;
        }
        if (written == contentLength) return Outcome::Done;
        const unsigned long long missing = contentLength - written;
        const int want = static_cast<int>(std::min<unsigned long long>(sizeof g_Block, missing));
        const int n = recv(s, g_Block, want, 0);
        // A server that closes the connection before the announced length has arrived cut the
        // body short, which a proxy or a reset seen as a close can do.
        if (n <= 0 || !writeAll(file, g_Block, static_cast<DWORD>(n))) return Outcome::Broken;
        written += static_cast<unsigned long long>(n);
    }
}

}  // namespace

void buildRequest(const char* remote, const char* temporary, const char* local,
                  char (&request)[kRequestSize]) {
    const UpdateRecordKey record(remote, temporary);
    std::string date;
    if (record.succeeded() && !fileExists(temporary) &&
        (fileExists(local) || std::strstr(temporary, ".ex_") || std::strstr(temporary, ".dl_")))
        date = record.date();
    if (date.empty())
        std::snprintf(request, sizeof request, "GET %s HTTP/1.0\r\n\r\n", remote);
    else
        std::snprintf(request, sizeof request, "GET %s HTTP/1.0\r\nIf-Modified-Since: %s\r\n\r\n",
                      remote, date.c_str());
}

bool fetchRemoteFile(const char* remote, const char* temporary, const char* local,
                     const UpdateMessages& messages) {
    Endpoint endpoint;
    if (!proxyEndpoint(endpoint) && !urlEndpoint(remote, endpoint)) {
        messages.postFail();
        return false;
    }
    messages.postStart(0);

    const UpdateRecordKey record(remote, temporary);
    Outcome outcome = Outcome::Failed;
    const SOCKET s = connectTo(endpoint);
    if (s != INVALID_SOCKET) {
        SocketCloser closer{s};
        outcome = transfer(s, remote, temporary, local, record, messages);
    }
    if (outcome == Outcome::Done) return true;
    messages.postFail();
    if (outcome == Outcome::Broken) {
        DeleteFileA(temporary);
        record.removeDate();
    }
    return false;
}
