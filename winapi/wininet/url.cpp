// wininet: InternetCanonicalizeUrlA. Encoding escapes the characters a URL may not carry as they
// are (controls, blanks, bytes above 127, and " < > \ ^ ` { | }) and resolves "." and ".." path
// segments; decoding turns %XX escapes back into bytes. A text without a scheme is no URL.
#include <windows.h>
#include <wininet.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool hasScheme(const std::string& url) {
    const size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    if (!std::isalpha(static_cast<unsigned char>(url[0]))) return false;
    for (size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

bool unsafe(unsigned char c, bool spacesOnly) {
    if (spacesOnly) return c == ' ';
    return c <= 0x20 || c >= 0x7f || std::strchr("\"<>\\^`{|}", c) != nullptr;
}

// Resolves "." and ".." in the path of "scheme://host/path?query#fragment".
std::string removeDotSegments(const std::string& url) {
    const size_t authority = url.find("://");
    if (authority == std::string::npos) return url;
    const size_t pathStart = url.find('/', authority + 3);
    if (pathStart == std::string::npos) return url;
    const size_t pathEnd = url.find_first_of("?#", pathStart);
    const std::string path = url.substr(pathStart, pathEnd == std::string::npos ? std::string::npos : pathEnd - pathStart);
    std::vector<std::string> parts;
    size_t at = 1;
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            if (end == path.size()) parts.emplace_back();
        } else if (part == ".") {
            if (end == path.size()) parts.emplace_back();
        } else {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string resolved;
    for (const auto& part : parts) resolved += "/" + part;
    if (resolved.empty()) resolved = "/";
    return url.substr(0, pathStart) + resolved + (pathEnd == std::string::npos ? "" : url.substr(pathEnd));
}

}  // namespace

extern "C" BOOL WINAPI InternetCanonicalizeUrlA(LPCSTR lpszUrl, LPSTR lpszBuffer, LPDWORD lpdwBufferLength,
                                                DWORD dwFlags) {
    if (!lpszUrl || !lpdwBufferLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string url = lpszUrl;
    if (!hasScheme(url)) {
        SetLastError(ERROR_INTERNET_INVALID_URL);
        return FALSE;
    }
    if (!(dwFlags & ICU_NO_META)) url = removeDotSegments(url);
    std::string out;
    if (dwFlags & ICU_DECODE) {
        for (size_t i = 0; i < url.size(); ++i) {
            if (url[i] == '%' && i + 2 < url.size() && std::isxdigit(static_cast<unsigned char>(url[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(url[i + 2]))) {
                out += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += url[i];
            }
        }
        url = out;
        out.clear();
    }
    if (dwFlags & ICU_NO_ENCODE) {
        out = url;
    } else {
        static const char kHex[] = "0123456789ABCDEF";
        for (const char ch : url) {
            const unsigned char c = static_cast<unsigned char>(ch);
            if (unsafe(c, (dwFlags & ICU_ENCODE_SPACES_ONLY) != 0)) {
                out += '%';
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    if (!lpszBuffer || *lpdwBufferLength <= out.size()) {
        *lpdwBufferLength = static_cast<DWORD>(out.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpszBuffer, out.c_str(), out.size() + 1);
    *lpdwBufferLength = static_cast<DWORD>(out.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
