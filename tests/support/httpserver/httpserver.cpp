// The test HTTP server (see httpserver.h). It runs inside test processes of both targets, so it
// speaks the platform's own sockets: BSD sockets on Linux, WinSock on Windows.
#include "httpserver.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace lumora_test {
namespace {

#ifdef _WIN32
using Native = SOCKET;
void closeNative(Native s) { closesocket(s); }
// WinSock is started once for the process and left running until it ends.
void startNetworking() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}
void setTimeouts(Native s, int seconds) {
    const DWORD ms = static_cast<DWORD>(seconds) * 1000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}
#else
using Native = int;
void closeNative(Native s) { ::close(s); }
void startNetworking() {}
void setTimeouts(Native s, int seconds) {
    timeval tv{seconds, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}
#endif

// Sockets of a connection give up after this long without progress, so a client that stops
// reading or writing cannot keep a connection thread alive for ever.
constexpr int kConnectionTimeoutSeconds = 30;
constexpr std::size_t kMaxRequest = 64 * 1024;
constexpr std::uint64_t kMaxBody = 16 * 1024 * 1024;
constexpr std::size_t kChunk = 256 * 1024;

Native native(std::uintptr_t s) { return static_cast<Native>(s); }

bool sendAll(Native s, const char* data, std::size_t size) {
    while (size > 0) {
#ifdef _WIN32
        const int n = send(s, data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
#else
        const ssize_t n = send(s, data, size, MSG_NOSIGNAL);
#endif
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Waits up to `ms` for the socket to become readable.
bool readable(Native s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    return select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0;
}

// The port a bound socket got.
unsigned short boundPort(Native s) {
    sockaddr_in address{};
#ifdef _WIN32
    int length = sizeof address;
#else
    socklen_t length = sizeof address;
#endif
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// A connection reset instead of an orderly close: the peer's next receive fails.
void resetConnection(Native s) {
    linger hard{};
    hard.l_onoff = 1;
    hard.l_linger = 0;
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    closeNative(s);
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Parses "Sun, 06 Nov 1994 08:49:37 GMT"; false for any other form.
bool parseHttpDate(const std::string& text, std::int64_t& unixTime) {
    char day[4] = {}, month[4] = {}, zone[4] = {};
    int d = 0, y = 0, hh = 0, mm = 0, ss = 0;
    if (std::sscanf(text.c_str(), "%3s %d %3s %d %d:%d:%d %3s", day, &d, month, &y, &hh, &mm, &ss,
                    zone) != 8 ||
        std::strcmp(zone, "GMT") != 0)
        return false;
    for (unsigned m = 0; m < 12; ++m) {
        if (std::strcmp(month, kMonths[m]) == 0) {
            unixTime = daysFromCivil(y, m + 1, static_cast<unsigned>(d)) * 86400 + hh * 3600 + mm * 60 + ss;
            return true;
        }
    }
    return false;
}

// The value of a header line in a request head ("" when absent); names compare without case.
std::string headerValue(const std::string& head, const std::string& name) {
    std::string lowerHead = head, lowerName = "\r\n" + name + ":";
    std::transform(lowerHead.begin(), lowerHead.end(), lowerHead.begin(), ::tolower);
    std::transform(lowerName.begin(), lowerName.end(), lowerName.begin(), ::tolower);
    const std::size_t at = lowerHead.find(lowerName);
    if (at == std::string::npos) return "";
    std::size_t begin = at + lowerName.size();
    while (begin < head.size() && head[begin] == ' ') ++begin;
    const std::size_t end = head.find("\r\n", begin);
    return head.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// The path of a request target, which is an absolute URL when the client speaks to a proxy.
std::string targetPath(const std::string& target) {
    std::string path = target;
    if (path.compare(0, 7, "http://") == 0) {
        const std::size_t slash = path.find('/', 7);
        path = slash == std::string::npos ? "/" : path.substr(slash);
    }
    const std::size_t query = path.find('?');
    if (query != std::string::npos) path.resize(query);
    return path;
}

bool notModified(const std::string& ifModifiedSince, const std::string& lastModified) {
    std::int64_t since = 0, modified = 0;
    if (parseHttpDate(ifModifiedSince, since) && parseHttpDate(lastModified, modified))
        return since >= modified;
    return ifModifiedSince == lastModified;
}

}  // namespace

std::string httpDate(std::int64_t unixTime) {
    std::int64_t days = unixTime / 86400, seconds = unixTime % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    // Civil date from days (inverse of daysFromCivil).
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02u %s %04lld %02lld:%02lld:%02lld GMT",
                  kDays[((days % 7) + 7) % 7], d, kMonths[m - 1], static_cast<long long>(y),
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

HttpTestServer::HttpTestServer(unsigned short port, const std::string& host) : address_(host) {
    startNetworking();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr(host.c_str());
    address.sin_port = htons(port);
    if (host.compare(0, 4, "127.") != 0 || address.sin_addr.s_addr == INADDR_NONE) return;
    const Native s = socket(AF_INET, SOCK_STREAM, 0);
#ifndef _WIN32
    const int yes = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 64) != 0) {
        closeNative(s);
        return;
    }
    port_ = boundPort(s);
    listener_ = static_cast<Socket>(s);
    acceptThread_ = std::thread(&HttpTestServer::acceptLoop, this);
}

HttpTestServer::~HttpTestServer() {
    stopping_ = true;
    if (acceptThread_.joinable()) acceptThread_.join();
    if (listener_ != kNoSocket) closeNative(native(listener_));
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        connections.swap(connections_);
    }
    for (std::thread& t : connections) t.join();
}

std::string HttpTestServer::url(const std::string& path) const {
    return "http://" + address_ + (port_ == 80 ? "" : ":" + std::to_string(port_)) + path;
}

void HttpTestServer::setAnswer(const std::string& path, HttpAnswer answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[path] = std::move(answer);
}

void HttpTestServer::serveText(const std::string& path, const std::string& body,
                               const std::string& lastModified) {
    HttpAnswer answer;
    answer.body = body;
    answer.lastModified = lastModified;
    setAnswer(path, std::move(answer));
}

void HttpTestServer::serveDirectory(const std::string& hostFolder) {
    std::lock_guard<std::mutex> lock(mutex_);
    folder_ = hostFolder;
}

std::vector<std::string> HttpTestServer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void HttpTestServer::clearRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

void HttpTestServer::onRequest(std::function<void(const std::string&)> observer) {
    std::lock_guard<std::mutex> lock(mutex_);
    observer_ = std::move(observer);
}

void HttpTestServer::acceptLoop() {
    const Native listener = native(listener_);
    while (!stopping_) {
        if (!readable(listener, 100)) continue;
        const Native client = accept(listener, nullptr, nullptr);
        if (client == static_cast<Native>(kNoSocket)) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.emplace_back(&HttpTestServer::serve, this, static_cast<Socket>(client));
    }
}

bool HttpTestServer::answerFor(const std::string& path, HttpAnswer& answer) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto found = answers_.find(path); found != answers_.end()) {
        answer = found->second;
        return true;
    }
    if (folder_.empty() || path.find("..") != std::string::npos) return false;
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path file = fs::path(folder_) / fs::path(path).relative_path();
    if (!fs::is_regular_file(file, error)) return false;
    const auto written = fs::last_write_time(file, error);
    if (error) return false;
    const auto system = std::chrono::file_clock::to_sys(written);
    answer = HttpAnswer{};
    answer.bodyFile = file.string();
    answer.lastModified =
        httpDate(std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count());
    return true;
}

void HttpTestServer::holdUntilGone(Socket client) {
    char sink[4096];
    while (!stopping_) {
        if (!readable(native(client), 100)) continue;
        if (recv(native(client), sink, sizeof sink, 0) <= 0) return;
    }
}

void HttpTestServer::serve(Socket clientSocket) {
    const Native client = native(clientSocket);
    setTimeouts(client, kConnectionTimeoutSeconds);

    std::string request;
    char buffer[4096];
    // A connection a client opens ahead and never uses is given up when the server stops.
    int idle = 0;
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequest) {
        if (!readable(client, 100)) {
            if (stopping_ || ++idle >= kConnectionTimeoutSeconds * 10) break;
            continue;
        }
        const int n = static_cast<int>(recv(client, buffer, sizeof buffer, 0));
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    // A body announced by Content-Length is read and kept with its head (a form post's bytes).
    if (const std::size_t headEnd = request.find("\r\n\r\n"); headEnd != std::string::npos) {
        const std::uint64_t announced =
            std::strtoull(headerValue(request.substr(0, headEnd + 2), "Content-Length").c_str(), nullptr, 10);
        const std::uint64_t total = headEnd + 4 + std::min<std::uint64_t>(announced, kMaxBody);
        while (request.size() < total) {
            const int n = static_cast<int>(recv(client, buffer, sizeof buffer, 0));
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
        }
    }
    std::function<void(const std::string&)> observer;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        observer = observer_;
    }
    if (observer) observer(request);

    const std::size_t lineEnd = request.find("\r\n");
    const std::string line = request.substr(0, lineEnd);
    const std::size_t space = line.find(' ');
    const std::size_t space2 = line.find(' ', space == std::string::npos ? 0 : space + 1);
    const std::string target =
        space == std::string::npos ? "" : line.substr(space + 1, space2 - space - 1);

    HttpAnswer answer;
    if (!answerFor(targetPath(target), answer)) {
        answer = HttpAnswer{};
        answer.status = 404;
        answer.reason = "Not Found";
    }
    const std::string ifModifiedSince = headerValue(request.substr(0, request.find("\r\n\r\n") + 2),
                                                    "If-Modified-Since");
    if (answer.status == 200 && !answer.lastModified.empty() && !ifModifiedSince.empty() &&
        notModified(ifModifiedSince, answer.lastModified)) {
        const std::string head = "HTTP/1.0 304 Not Modified\r\nLast-Modified: " + answer.lastModified + "\r\n\r\n";
        sendAll(client, head.data(), head.size());
        closeNative(client);
        return;
    }

    std::ifstream file;
    std::uint64_t length = answer.body.size();
    if (!answer.bodyFile.empty()) {
        file.open(answer.bodyFile, std::ios::binary);
        std::error_code error;
        length = std::filesystem::file_size(answer.bodyFile, error);
        if (error) length = 0;
    }
    std::string head = "HTTP/1.0 " + std::to_string(answer.status) + " " + answer.reason + "\r\n";
    if (!answer.lastModified.empty()) head += "Last-Modified: " + answer.lastModified + "\r\n";
    if (!answer.location.empty()) head += "Location: " + answer.location + "\r\n";
    if (answer.announceLength)
        head += "Content-Length: " +
                std::to_string(answer.announcedLength >= 0 ? static_cast<std::uint64_t>(answer.announcedLength) : length) +
                "\r\n";
    for (const std::string& header : answer.headers) head += header + "\r\n";
    if (answer.endHead) head += "\r\n";

    // The body up to where the answer breaks off, if it does.
    std::uint64_t limit = length;
    if (answer.resetAfter >= 0) limit = std::min<std::uint64_t>(limit, answer.resetAfter);
    if (answer.stallAfter >= 0) limit = std::min<std::uint64_t>(limit, answer.stallAfter);

    // The head goes out together with the start of the body, as servers write them, unless it is
    // to arrive in pieces.
    if (answer.splitHeadAfter > 0 && answer.splitHeadAfter < head.size()) {
        if (!sendAll(client, head.data(), answer.splitHeadAfter)) {
            closeNative(client);
            return;
        }
        head.erase(0, answer.splitHeadAfter);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::string out = head;
    std::vector<char> chunk(kChunk);
    std::uint64_t sent = 0;
    bool ok = true;
    for (;;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, limit - sent));
        std::size_t got = want;
        if (want > 0 && file.is_open()) {
            file.read(chunk.data(), static_cast<std::streamsize>(want));
            got = static_cast<std::size_t>(file.gcount());
            out.append(chunk.data(), got);
        } else if (want > 0) {
            out.append(answer.body, static_cast<std::size_t>(sent), want);
        }
        if (out.empty()) break;
        ok = sendAll(client, out.data(), out.size());
        out.clear();
        sent += got;
        if (!ok || got < want || sent >= limit) break;
    }

    if (answer.resetAfter >= 0 && ok) {
        // Give the bytes already sent time to arrive, so the client sees them before the reset.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        resetConnection(client);
        return;
    }
    if (answer.stallAfter >= 0 && ok) holdUntilGone(clientSocket);
    closeNative(client);
}

