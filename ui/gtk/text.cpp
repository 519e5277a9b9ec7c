// Texts and addresses crossing the GTK and WebKit boundary.
#include "text.h"

#include <glib.h>

#include <windows.h>

#include <algorithm>

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

bool hasScheme(const std::string& address) {
    size_t colon = address.find(':');
    if (colon == std::string::npos || colon < 2) return false;  // "c:" is a drive
    return std::all_of(address.begin(), address.begin() + static_cast<long>(colon),
                       [](char c) { return g_ascii_isalnum(c) || c == '+' || c == '-' || c == '.'; });
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

std::string fromUri(const char* uri) {
    if (!uri) return std::string();
    if (!isFileUrl(uri)) return toAnsi(uri);
    gchar* decoded = g_uri_unescape_string(uri, nullptr);
    if (!decoded) return toAnsi(uri);
    std::string text = toAnsi(decoded);
    g_free(decoded);
    return text;
}

}  // namespace ui::gtk
