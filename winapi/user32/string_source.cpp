// Reading the string table format; the rules are those of scripts/strtable.py.
#include "string_source.h"

#include "cp1252.h"

#include <optional>

namespace winapi {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

size_t skipBlanks(std::string_view line, size_t pos) {
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    return pos;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Appends UTF-8 text in Windows-1252; false when a character has no Windows-1252 form (or the
// text is not UTF-8), which the conversion there and back reveals.
bool appendCp1252(std::string& out, std::string_view utf8) {
    const std::string converted = utf8ToCp1252(utf8);
    if (cp1252ToUtf8(converted) != utf8) return false;
    out += converted;
    return true;
}

// One line that is not blank or a comment: its id and text, or an error message.
struct Entry {
    uint16_t id = 0;
    std::string text;
    std::string error;
};

Entry parseLine(std::string_view line) {
    Entry entry;
    size_t pos = skipBlanks(line, 0);
    const size_t digits = pos;
    unsigned long id = 0;
    for (; pos < line.size() && line[pos] >= '0' && line[pos] <= '9'; ++pos)
        if (id <= 65535) id = id * 10 + static_cast<unsigned long>(line[pos] - '0');
    pos = skipBlanks(line, pos);
    if (pos == digits || pos >= line.size() || line[pos] != '=') {
        entry.error = "expected a line of the form: ID = \"text\"";
        return entry;
    }
    if (id > 65535) {
        entry.error = "the id is above 65535";
        return entry;
    }
    pos = skipBlanks(line, pos + 1);
    if (pos >= line.size() || line[pos] != '"') {
        entry.error = "expected a line of the form: ID = \"text\"";
        return entry;
    }
    entry.id = static_cast<uint16_t>(id);
    ++pos;

    size_t run = pos;  // start of the plain text not yet converted
    for (;;) {
        if (pos >= line.size()) {
            entry.error = "the string has no closing quote";
            return entry;
        }
        const char c = line[pos];
        if (c != '"' && c != '\\') {
            ++pos;
            continue;
        }
        if (!appendCp1252(entry.text, line.substr(run, pos - run))) {
            entry.error = "a character has no Windows-1252 form";
            return entry;
        }
        if (c == '"') {
            ++pos;
            break;
        }
        const char kind = pos + 1 < line.size() ? line[pos + 1] : '\0';
        std::optional<char> byte;
        switch (kind) {
        case '\\': byte = '\\'; break;
        case '"': byte = '"'; break;
        case 'n': byte = '\n'; break;
        case 'r': byte = '\r'; break;
        case 't': byte = '\t'; break;
        case 'x': {
            const int high = pos + 2 < line.size() ? hexDigit(line[pos + 2]) : -1;
            const int low = pos + 3 < line.size() ? hexDigit(line[pos + 3]) : -1;
            if (high < 0 || low < 0) {
                entry.error = "\\x needs two hexadecimal digits";
                return entry;
            }
            if (high == 0 && low == 0) {
                entry.error = "a string cannot hold a NUL byte";
                return entry;
            }
            entry.text += static_cast<char>(high * 16 + low);
            pos += 4;
            run = pos;
            continue;
        }
        default:
            entry.error = "unknown escape";
            return entry;
        }
        entry.text += *byte;
        pos += 2;
        run = pos;
    }

    pos = skipBlanks(line, pos);
    if (pos < line.size() && line[pos] != '#') entry.error = "unexpected text after the string";
    return entry;
}

}  // namespace

std::map<uint16_t, std::string> parseStringSource(std::string_view utf8,
                                                  std::vector<StringSourceError>& errors) {
    std::map<uint16_t, std::string> strings;
    std::map<uint16_t, int> lineOfId;
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    int number = 0;
    while (!utf8.empty()) {
        ++number;
        const size_t lf = utf8.find('\n');
        std::string_view line = utf8.substr(0, lf);
        utf8.remove_prefix(lf == std::string_view::npos ? utf8.size() : lf + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        const size_t first = skipBlanks(line, 0);
        if (first == line.size() || line[first] == '#') continue;
        Entry entry = parseLine(line);
        if (entry.error.empty() && lineOfId.count(entry.id))
            entry.error = "the id " + std::to_string(entry.id) + " was already given on line " +
                          std::to_string(lineOfId[entry.id]);
        if (!entry.error.empty()) {
            errors.push_back({number, std::move(entry.error)});
            continue;
        }
        lineOfId[entry.id] = number;
        strings[entry.id] = std::move(entry.text);
    }
    return strings;
}

}  // namespace winapi
