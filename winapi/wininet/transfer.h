// One libcurl transfer driven step by step from the caller's thread, so that InternetReadFile and
// InternetWriteFile hand data over as it comes: a download is paused while a bounded amount is
// waiting to be read, an upload while nothing waits to be sent. Memory stays bounded whatever the
// size of the file.
#pragma once

#include <curl/curl.h>

#include "line_ends.h"

#include <string>
#include <vector>

namespace wininet {

class Transfer {
public:
    // Takes ownership of `easy`; `upload` makes it read its body from write(); `ascii` keeps the
    // line ends of an ASCII FTP transfer as WinInet has them.
    Transfer(CURL* easy, bool upload, bool ascii = false);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Runs until the response head is in (or the transfer ended). False when it failed.
    bool waitForHead();
    // Up to `size` bytes of the body; 0 with true at its end; false on failure.
    bool read(char* buffer, size_t size, size_t& got);
    // Queues data for an upload and sends what it can.
    bool write(const char* data, size_t size);
    // Ends an upload (or abandons a download) and waits for the transfer's end.
    bool finish();

    CURL* easy() const { return easy_; }
    bool done() const { return done_; }
    CURLcode result() const { return result_; }
    // The final response's head lines (status line first), without line ends.
    const std::vector<std::string>& head() const { return head_; }

private:
    static size_t onBody(char* data, size_t size, size_t count, void* self);
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onUpload(char* data, size_t size, size_t count, void* self);
    // One round of work; false when nothing can happen any more.
    void step();

    CURL* easy_;
    CURLM* multi_;
    bool upload_;
    bool ascii_;
    AsciiDownload downloadLineEnds_;
    AsciiUpload uploadLineEnds_;
    bool done_ = false;
    bool paused_ = false;
    bool headDone_ = false;
    bool uploadEnded_ = false;
    CURLcode result_ = CURLE_OK;
    std::string inbox_;      // received, not yet read
    size_t inboxStart_ = 0;
    std::string outbox_;     // written, not yet sent
    std::vector<std::string> head_;
};

}  // namespace wininet
