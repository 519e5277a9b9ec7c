// The text of a signup file before it is applied: the checks that keep a file that is not one
// from being applied, the line-end rule of its working copy, and the raw sections (bookmarks,
// preferences) that are cut out of it as they stand.
#pragma once

#include <cstddef>
#include <string>

// Signup files are a few kilobytes; anything past this is not one.
inline constexpr size_t kMaxSignupFileSize = 1024 * 1024;

// Empty when the bytes can be a signup file; else why not (too large, binary content).
std::string signupTextProblem(const std::string& bytes);

// Line ends as the profile reader needs them: unless the file has as many CR as LF characters,
// every CR is dropped and every LF becomes CR LF.
std::string normaliseLineEnds(const std::string& bytes);

// The text after the first occurrence of `header` ("[Bookmark]") anywhere in the text, from the
// line break that follows it up to (without) the CR LF before the next "[" that begins a line,
// or to the end; empty when the header is missing.
std::string rawSection(const std::string& text, const char* header);
