// Reading the updater's command line.
#include "update_command_line.h"

#include <cstdlib>
#include <cstring>

bool getOption(const char* commandLine, const char* option, char (&value)[kOptionSize]) {
    value[0] = '\0';
    if (!commandLine || !option) return false;
    const char* found = std::strstr(commandLine, option);
    if (!found) return false;
    const char* open = std::strchr(found + std::strlen(option), '"');
    if (!open) return false;
    const char* close = std::strchr(open + 1, '"');
    if (!close) return false;
    const size_t length = static_cast<size_t>(close - open - 1);
    if (length >= kOptionSize) return false;
    std::memcpy(value, open + 1, length);
    value[length] = '\0';
    return true;
}

void UpdateCommandLine::read(const char* commandLine) {
    getOption(commandLine, "-r", remote);
    getOption(commandLine, "-l", local);
    getOption(commandLine, "-s", startMessage);
    getOption(commandLine, "-e", endMessage);
    getOption(commandLine, "-f", failMessage);
    getOption(commandLine, "-i", identifier);
    getOption(commandLine, "-x", mode);
}

int UpdateCommandLine::modeNumber() const { return mode[0] ? std::atoi(mode) : 0; }

unsigned UpdateCommandLine::identifierNumber() const {
    return static_cast<unsigned>(std::strtoul(identifier, nullptr, 10));
}
