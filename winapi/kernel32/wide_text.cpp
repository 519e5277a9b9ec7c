// kernel32: wide (UTF-16) texts to the ANSI code page, Windows-1252. Characters without a
// Windows-1252 form become '?', as the system's default character.
#include <windows.h>

#include "cp1252.h"

#include <cstring>
#include <string>

namespace {

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

extern "C" int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                                          int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                          LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
    if ((CodePage != CP_ACP && CodePage != 1252) || dwFlags || lpDefaultChar ||
        lpUsedDefaultChar || !lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && !lpMultiByteStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int count = cchWideChar;
    if (count < 0) {
        count = 0;
        while (lpWideCharStr[count]) ++count;
        ++count;  // the terminating NUL is converted too
    }
    std::string utf8;
    for (int i = 0; i < count; ++i) {
        unsigned code = lpWideCharStr[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < count && lpWideCharStr[i + 1] >= 0xDC00 &&
            lpWideCharStr[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (lpWideCharStr[++i] - 0xDC00);
        appendUtf8(utf8, code);
    }
    const std::string ansi = winapi::utf8ToCp1252(utf8);
    const int needed = static_cast<int>(ansi.size());
    if (cbMultiByte == 0) return needed;
    if (needed > cbMultiByte) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpMultiByteStr, ansi.data(), ansi.size());
    return needed;
}
