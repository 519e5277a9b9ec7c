// Reading and writing registry scripts.
#include "regfile.h"

#include "cp1252.h"
#include "regstore.h"

#include <cstdint>
#include <cstdio>

namespace winapi::registry {
namespace {

constexpr std::string_view kVersion4 = "REGEDIT4";
constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Nothing but blanks or a comment may follow a complete entry.
bool onlyCommentLeft(std::string_view rest) {
    rest = trimLeft(rest);
    return rest.empty() || rest.front() == ';';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE text as Windows-1252 (characters it lacks become '?', as in Windows' ANSI calls).
std::string utf16ToCp1252(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() / 2);
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        appendUtf8(utf8, cp);
    }
    return utf8ToCp1252(utf8);
}

// The script as Windows-1252 text.
std::string decode(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        return utf16ToCp1252(bytes.substr(2));
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return utf8ToCp1252(bytes.substr(3));
    return std::string(bytes);
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Reads a quoted text starting after its opening quote: \\ and \" are escapes, any other
// backslash is kept as written. Returns the position after the closing quote, or npos.
std::size_t readQuoted(std::string_view text, std::size_t pos, std::string& out) {
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '"') return pos + 1;
        if (c == '\\' && pos + 1 < text.size() && (text[pos + 1] == '\\' || text[pos + 1] == '"')) {
            out += text[pos + 1];
            pos += 2;
            continue;
        }
        out += c;
        ++pos;
    }
    return std::string_view::npos;
}

class Parser {
public:
    Parser(std::string_view text, Script& script) : lines_(splitLines(text)), script_(script) {}

    bool run(std::string& error) {
        if (lines_.empty()) return fail(1, "the file is empty", error);
        std::string_view header = trimRight(lines_[0]);
        if (equalsIgnoreCase(header, kVersion5)) {
            unicode_ = true;
        } else if (!equalsIgnoreCase(header, kVersion4)) {
            return fail(1,
                        "not a registry script (the first line must be REGEDIT4 or "
                        "\"Windows Registry Editor Version 5.00\")",
                        error);
        }
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            std::string_view line = trimLeft(lines_[index_]);
            if (line.empty() || line.front() == ';') continue;
            // An entry is reported at the line where it starts, also when hex data continues.
            const int start = static_cast<int>(index_) + 1;
            std::string problem;
            bool ok;
            if (line.front() == '[')
                ok = keyLine(line, problem);
            else if (line.front() == '"' || line.front() == '@')
                ok = valueLine(line, problem);
            else {
                problem = "expected a [key], a \"value\"= line or a comment";
                ok = false;
            }
            if (!ok) return fail(start, problem, error);
        }
        return true;
    }

private:
    bool fail(int line, const std::string& problem, std::string& error) {
        error = "line " + std::to_string(line) + ": " + problem;
        return false;
    }

