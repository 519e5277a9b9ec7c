// Reading the head of a server's answer to the updater.
#include "response_head.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

int statusCode(std::string_view block) {
    const std::string_view line = block.substr(0, block.find_first_of("\r\n"));
    if (line.substr(0, 5) != "HTTP/") return 0;
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos || line.size() < blank + 4) return 0;
    int code = 0;
    for (const char c : line.substr(blank + 1, 3)) {
        if (c < '0' || c > '9') return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}

bool headerValue(std::string_view head, std::string_view name, std::string_view& value) {
    for (size_t at = head.find('\n'); at != std::string_view::npos; at = head.find('\n', at + 1)) {
        const std::string_view line = head.substr(at + 1, head.find_first_of("\r\n", at + 1) - at - 1);
        if (line.size() <= name.size() || line[name.size()] != ':') continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(line[i])) ==
                   std::tolower(static_cast<unsigned char>(name[i]));
        if (!same) continue;
        std::string_view text = line.substr(name.size() + 1);
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
        value = text;
        return true;
    }
    return false;
}

}  // namespace

ResponseHead readResponseHead(std::string_view block) {
    ResponseHead head;
    head.status = statusCode(block);
    const size_t headEnd = block.find("\r\n\r\n");
    if (headEnd != std::string_view::npos) {
        head.complete = true;
        head.bodyOffset = headEnd + 4;
    }
    const std::string_view lines = block.substr(0, headEnd);
    if (std::string_view date; headerValue(lines, "Last-Modified", date)) {
        head.hasDate = true;
        head.date = date.substr(0, kResponseDateMax);
    }
    if (std::string_view length; headerValue(lines, "Content-Length", length)) {
        char digits[24] = {};
        length.copy(digits, sizeof digits - 1);
        head.contentLength = std::strtoull(digits, nullptr, 10);
    }
    return head;
}
