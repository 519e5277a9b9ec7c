// The updater's command line: options in any order, each an option letter pair followed by a
// value in double quotes (-r"http://host/file" -l"C:\dir\file" ...). The browser center writes
// it; values are at most 255 characters.
#pragma once

#include <cstddef>

inline constexpr size_t kOptionSize = 256;

// The text between the first two double quotes after the first occurrence of `option` (two
// characters) anywhere in `commandLine`, so an option inside an earlier value is found there.
// Empty when the option or either quote is missing or the value does not fit kOptionSize; returns
// whether a value was found.
bool getOption(const char* commandLine, const char* option, char (&value)[kOptionSize]);

struct UpdateCommandLine {
    char remote[kOptionSize];        // -r: remote URL (modes 0 to 2), source path (modes 3, 4)
    char local[kOptionSize];         // -l: local path (modes 0 to 2), destination (modes 3, 4)
    char startMessage[kOptionSize];  // -s: name of the start and progress message
    char endMessage[kOptionSize];    // -e
    char failMessage[kOptionSize];   // -f
    char identifier[kOptionSize];    // -i: decimal, the messages' first parameter
    char mode[kOptionSize];          // -x: decimal; empty or missing means 0

    void read(const char* commandLine);
    int modeNumber() const;
    unsigned identifierNumber() const;
};
