// Small text helpers shared by the programs: Windows-1252 letter case, as the system's ANSI
// functions fold it, and bounded copies into the fixed buffers the programs use.
#pragma once

#include <cstddef>
#include <string>

// Lower case of one Windows-1252 character (A-Z, the accented capitals except the multiplication
// sign, and the four capitals of the 0x80 block).
char lowerChar(char c);

// The text in lower case.
std::string lowerText(const std::string& text);

// Copies text into a buffer of `size` bytes, always terminated. Returns false, leaving the
// buffer holding the cut text, when the text did not fit.
bool copyText(char* buffer, size_t size, const char* text);

// True when `text` begins with `head`, compared without regard to case.
bool startsWithNoCase(const char* text, const char* head);
