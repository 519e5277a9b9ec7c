// What the updater reads from the head of a server's answer: the status code of its status line,
// the Last-Modified text it keeps for the next conditional request, where the body begins and the
// announced length. The head comes from the network: every part found lies inside the block.
#pragma once

#include <cstddef>
#include <string_view>

struct ResponseHead {
    int status = 0;                // of the status line ("HTTP/1.0 200 OK"); 0 without one
    bool hasDate = false;
    std::string_view date;         // at most kResponseDateMax characters, inside the block
    bool complete = false;         // the blank line that ends the head arrived
    size_t bodyOffset = 0;         // where the body begins (only when complete)
    unsigned long long contentLength = 0;  // 0 when not announced
};

inline constexpr size_t kResponseDateMax = 255;

// Reads the received block. Only the status line tells the status (a header or an error page may
// hold any text); header names are matched in any case, as gateways may change it, and a value
// ends at a carriage return or a bare line feed, so nothing after either can ever become a header
// of the next request.
ResponseHead readResponseHead(std::string_view block);