UnansweredPort::UnansweredPort() : listener_(~static_cast<std::uintptr_t>(0)) {
    startNetworking();
    const Native s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 0) != 0) {
        closeNative(s);
        return;
    }
    listener_ = static_cast<std::uintptr_t>(s);
    port_ = boundPort(s);
    address.sin_port = htons(port_);
    // Connect until a connection is no longer completed at once: the queue is then full and the
    // system drops further connection requests without an answer.
    for (int i = 0; i < 16 && !ready_; ++i) {
        const Native filler = socket(AF_INET, SOCK_STREAM, 0);
#ifdef _WIN32
        u_long on = 1;
        ioctlsocket(filler, FIONBIO, &on);
#else
        fcntl(filler, F_SETFL, O_NONBLOCK);
#endif
        fillers_.push_back(static_cast<std::uintptr_t>(filler));
        connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(filler, &writable);
        timeval wait{0, 300000};
        if (select(static_cast<int>(filler) + 1, nullptr, &writable, nullptr, &wait) == 0) ready_ = true;
    }
}

UnansweredPort::~UnansweredPort() {
    for (std::uintptr_t s : fillers_) closeNative(native(s));
    if (listener_ != ~static_cast<std::uintptr_t>(0)) closeNative(native(listener_));
}

}  // namespace lumora_test
