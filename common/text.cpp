// Windows-1252 letter case and bounded copies.
#include "text.h"

#include <cstring>

char lowerChar(char c) {
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

std::string lowerText(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = lowerChar(c);
    return out;
}

bool copyText(char* buffer, size_t size, const char* text) {
    if (size == 0) return false;
    size_t length = text ? std::strlen(text) : 0;
    bool fits = length < size;
    size_t n = fits ? length : size - 1;
    if (n) std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return fits;
}

bool startsWithNoCase(const char* text, const char* head) {
    if (!text || !head) return false;
    for (; *head; ++text, ++head)
        if (!*text || lowerChar(*text) != lowerChar(*head)) return false;
    return true;
}
