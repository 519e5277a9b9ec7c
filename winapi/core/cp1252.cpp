// Windows-1252 <-> UTF-8 and letter case.
#include "cp1252.h"

#include <cstdint>

namespace winapi {
namespace {

// Code points of 0x80..0x9F; 0 where Windows-1252 has no character (mapped through as C1).
constexpr uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t toCodePoint(unsigned char c) {
    return (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : c;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char fromCodePoint(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

// The length of the leading plain ASCII part, which reads the same in both encodings.
size_t asciiPrefix(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    return i;
}

}  // namespace

std::string cp1252ToUtf8(std::string_view text) {
    const size_t plain = asciiPrefix(text);
    if (plain == text.size()) return std::string(text);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    out.append(text.data(), plain);
    for (unsigned char c : text.substr(plain)) appendUtf8(out, toCodePoint(c));
    return out;
}

std::string utf8ToCp1252(std::string_view text) {
    const size_t plain = asciiPrefix(text);
    if (plain == text.size()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    out.append(text.data(), plain);
    size_t i = plain;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
        if (c < 0x80 || extra == 0 || i + extra >= text.size()) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        uint32_t cp = c & (0x3F >> extra);
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80) { valid = false; break; }
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!valid) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        out += fromCodePoint(cp);
        i += extra + 1;
    }
    return out;
}

char cp1252Lower(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
    switch (u) {
    case 0x8A: return static_cast<char>(0x9A);  // Š
    case 0x8C: return static_cast<char>(0x9C);  // Œ
    case 0x8E: return static_cast<char>(0x9E);  // Ž
    case 0x9F: return static_cast<char>(0xFF);  // Ÿ
    default: return c;
    }
}

std::string cp1252Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = cp1252Lower(c);
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (cp1252Lower(a[i]) != cp1252Lower(b[i])) return false;
    return true;
}

}  // namespace winapi
