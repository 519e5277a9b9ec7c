// Step-by-step libcurl transfers (see transfer.h).
#include "transfer.h"

#include <cstring>

namespace wininet {
namespace {
// How much received data may wait for the reader before the download is paused.
constexpr size_t kInboxLimit = 1024 * 1024;
// How much written data may wait before InternetWriteFile sends it.
constexpr size_t kOutboxLimit = 256 * 1024;
}  // namespace

Transfer::Transfer(CURL* easy, bool upload, bool ascii)
    : easy_(easy), multi_(curl_multi_init()), upload_(upload), ascii_(ascii) {
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    if (upload_) {
        curl_easy_setopt(easy_, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &Transfer::onUpload);
        curl_easy_setopt(easy_, CURLOPT_READDATA, this);
    }
    curl_multi_add_handle(multi_, easy_);
}

Transfer::~Transfer() {
    curl_multi_remove_handle(multi_, easy_);
    curl_easy_cleanup(easy_);
    curl_multi_cleanup(multi_);
}

size_t Transfer::onBody(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t n = size * count;
    t->headDone_ = true;
    if (t->inbox_.size() - t->inboxStart_ >= kInboxLimit) {
        t->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (t->inboxStart_ > 0 && t->inboxStart_ == t->inbox_.size()) {
        t->inbox_.clear();
        t->inboxStart_ = 0;
    }
    if (t->ascii_) t->downloadLineEnds_.convert(data, n, t->inbox_);
    else t->inbox_.append(data, n);
    return n;
}

size_t Transfer::onHeader(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    // Every response (a redirect's, an interim one's) starts a new head; the last one counts.
    if (line.compare(0, 5, "HTTP/") == 0) t->head_.clear();
    if (!line.empty()) t->head_.push_back(std::move(line));
    return size * count;
}

size_t Transfer::onUpload(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    if (t->outbox_.empty()) {
        if (t->uploadEnded_) return t->ascii_ ? t->uploadLineEnds_.convert(nullptr, 0, true, data) : 0;
        t->paused_ = true;
        return CURL_READFUNC_PAUSE;
    }
    if (t->ascii_) {
        // One byte of room stays free for a CR held back from the last block.
        const size_t take = std::min(size * count > 1 ? size * count - 1 : 1, t->outbox_.size());
        const size_t n = t->uploadLineEnds_.convert(t->outbox_.data(), take, false, data);
        t->outbox_.erase(0, take);
        if (n > 0) return n;
        // Only a held-back CR: nothing to send until more data or the end comes.
        t->paused_ = true;
        return CURL_READFUNC_PAUSE;
    }
    const size_t n = std::min(size * count, t->outbox_.size());
    std::memcpy(data, t->outbox_.data(), n);
    t->outbox_.erase(0, n);
    return n;
}

void Transfer::step() {
    if (done_) return;
    if (paused_) {
        paused_ = false;
        curl_easy_pause(easy_, CURLPAUSE_CONT);
    }
    int running = 0;
    curl_multi_perform(multi_, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg == CURLMSG_DONE) {
            done_ = true;
            result_ = message->data.result;
        }
    }
    if (!done_ && running > 0 && !paused_) curl_multi_poll(multi_, nullptr, 0, 200, nullptr);
}

bool Transfer::waitForHead() {
    // An upload's head only comes after its body, so it counts as ready once it runs.
    while (!done_ && !headDone_ && !upload_) step();
    return !done_ || result_ == CURLE_OK;
}

bool Transfer::read(char* buffer, size_t size, size_t& got) {
    got = 0;
    while (inbox_.size() == inboxStart_ && !done_) {
        step();
    }
    const size_t n = std::min(size, inbox_.size() - inboxStart_);
    std::memcpy(buffer, inbox_.data() + inboxStart_, n);
    inboxStart_ += n;
    got = n;
    if (n == 0) return result_ == CURLE_OK;
    return true;
}

bool Transfer::write(const char* data, size_t size) {
    if (done_) return false;
    outbox_.append(data, size);
    while (!done_ && outbox_.size() >= kOutboxLimit) step();
    return !done_ || result_ == CURLE_OK;
}

bool Transfer::finish() {
    uploadEnded_ = true;
    if (!upload_) {
        // A download abandoned before its end is cut off, as closing the handle does on Windows.
        return done_ ? result_ == CURLE_OK : true;
    }
    while (!done_) step();
    return result_ == CURLE_OK;
}

}  // namespace wininet