    bool keyLine(std::string_view line, std::string& problem) {
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos) return problem = "key name without a closing ]", false;
        if (!onlyCommentLeft(line.substr(close + 1)))
            return problem = "unexpected text after the key name", false;
        std::string_view name = line.substr(1, close - 1);
        const bool remove = !name.empty() && name.front() == '-';
        if (remove) name.remove_prefix(1);
        KeyPath path;
        if (!parseKeyPath(name, path, problem)) return false;
        if (remove && path.names.empty()) return problem = "a root key cannot be deleted", false;
        ScriptOperation op;
        op.kind = remove ? ScriptOperation::Kind::DeleteTree : ScriptOperation::Kind::CreateKey;
        op.key = path;
        op.line = static_cast<int>(index_) + 1;
        script_.operations.push_back(std::move(op));
        current_ = std::move(path);
        haveKey_ = true;
        keyDeleted_ = remove;
        return true;
    }

    bool valueLine(std::string_view line, std::string& problem) {
        ScriptOperation op;
        op.line = static_cast<int>(index_) + 1;
        std::size_t pos;
        if (line.front() == '@') {
            pos = 1;
        } else {
            pos = readQuoted(line, 1, op.valueName);
            if (pos == std::string_view::npos) return problem = "value name without a closing quote", false;
            if (op.valueName.size() > kMaxValueNameLength)
                return problem = "value name longer than 16383 characters", false;
        }
        std::string_view rest = trimLeft(line.substr(pos));
        if (rest.empty() || rest.front() != '=') return problem = "expected = after the value name", false;
        rest = trimLeft(rest.substr(1));

        if (!rest.empty() && rest.front() == '-' && onlyCommentLeft(rest.substr(1))) {
            op.kind = ScriptOperation::Kind::DeleteValue;
        } else if (!rest.empty() && rest.front() == '"') {
            op.kind = ScriptOperation::Kind::SetValue;
            op.type = REG_SZ;
            std::size_t end = readQuoted(rest, 1, op.data);
            if (end == std::string_view::npos) return problem = "string without a closing quote", false;
            if (!onlyCommentLeft(rest.substr(end))) return problem = "unexpected text after the string", false;
            op.data += '\0';
        } else if (startsWithIgnoringCase(rest, "dword:")) {
            op.kind = ScriptOperation::Kind::SetValue;
            op.type = REG_DWORD;
            rest.remove_prefix(6);
            std::uint32_t number = 0;
            std::size_t digits = 0;
            while (digits < rest.size() && hexDigit(rest[digits]) >= 0) {
                number = (number << 4) | static_cast<std::uint32_t>(hexDigit(rest[digits]));
                ++digits;
            }
            if (digits == 0 || digits > 8 || !onlyCommentLeft(rest.substr(digits)))
                return problem = "dword: needs one to eight hexadecimal digits", false;
            for (int i = 0; i < 4; ++i) op.data += static_cast<char>((number >> (8 * i)) & 0xFF);
        } else if (startsWithIgnoringCase(rest, "hex:") || startsWithIgnoringCase(rest, "hex(")) {
            op.kind = ScriptOperation::Kind::SetValue;
            if (!hexValue(rest, op, problem)) return false;
        } else {
            return problem = "unrecognised value data (expected \"text\", dword:, hex: or -)", false;
        }

        if (!haveKey_) return problem = "value outside of any [key]", false;
        if (keyDeleted_) return true;  // values of a deleted key have nowhere to go
        op.key = current_;
        script_.operations.push_back(std::move(op));
        return true;
    }

    // hex:..., hex(N):..., with comma-separated bytes continued over lines ending in a backslash.
    bool hexValue(std::string_view rest, ScriptOperation& op, std::string& problem) {
        if (startsWithIgnoringCase(rest, "hex:")) {
            op.type = REG_BINARY;
            rest.remove_prefix(4);
        } else {
            rest.remove_prefix(4);
            std::uint64_t type = 0;
            std::size_t digits = 0;
            while (digits < rest.size() && hexDigit(rest[digits]) >= 0 && digits < 9) {
                type = (type << 4) | static_cast<std::uint64_t>(hexDigit(rest[digits]));
                ++digits;
            }
            if (digits == 0 || digits > 8 || rest.substr(digits, 2) != "):")
                return problem = "hex(type): needs a hexadecimal type of up to eight digits", false;
            op.type = static_cast<DWORD>(type);
            rest.remove_prefix(digits + 2);
        }

        std::string list;
        std::string_view segment = rest;
        for (;;) {
            if (std::size_t comment = segment.find(';'); comment != std::string_view::npos)
                segment = segment.substr(0, comment);
            segment = trimRight(segment);
            const bool more = !segment.empty() && segment.back() == '\\';
            if (more) segment.remove_suffix(1);
            list += segment;
            if (!more) break;
            if (index_ + 1 >= lines_.size())
                return problem = "hex data continues past the end of the file", false;
            segment = trimLeft(lines_[++index_]);
        }

        std::string_view bytes = list;
        while (true) {
            std::size_t comma = bytes.find(',');
            std::string_view token = trimRight(trimLeft(bytes.substr(0, comma)));
            const bool last = comma == std::string_view::npos;
            if (token.empty()) {
                // Only an empty list or a trailing comma leaves an empty last token.
                if (last) break;
                return problem = "empty byte in hex data", false;
            }
            if (token.size() > 2 || hexDigit(token[0]) < 0 ||
                (token.size() == 2 && hexDigit(token[1]) < 0))
                return problem = "\"" + std::string(token) + "\" is not a hexadecimal byte", false;
            int value = hexDigit(token[0]);
            if (token.size() == 2) value = value * 16 + hexDigit(token[1]);
            op.data += static_cast<char>(value);
            if (last) break;
            bytes.remove_prefix(comma + 1);
        }

        // Version 5 scripts hold the text of string types as UTF-16; the registry keeps ANSI text.
        if (unicode_ && (op.type == REG_SZ || op.type == REG_EXPAND_SZ || op.type == REG_MULTI_SZ))
            op.data = utf16ToCp1252(op.data);
        return true;
    }

    std::vector<std::string_view> lines_;
    Script& script_;
    std::size_t index_ = 0;
    bool unicode_ = false;
    bool haveKey_ = false;
    bool keyDeleted_ = false;
    KeyPath current_;
};

