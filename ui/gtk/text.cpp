// Texts and addresses crossing the GTK and WebKit boundary.
#include "text.h"

#include <glib.h>

#include <algorithm>

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

std::string toUri(const std::string& address) {
    if (address.empty()) return "about:blank";
    std::string text = toUtf8(address);
    if (hasScheme(text)) return text;
    if (text.front() == '/' || text.front() == '\\') {
        std::string path = hostPath(text);
        // A page address may carry an anchor or a query after the file name.
        size_t tail = path.find_first_of("#?");
        std::string file = path.substr(0, tail);
        gchar* uri = g_filename_to_uri(file.c_str(), nullptr, nullptr);
        if (!uri) return "about:blank";
        std::string result = uri;
        g_free(uri);
        if (tail != std::string::npos) result += path.substr(tail);
        return result;
    }
    return "http://" + text;
}

}  // namespace ui::gtk
