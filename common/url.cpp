// URL comparison.
#include "url.h"

#include <cstring>

#include "text.h"

namespace {

std::string comparable(const char* text) {
    std::string out = lowerText(text);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

}  // namespace

bool replaceText(std::string& text, const std::string& pattern, const std::string& replacement) {
    if (pattern.empty() || replacement.find(pattern) != std::string::npos) return false;
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern))
        text.replace(at, pattern.size(), replacement);
    return true;
}

bool urlContains(const char* url, const char* part) {
    if (!url || !part) return false;
    size_t urlLength = std::strlen(url);
    size_t partLength = std::strlen(part);
    if (urlLength > kUrlCompareMax || partLength > kUrlCompareMax) return false;
    if (urlLength == 0 || partLength == 0) return urlLength == partLength;
    std::string haystack = comparable(url);
    replaceText(haystack, "%20", " ");
    return haystack.find(comparable(part)) != std::string::npos;
}
