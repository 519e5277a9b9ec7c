// pollex: a minimal scripting host that loads extender libraries and runs a small line-oriented
// script of their words. It stands in for the real scripting host, which is not part of this
// system; it speaks only the extender entry protocol: the table query with its version words,
// the description, one entry call per use of a word, and the result callback.
//
//   pollex SCRIPT [NAME=VALUE...]      run a script with these variables set (README: "pollex")
//   pollex --call LIB WORD [ARG...]    load LIB and call one word with up to five arguments
//
// Every callback is printed to standard error as "callback status=S type=T number=N text=X".
#include <windows.h>

#include "extender_protocol.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Entry = LONG(WINAPI*)(HWND, DWORD_PTR, DWORD_PTR, DWORD, PXLCALLBACK, DWORD_PTR, PXLHostBuffer*, LPSTR, LPSTR,
                            LPSTR, LPSTR, LPSTR);

// The host's version words, as the table query hands them to an extender.
const char* const kHostVersion = "2600";
const char* const kHostName = "pollex";

struct Word {
    Entry entry;
    PXLTableRecord row;
};

struct Result {
    bool called = false;
    LONG status = 0;
    DWORD type = 0;
    LONG number = 0;
    std::string text;
};

std::map<std::string, Word> words;  // by lower-case name
PXLHostBuffer hostBuffer{nullptr, 0};
std::vector<char> bufferStorage;

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

LONG WINAPI onResult(LONG status, DWORD_PTR contextA, DWORD_PTR contextB, DWORD type, LONG number, LPCSTR text) {
    (void)contextB;
    auto* result = reinterpret_cast<Result*>(contextA);
    result->called = true;
    result->status = status;
    result->type = type;
    result->number = number;
    result->text = text ? text : "";
    std::fprintf(stderr, "callback status=%ld type=%lu number=%ld text=%s\n", static_cast<long>(status),
                 static_cast<unsigned long>(type), static_cast<long>(number), text ? text : "(null)");
    return status < 0 ? 0 : 1;
}

// Loads an extender and learns its words; false with a message on standard error.
bool loadExtender(const std::string& path, const char* entryName) {
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library) {
        std::fprintf(stderr, "pollex: cannot load %s (error %lu)\n", path.c_str(), static_cast<unsigned long>(GetLastError()));
        return false;
    }
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, entryName)));
    if (!entry) {
        std::fprintf(stderr, "pollex: %s has no entry %s\n", path.c_str(), entryName);
        return false;
    }
    Result ignored;
    char index[16];
    size_t count = 0;
    for (int i = 0;; ++i) {
        PXLTableRecord record{};
        std::snprintf(index, sizeof index, "%d", i);
        char version[8], name[8], empty[1] = "";
        std::strcpy(version, kHostVersion);
        std::strcpy(name, kHostName);
        if (entry(nullptr, 0, reinterpret_cast<DWORD_PTR>(&ignored), kTableQuery, &onResult, 0, &hostBuffer,
                  reinterpret_cast<LPSTR>(&record), index, version, name, empty) != 1)
            break;
        words[lower(std::string(record.name, record.nameLength))] = Word{entry, record};
        ++count;
    }
    char description[256] = "";
    char room[8] = "256";
    entry(nullptr, 0, reinterpret_cast<DWORD_PTR>(&ignored), kDescription, &onResult, 0, &hostBuffer, description, room,
          nullptr, nullptr, nullptr);
    std::fprintf(stderr, "pollex: loaded %s: \"%s\", %zu words\n", path.c_str(), description, count);
    return true;
}

// Calls a word; a constant is answered from the table without calling the extender.
Result callWord(const std::string& name, std::vector<std::string> args, LONG& entryReturn) {
    Result result;
    auto found = words.find(lower(name));
    if (found == words.end()) {
        result.called = true;
        result.status = -1;
        result.type = 1;
        result.text = "pollex: unknown word " + name;
        return result;
    }
    const Word& word = found->second;
    if (word.row.kind == kConstantWord) {
        result.called = true;
        result.number = static_cast<LONG>(word.row.argWord & 0xffff);
        return result;
    }
    // A constant's name as an argument stands for its value.
    for (auto& arg : args) {
        auto constant = arg.size() > 1 && arg[0] == '@' ? words.find(lower(arg)) : words.end();
        if (constant != words.end() && constant->second.row.kind == kConstantWord)
            arg = std::to_string(constant->second.row.argWord & 0xffff);
    }
    args.resize(5);
    entryReturn = word.entry(nullptr, 0, reinterpret_cast<DWORD_PTR>(&result), word.row.id, &onResult, 0, &hostBuffer,
                             args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data());
    return result;
}

std::string resultText(const Result& result) {
    return result.type == 0 ? std::to_string(result.number) : result.text;
}

