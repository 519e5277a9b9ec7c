// Comparing the address a pane shows with a page the program knows: file paths and URLs are
// written with either slash, in any case, with blanks as %20 or as they are.
#pragma once

#include <string>

// Longest text urlContains accepts on either side; a longer text never matches.
inline constexpr size_t kUrlCompareMax = 1023;

// True when `url` contains `part` after both were lower-cased and had their backslashes turned
// into slashes, and every "%20" of `url` became a blank. A null text never matches; an empty
// text matches only another empty one.
bool urlContains(const char* url, const char* part);

// Replaces the first occurrence of `pattern` in `text`, again and again until none is left.
// Refuses (returns false, text unchanged) an empty pattern or a replacement that contains the
// pattern, which would never end.
bool replaceText(std::string& text, const std::string& pattern, const std::string& replacement);
