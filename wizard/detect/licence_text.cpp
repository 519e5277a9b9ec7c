// Reading the licence text.
#include "licence_text.h"

#include <cstdio>

bool readLicenceText(const char* fileName, std::string& text) {
    text.clear();
    FILE* file = std::fopen(fileName, "rb");
    if (!file) return false;
    std::string raw;
    char buffer[8192];
    size_t n;
    while (raw.size() < kLicenceTextLimit && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        raw.append(buffer, n);
    std::fclose(file);
    if (raw.size() > kLicenceTextLimit) raw.resize(kLicenceTextLimit);
    text.reserve(raw.size() + raw.size() / 32);
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\n' && (i == 0 || raw[i - 1] != '\r')) text += '\r';
        // A NUL would end the text in the control: it shows as a blank instead.
        text += c == '\0' ? ' ' : c;
    }
    return true;
}
