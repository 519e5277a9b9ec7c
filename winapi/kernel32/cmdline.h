// The Windows command line on Linux: how a command line splits into arguments (the C runtime's
// rules) and how arguments join into one, and the environment variable that carries a command
// line verbatim from CreateProcessA to the child it started.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace winapi {

// "<pid, 10 digits> <command line>"; the child accepts it only when the pid is its own, so a
// grandchild started some other way never mistakes it for its own command line.
inline constexpr const char* kCommandLineVariable = "LUMORA_COMMAND_LINE";
inline constexpr size_t kCommandLinePidDigits = 10;

// Splits a command line as the Windows C runtime does for main(): the program name ends at the
// first blank outside quotes (no backslash escapes); arguments honour quotes, 2n backslashes
// before a quote give n backslashes, 2n+1 give n and a literal quote, and "" inside quotes is a
// literal quote. An unbalanced quote runs to the end of the line.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// Joins arguments so that splitCommandLine gives them back: arguments that are empty or contain
// blanks or quotes are quoted, with backslashes doubled where they precede a quote.
std::string joinCommandLine(const std::vector<std::string>& arguments);

}  // namespace winapi
