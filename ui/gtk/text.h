// Texts and addresses crossing the GTK and WebKit boundary: the system speaks Windows-1252 and
// Windows paths, the widgets UTF-8 and URIs.
#pragma once

#include <string>

namespace ui::gtk {

std::string toUtf8(const std::string& ansi);
// Characters without a Windows-1252 form become "?".
std::string toAnsi(const std::string& utf8);
// What a pane loads for an address of the system: URLs as they are (a decoded file URL encoded
// again), host file paths (with either slash) and Windows paths of the prefix ("C:\...") as file
// URIs, an empty address as the blank page, a bare host name as an http URL.
std::string toUri(const std::string& address);
// The address of a pane as the system compares it with its own paths: a file URL with its
// escapes decoded into Windows-1252 ("file:///x/M\xfcll dir/a.htm"), so that the folder of a
// path is found in it; other URLs as they are.
std::string fromUri(const char* uri);
// A path of the system (either slash) as a host path.
std::string hostPath(const std::string& path);

}  // namespace ui::gtk
