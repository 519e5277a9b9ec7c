// Checks and cuts on the text of a signup file.
#include "signup_text.h"

#include <cstring>

std::string signupTextProblem(const std::string& bytes) {
    if (bytes.size() > kMaxSignupFileSize) return "larger than 1 MiB";
    for (unsigned char c : bytes) {
        // Tab, line ends, form feed and the old end-of-file mark are text; other control bytes
        // (a NUL above all) mean a program, an archive or a picture.
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != 0x1a)
            return "binary content";
    }
    return "";
}

std::string normaliseLineEnds(const std::string& bytes) {
    size_t cr = 0, lf = 0;
    for (char c : bytes) {
        if (c == '\r') ++cr;
        if (c == '\n') ++lf;
    }
    if (cr == lf) return bytes;
    std::string out;
    out.reserve(bytes.size() + lf);
    for (char c : bytes) {
        if (c == '\r') continue;
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string rawSection(const std::string& text, const char* header) {
    const size_t at = text.find(header);
    if (at == std::string::npos) return "";
    const size_t start = at + std::strlen(header);
    const size_t end = text.find("\r\n[", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
