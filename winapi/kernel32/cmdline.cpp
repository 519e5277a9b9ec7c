// The process's command line (GetCommandLineA) and the Windows rules for splitting and joining
// command lines.
#include "cmdline.h"

#include <windows.h>

#include "cp1252.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace winapi {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool needsQuotes(const std::string& argument) {
    return argument.empty() || argument.find_first_of(" \t\n\v\"") != std::string::npos;
}

void appendQuotedArgument(std::string& out, const std::string& argument) {
    if (!needsQuotes(argument)) {
        out += argument;
        return;
    }
    out += '"';
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are only special in front of a quote.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');  // the closing quote follows
    out += '"';
}

// The command line of a program started from a Linux shell: its arguments (UTF-8) joined.
std::string commandLineFromArguments() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    size_t pos = 0;
    while (pos < raw.size()) {
        size_t end = raw.find('\0', pos);
        if (end == std::string::npos) end = raw.size();
        arguments.push_back(utf8ToCp1252(std::string_view(raw).substr(pos, end - pos)));
        pos = end + 1;
    }
    return joinCommandLine(arguments);
}

// The command line CreateProcessA handed us, if this process is the one it was meant for. The
// variable is removed so that programs this process starts some other way do not inherit it.
bool takeHandedCommandLine(std::string& commandLine) {
    const char* value = std::getenv(kCommandLineVariable);
    if (!value) return false;
    std::string_view text(value);
    bool mine = false;
    if (text.size() > kCommandLinePidDigits && text[kCommandLinePidDigits] == ' ') {
        const std::string pid(text.substr(0, kCommandLinePidDigits));
        char* end = nullptr;
        const long parsed = std::strtol(pid.c_str(), &end, 10);
        mine = end && *end == '\0' && parsed == static_cast<long>(::getpid());
    }
    if (mine) commandLine.assign(text.substr(kCommandLinePidDigits + 1));
    ::unsetenv(kCommandLineVariable);
    return mine;
}

std::string& processCommandLine() {
    static std::string commandLine = [] {
        std::string handed;
        return takeHandedCommandLine(handed) ? handed : commandLineFromArguments();
    }();
    return commandLine;
}

// Taken while the process starts, before the program can change its environment or start others.
__attribute__((constructor)) void captureCommandLine() { processCommandLine(); }

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    size_t i = 0;
    const size_t n = line.size();

    // The program name: quotes group, nothing is escaped.
    std::string program;
    bool inQuotes = false;
    while (i < n && (inQuotes || !isBlank(line[i]))) {
        if (line[i] == '"') inQuotes = !inQuotes;
        else program += line[i];
        ++i;
    }
    if (n == 0) return arguments;
    arguments.push_back(std::move(program));

    inQuotes = false;
    for (;;) {
        while (i < n && isBlank(line[i])) ++i;
        if (i >= n) break;
        std::string argument;
        for (;;) {
            size_t backslashes = 0;
            while (i < n && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            bool copy = true;
            if (i < n && line[i] == '"') {
                if (backslashes % 2 == 0) {
                    if (inQuotes && i + 1 < n && line[i + 1] == '"') {
                        ++i;  // "" inside quotes: one literal quote
                    } else {
                        copy = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes /= 2;
            }
            argument.append(backslashes, '\\');
            if (i >= n || (!inQuotes && isBlank(line[i]))) break;
            if (copy) argument += line[i];
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string joinCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (size_t k = 0; k < arguments.size(); ++k) {
        if (k == 0) {
            // The program name knows no escapes; quotes only group.
            const bool quote = needsQuotes(arguments[0]);
            if (quote) line += '"';
            for (char c : arguments[0])
                if (c != '"') line += c;
            if (quote) line += '"';
            continue;
        }
        line += ' ';
        appendQuotedArgument(line, arguments[k]);
    }
    return line;
}

}  // namespace winapi

extern "C" LPSTR WINAPI GetCommandLineA(void) { return winapi::processCommandLine().data(); }
