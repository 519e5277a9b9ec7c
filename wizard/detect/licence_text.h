// The licence page's text: the configured licence file read whole, whatever its size, with its
// line ends made the carriage return and line feed a multi-line edit control breaks lines at.
#pragma once

#include <cstddef>
#include <string>

// Licence files beyond this size are cut here (a text this long is not a licence anyone reads,
// and the edit control would hold it all in memory).
inline constexpr std::size_t kLicenceTextLimit = 4 * 1024 * 1024;

// False when the file cannot be opened; `text` is then empty.
bool readLicenceText(const char* fileName, std::string& text);
