// The process environment, shared by the environment functions and process creation: the C
// library's environment is not safe against concurrent changes, so every access goes through here.
#pragma once

#include <string>
#include <vector>

namespace winapi {

// A copy of the environment as "NAME=value" entries (host text, UTF-8).
std::vector<std::string> environmentEntries();

}  // namespace winapi
