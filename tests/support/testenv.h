// Helpers shared by the test binaries of both targets. On Linux every test process gets a prefix
// of its own (a fresh emulated machine); under Wine the tests share the run's Wine prefix, so they
// name their keys and folders uniquely.
#pragma once

#include <string>

namespace lumora_test {

// A registry key path unique to this call, under "Software\LumoraTests".
std::string uniqueKey(const char* hint = "k");

// A new empty folder unique to this call, with a trailing separator, written the way the system
// writes paths (backslashes). Created with the C library, so it exists on both targets.
std::string scratchDir();

// The folder of the running test binary, with a trailing separator.
std::string binaryDir();

// The host (Linux) or Windows path of a program or library built beside the test binary.
std::string builtProgram(const char* baseName);

// True on the Linux target, where the prefix is the project's own.
bool onLinux();

}  // namespace lumora_test
