// The text format of string tables: UTF-8 lines `ID = "text"` with # comments, C-style escapes
// (\\ \" \n \r \t, \xHH for a Windows-1252 byte) and ids from 0 to 65535. scripts/strtable.py
// turns the build-time tables into code; this reads the "<program>.strings" files with which a
// Linux deployment overrides entries.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace winapi {

struct StringSourceError {
    int line;
    std::string message;
};

// The entries of a table source, in Windows-1252. Lines with errors (malformed, a duplicate id,
// a character without a Windows-1252 form) are left out and listed in `errors`.
std::map<uint16_t, std::string> parseStringSource(std::string_view utf8,
                                                  std::vector<StringSourceError>& errors);

}  // namespace winapi
