// A small HTTP/1.0 server for tests and benchmarks, on loopback addresses only: it serves files with
// Last-Modified, answers If-Modified-Since with 304, and can misbehave on purpose (a redirect, a
// head without its blank line or in pieces, no or a wrong Content-Length, a connection reset in
// the middle of the body, a stall). It keeps every raw request it received. Plain sockets, one thread per connection.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumora_test {

// How the server answers one path.
struct HttpAnswer {
    int status = 200;
    std::string reason = "OK";          // the status line's text after the code
    std::string body;                   // the body, unless bodyFile is set
    std::string bodyFile;               // a host file streamed as the body
    std::string lastModified;           // Last-Modified text; empty: no such header
    std::string location;               // Location header (redirects)
    std::vector<std::string> headers;   // further header lines, without line ends
    bool announceLength = true;         // send Content-Length
    long long announcedLength = -1;     // the Content-Length to send instead of the body's size
    bool endHead = true;                // send the blank line that ends the head
    long resetAfter = -1;               // reset the connection after this many body bytes
    long stallAfter = -1;               // after this many body bytes send nothing more and keep
                                        // the connection open until the client goes away
    std::size_t splitHeadAfter = 0;     // send this many bytes of the head alone and the rest
                                        // after a pause, as a slow line delivers it in pieces
};

// The HTTP date of a Unix time ("Sun, 06 Nov 1994 08:49:37 GMT").
std::string httpDate(std::int64_t unixTime);

class HttpTestServer {
public:
    // Listens on address:port; port 0 lets the system choose. Only loopback addresses (127.x.y.z)
    // are taken. Check listening() afterwards.
    explicit HttpTestServer(unsigned short port = 0, const std::string& address = "127.0.0.1");
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool listening() const { return listener_ != kNoSocket; }
    unsigned short port() const { return port_; }
    const std::string& address() const { return address_; }
    // "http://<address>:<port>" followed by the path (without ":80" on port 80).
    std::string url(const std::string& path) const;

    // The answer for a path (the request target's path, without host and query).
    void setAnswer(const std::string& path, HttpAnswer answer);
    // A plain file answer: 200 with the body and the Last-Modified text.
    void serveText(const std::string& path, const std::string& body, const std::string& lastModified);
    // Paths without an answer of their own are looked up as files below this host folder, with
    // their modification time as Last-Modified; anything else is 404.
    void serveDirectory(const std::string& hostFolder);

    // Every request as received (request line, head and a body announced by Content-Length,
    // byte for byte), oldest first.
    std::vector<std::string> requests() const;
    void clearRequests();
    // Called on a connection thread with each request as it arrives.
    void onRequest(std::function<void(const std::string&)> observer);

private:
    using Socket = std::uintptr_t;
    static constexpr Socket kNoSocket = ~static_cast<Socket>(0);

    void acceptLoop();
    void serve(Socket client);
    bool answerFor(const std::string& path, HttpAnswer& answer) const;
    // Waits until the client closes the connection or the server stops.
    void holdUntilGone(Socket client);

    Socket listener_ = kNoSocket;
    unsigned short port_ = 0;
    std::string address_;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    std::map<std::string, HttpAnswer> answers_;
    std::string folder_;
    std::vector<std::string> requests_;
    std::vector<std::thread> connections_;
    std::function<void(const std::string&)> observer_;
};

// A listener whose queue of pending connections is full and that never accepts, so that a
// further connect to it gets no answer at all: the way a silent host looks to a client.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    bool ready() const { return ready_; }
    unsigned short port() const { return port_; }

private:
    std::uintptr_t listener_;
    std::vector<std::uintptr_t> fillers_;
    unsigned short port_ = 0;
    bool ready_ = false;
};

}  // namespace lumora_test
