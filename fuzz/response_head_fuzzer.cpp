// Fuzzes the head of a server's answer as the updater reads it: everything it takes from the head
// lies inside what arrived, a status comes only from a status line, the date never carries a line
// end into the next request, the body starts after the blank line, and an announced length that
// is a plain number is read as that number.
#include "fuzz_check.h"
#include "response_head.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view block(reinterpret_cast<const char*>(data), size);
    const ResponseHead head = readResponseHead(block);

    FUZZ_CHECK(head.status >= 0 && head.status <= 999);
    if (head.status != 0) FUZZ_CHECK(block.substr(0, 5) == "HTTP/");
    if (head.hasDate) {
        FUZZ_CHECK(head.date.data() >= block.data() &&
                   head.date.data() + head.date.size() <= block.data() + block.size());
        FUZZ_CHECK(head.date.size() <= kResponseDateMax);
        FUZZ_CHECK(head.date.find_first_of("\r\n") == std::string_view::npos);
    }
    FUZZ_CHECK(head.complete == (block.find("\r\n\r\n") != std::string_view::npos));
    if (head.complete) {
        FUZZ_CHECK(head.bodyOffset >= 4 && head.bodyOffset <= block.size());
        FUZZ_CHECK(block.substr(head.bodyOffset - 4, 4) == "\r\n\r\n");
    }

    // A head whose only header is a plain length: the length is that number.
    constexpr std::string_view kPlain = "HTTP/1.0 200 OK\r\nContent-Length: ";
    if (block.substr(0, kPlain.size()) != kPlain) return 0;
    const std::string_view rest = block.substr(kPlain.size());
    size_t count = 0;
    while (count < rest.size() && rest[count] >= '0' && rest[count] <= '9') ++count;
    if (count > 0 && count <= 19 && rest.substr(count, 4) == "\r\n\r\n") {
        unsigned long long expected = 0;
        for (size_t i = 0; i < count; ++i) expected = expected * 10 + static_cast<unsigned>(rest[i] - '0');
        FUZZ_CHECK(head.status == 200 && head.complete);
        FUZZ_CHECK(head.contentLength == expected);
    }
    return 0;
}