// Splits a script line into tokens: blanks separate, double quotes group (with \" \\ \t \n
// \r escapes), $NAME and ${NAME} are replaced by variables.
bool tokenize(const std::string& line, const std::map<std::string, std::string>& variables,
              std::vector<std::string>& tokens, std::string& problem) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i >= line.size() || line[i] == '#') break;
        std::string token;
        bool quoted = false;
        while (i < line.size() && (quoted || !std::isspace(static_cast<unsigned char>(line[i])))) {
            const char c = line[i];
            if (c == '"') {
                quoted = !quoted;
                ++i;
            } else if (c == '\\' && quoted && i + 1 < line.size()) {
                const char e = line[i + 1];
                token += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
                i += 2;
            } else if (c == '$' && i + 1 < line.size() && (line[i + 1] == '{' || std::isalpha(static_cast<unsigned char>(line[i + 1])) || line[i + 1] == '_')) {
                size_t start = i + 1, end;
                if (line[start] == '{') {
                    end = line.find('}', start);
                    if (end == std::string::npos) {
                        problem = "unclosed ${";
                        return false;
                    }
                    i = end + 1;
                    ++start;
                } else {
                    end = start;
                    while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '_')) ++end;
                    i = end;
                }
                const std::string name = line.substr(start, end - start);
                auto value = variables.find(name);
                if (value == variables.end()) {
                    problem = "unknown variable " + name;
                    return false;
                }
                token += value->second;
            } else {
                token += c;
                ++i;
            }
        }
        if (quoted) {
            problem = "unclosed quote";
            return false;
        }
        tokens.push_back(token);
    }
    return true;
}

int runScript(const char* path, const char* entryName, std::map<std::string, std::string> variables) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "pollex: cannot read %s\n", path);
        return 2;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> tokens;
        std::string problem;
        if (!tokenize(line, variables, tokens, problem)) {
            std::fprintf(stderr, "%s:%d: %s\n", path, number, problem.c_str());
            return 2;
        }
        if (tokens.empty()) continue;
        const std::string command = lower(tokens[0]);
        if (command == "load" && tokens.size() == 2) {
            if (!loadExtender(tokens[1], entryName)) return 2;
        } else if (command == "print") {
            std::string text;
            for (size_t t = 1; t < tokens.size(); ++t) text += (t > 1 ? " " : "") + tokens[t];
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
        } else if (command == "set" && tokens.size() >= 2) {
            std::string text;
            for (size_t t = 2; t < tokens.size(); ++t) text += (t > 2 ? " " : "") + tokens[t];
            variables[tokens[1]] = text;
        } else if (command == "buffer" && tokens.size() == 3) {
            const long long size = parseNumber(tokens[2].c_str());
            if (size <= 0 || size > (1LL << 30) || hostBuffer.base) {
                std::fprintf(stderr, "%s:%d: one buffer of 1 byte to 1 GiB per script\n", path, number);
                return 2;
            }
            bufferStorage.assign(static_cast<size_t>(size), '\0');
            hostBuffer = PXLHostBuffer{bufferStorage.data(), static_cast<DWORD_PTR>(size)};
            variables[tokens[1]] = std::to_string(reinterpret_cast<DWORD_PTR>(hostBuffer.base));
        } else {
            // [try] [NAME =] WORD ARG...
            bool tolerate = false;
            size_t at = 0;
            if (command == "try") {
                tolerate = true;
                ++at;
            }
            std::string target;
            if (tokens.size() > at + 2 && tokens[at + 1] == "=") {
                target = tokens[at];
                at += 2;
            }
            if (at >= tokens.size()) {
                std::fprintf(stderr, "%s:%d: no word to call\n", path, number);
                return 2;
            }
            if (tokens.size() - at - 1 > 5) {
                std::fprintf(stderr, "%s:%d: at most five arguments\n", path, number);
                return 2;
            }
            LONG entryReturn = 0;
            const Result result = callWord(tokens[at], {tokens.begin() + static_cast<long>(at) + 1, tokens.end()}, entryReturn);
            if (!result.called) {
                std::fprintf(stderr, "%s:%d: %s returned %ld without an answer\n", path, number, tokens[at].c_str(),
                             static_cast<long>(entryReturn));
                if (!tolerate) return 1;
                if (!target.empty()) variables[target] = "STATUS " + std::to_string(entryReturn);
                continue;
            }
            if (result.status < 0) {
                if (!tolerate) {
                    std::fprintf(stderr, "%s:%d: %s failed with status %ld: %s\n", path, number, tokens[at].c_str(),
                                 static_cast<long>(result.status), result.text.c_str());
                    return 1;
                }
                if (!target.empty()) variables[target] = "ERROR " + std::to_string(result.status) + " " + result.text;
                continue;
            }
            if (!target.empty()) variables[target] = resultText(result);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--call") == 0 && argc <= 9) {
        if (!loadExtender(argv[2], PXL_ENTRY_NAME)) return 2;
        LONG entryReturn = 0;
        const Result result = callWord(argv[3], std::vector<std::string>(argv + 4, argv + argc), entryReturn);
        if (!result.called) {
            std::printf("no answer, entry returned %ld\n", static_cast<long>(entryReturn));
            return 1;
        }
        std::printf("%s\n", result.status < 0 ? result.text.c_str() : resultText(result).c_str());
        return result.status < 0 ? 1 : 0;
    }
    if (argc >= 2 && argv[1][0] != '-') {
        std::map<std::string, std::string> variables;
        for (int i = 2; i < argc; ++i) {
            const char* equals = std::strchr(argv[i], '=');
            if (!equals || equals == argv[i]) {
                std::fprintf(stderr, "pollex: %s is not NAME=VALUE\n", argv[i]);
                return 2;
            }
            variables[std::string(argv[i], static_cast<size_t>(equals - argv[i]))] = equals + 1;
        }
        return runScript(argv[1], PXL_ENTRY_NAME, std::move(variables));
    }
    std::fprintf(stderr,
                 "usage: pollex SCRIPT [NAME=VALUE...]\n"
                 "       pollex --call LIBRARY WORD [ARG...]   (up to five arguments)\n");
    return 2;
}
