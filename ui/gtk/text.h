// Texts and addresses crossing the GTK and WebKit boundary: the system speaks Windows-1252 and
// Windows paths, the widgets UTF-8 and URIs.
#pragma once

#include <string>

namespace ui::gtk {

std::string toUtf8(const std::string& ansi);
// Characters without a Windows-1252 form become "?".
std::string toAnsi(const std::string& utf8);
// What a pane loads for an address of the system: URLs as they are, file paths (with either
// slash) as file URIs, an empty address as the blank page, a bare host name as an http URL.
std::string toUri(const std::string& address);
// A path of the system (either slash) as a host path.
std::string hostPath(const std::string& path);

}  // namespace ui::gtk
