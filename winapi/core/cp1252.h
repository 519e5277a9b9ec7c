// Windows-1252 <-> UTF-8. Texts inside the system are Windows-1252 bytes; the Linux side (file
// names, GTK, D-Bus, string table sources) speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace winapi {

std::string cp1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 form become '?'; invalid UTF-8 bytes are taken as Latin-1.
std::string utf8ToCp1252(std::string_view text);

// Letter case of Windows-1252 text, as Windows' ANSI functions fold it (A-Z and the accented
// letters À-Þ except ×; š, œ, ž, ÿ).
char cp1252Lower(char c);
std::string cp1252Lower(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace winapi