struct RootName {
    Root root;
    std::string_view name;
    std::string_view shortName;
};

constexpr RootName kRoots[] = {
    {Root::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {Root::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Root::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
};

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace

bool parseScript(std::string_view bytes, Script& script, std::string& error) {
    const std::string text = decode(bytes);
    Script parsed;
    Parser parser(text, parsed);
    if (!parser.run(error)) return false;
    script = std::move(parsed);
    return true;
}

bool parseKeyPath(std::string_view text, KeyPath& path, std::string& error) {
    const std::size_t slash = text.find('\\');
    const std::string_view rootName = text.substr(0, slash);
    const RootName* root = nullptr;
    for (const auto& r : kRoots)
        if (equalsIgnoreCase(rootName, r.name) || equalsIgnoreCase(rootName, r.shortName)) root = &r;
    if (!root) {
        error = rootName.empty() ? std::string("empty key name")
                                 : "\"" + std::string(rootName) + "\" is not a root key of this registry";
        return false;
    }
    KeyPath result;
    result.root = root->root;
    std::string_view rest = slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
    while (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
    while (!rest.empty()) {
        const std::size_t next = rest.find('\\');
        std::string_view name = rest.substr(0, next);
        if (name.empty()) {
            error = "empty key name between backslashes";
            return false;
        }
        if (name.size() > kMaxKeyNameLength) {
            error = "key name longer than 256 characters";
            return false;
        }
        result.names.emplace_back(name);
        if (next == std::string_view::npos) break;
        rest.remove_prefix(next + 1);
    }
    path = std::move(result);
    return true;
}

std::string formatKeyPath(const KeyPath& path) {
    std::string text;
    for (const auto& r : kRoots)
        if (r.root == path.root) text = r.name;
    for (const auto& name : path.names) {
        text += '\\';
        text += name;
    }
    return text;
}

ScriptWriter::ScriptWriter() : text_(std::string(kVersion4) + "\r\n") {}

void ScriptWriter::key(const std::string& path) { text_ += "\r\n[" + path + "]\r\n"; }

void ScriptWriter::value(std::string_view name, DWORD type, std::string_view data) {
    const std::string prefix = (name.empty() ? std::string("@") : quote(name)) + "=";
    if (type == REG_SZ && !data.empty() && data.back() == '\0' &&
        data.substr(0, data.size() - 1).find_first_of(std::string_view("\0\r\n", 3)) ==
            std::string_view::npos) {
        text_ += prefix + quote(data.substr(0, data.size() - 1)) + "\r\n";
        return;
    }
    if (type == REG_DWORD && data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
        char digits[16];
        std::snprintf(digits, sizeof digits, "%08x", number);
        text_ += prefix + "dword:" + digits + "\r\n";
        return;
    }
    std::string kind = "hex";
    if (type != REG_BINARY) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "(%x)", static_cast<unsigned>(type));
        kind += digits;
    }
    hexData(prefix + kind + ":", data);
}

void ScriptWriter::hexData(std::string_view prefix, std::string_view data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    text_ += prefix;
    std::size_t column = prefix.size();
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        text_ += kDigits[byte >> 4];
        text_ += kDigits[byte & 15];
        column += 2;
        if (i + 1 < data.size()) {
            text_ += ',';
            ++column;
            // Lines stay within 80 columns, as the registry editor writes them.
            if (column > 76) {
                text_ += "\\\r\n  ";
                column = 2;
            }
        }
    }
    text_ += "\r\n";
}

}  // namespace winapi::registry
