// Texts and addresses crossing the GTK and WebKit boundary.
#include "text.h"

#include <glib.h>

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "paths.h"

namespace ui::gtk {

namespace {

std::string converted(const std::string& text, const char* to, const char* from) {
    gsize written = 0;
    gchar* out = g_convert_with_fallback(text.data(), static_cast<gssize>(text.size()), to, from,
                                         "?", nullptr, &written, nullptr);
    if (!out) return text;
    std::string result(out, written);
    g_free(out);
    return result;
}

// A scheme begins with a letter ("127.0.0.1:8080" has none), and a host's port after the colon
// ("www.example.com:8080/x") is no scheme either: such addresses are completed to web addresses.
bool hasScheme(const std::string& address) {
    size_t colon = address.find(':');
    if (colon == std::string::npos || colon < 2) return false;  // "c:" is a drive
    if (!g_ascii_isalpha(address[0])) return false;
    if (!std::all_of(address.begin(), address.begin() + static_cast<long>(colon),
                     [](char c) { return g_ascii_isalnum(c) || c == '+' || c == '-' || c == '.'; }))
        return false;
    const size_t end = address.find_first_of("/?#", colon + 1);
    const std::string after = address.substr(colon + 1, end == std::string::npos ? end : end - colon - 1);
    return after.empty() || !std::all_of(after.begin(), after.end(),
                                         [](char c) { return g_ascii_isdigit(c); });
}

}  // namespace

std::string toUtf8(const std::string& ansi) { return converted(ansi, "UTF-8", "WINDOWS-1252"); }

std::string toAnsi(const std::string& utf8) { return converted(utf8, "WINDOWS-1252", "UTF-8"); }

std::string hostPath(const std::string& path) {
    std::string host = path;
    std::replace(host.begin(), host.end(), '\\', '/');
    return host;
}

namespace {

// A file URI of a host file name (UTF-8), with an anchor or query after it kept as it is.
std::string fileUri(const std::string& path) {
    const size_t tail = path.find_first_of("#?");
    gchar* uri = g_filename_to_uri(path.substr(0, tail).c_str(), nullptr, nullptr);
    if (!uri) return "about:blank";
    std::string result = uri;
    g_free(uri);
    if (tail != std::string::npos) result += path.substr(tail);
    return result;
}

bool isDrivePath(const std::string& address) {
    return address.size() > 2 && g_ascii_isalpha(address[0]) && address[1] == ':' &&
           (address[2] == '\\' || address[2] == '/');
}

bool isFileUrl(const std::string& address) {
    return g_ascii_strncasecmp(address.c_str(), "file:", 5) == 0;
}

}  // namespace

std::string toUri(const std::string& address) {
    if (address.empty()) return "about:blank";
    if (isDrivePath(address)) {
        // A Windows path of the prefix: the drive is a folder of the host.
        const size_t tail = address.find_first_of("#?");
        std::string host;
        if (winapi::toHostPath(address.substr(0, tail).c_str(), host) != ERROR_SUCCESS)
            return "about:blank";
        return fileUri(host + (tail == std::string::npos ? std::string()
                                                         : toUtf8(address.substr(tail))));
    }
    std::string text = toUtf8(address);
    // A file URL as fromUri gave it (decoded) is encoded again; one with escapes is already a URI.
    if (isFileUrl(text) && text.find('%') == std::string::npos && text.compare(5, 2, "//") == 0)
        return fileUri(hostPath(text.substr(7)));
    if (hasScheme(text)) return text;
    if (text.front() == '/' || text.front() == '\\') return fileUri(hostPath(text));
    return "http://" + text;
}

namespace {

// The URI with its escapes decoded (each %XX one byte of UTF-8), except "%23".
std::string unescapedKeepingHash(const std::string& uri) {
    std::string text;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && g_ascii_isxdigit(uri[i + 1]) &&
            g_ascii_isxdigit(uri[i + 2]) && uri.compare(i, 3, "%23") != 0) {
            text += static_cast<char>(g_ascii_xdigit_value(uri[i + 1]) * 16 +
                                      g_ascii_xdigit_value(uri[i + 2]));
            i += 2;
        } else {
            text += uri[i];
        }
    }
    return text;
}

}  // namespace

std::string fromUri(const char* uri) {
    if (!uri) return std::string();
    // The pages' commands are read from the address as written: the engine escapes braces and
    // blanks of a command in a page on the web as much as in a file.
    if (!isFileUrl(uri) && !std::strstr(uri, "OLECMDID_")) return toAnsi(uri);
    return toAnsi(unescapedKeepingHash(uri));
}

}  // namespace ui::gtk
