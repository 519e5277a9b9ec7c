// kernel32: the profile (.ini) file functions. Names are compared without regard to letter case,
// values lose surrounding blanks and one pair of matching quotes, lists come back as
// NUL-separated strings ending with a second NUL, and buffers that are too small get Windows'
// truncation and return values.
#include <windows.h>

#include "profile_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using winapi::ProfileText;

// lpDefault as Windows uses it: NULL is empty, trailing spaces are dropped.
std::string_view defaultText(LPCSTR lpDefault) {
    std::string_view text = lpDefault ? lpDefault : "";
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// A NUL byte inside a file's line ends the string as the caller will see it.
std::string_view untilNul(std::string_view text) {
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// One string: as much as fits with its NUL; returns the characters copied. size > 0.
DWORD copyString(std::string_view text, LPSTR buffer, DWORD size) {
    text = untilNul(text);
    const size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// A list of strings, each followed by a NUL, and a final NUL. Windows wants room for one more
// character than the list needs; otherwise the list is cut to size - 2 characters, ended by two
// NULs, and size - 2 is returned. An empty list is a single NUL. size > 0.
template <class Strings>
DWORD copyList(const Strings& items, LPSTR buffer, DWORD size) {
    std::string joined;
    for (const auto& item : items) {
        const std::string_view text = untilNul(item);
        if (text.empty()) continue;
        joined.append(text);
        joined += '\0';
    }
    if (joined.empty() || size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    if (joined.size() + 2 <= size) {
        std::memcpy(buffer, joined.data(), joined.size());
        buffer[joined.size()] = '\0';
        return static_cast<DWORD>(joined.size());
    }
    std::memcpy(buffer, joined.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// The parsed file named by lpFileName. Returns ERROR_SUCCESS; ERROR_FILE_NOT_FOUND with an empty
// text for a file that does not exist; or the error, without text.
DWORD openProfile(LPCSTR lpFileName, std::shared_ptr<const ProfileText>& text) {
    std::string hostPath;
    const DWORD error = winapi::profileHostPath(lpFileName, hostPath);
    if (error != ERROR_SUCCESS) return error;
    return winapi::loadProfile(hostPath, text);
}

// Windows reports a missing section or key like a missing file.
DWORD notFound(DWORD fileError) {
    return fileError == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : fileError;
}

// The number at the start of a value, as Windows reads it: blanks, a sign, then decimal digits
// or, after "0x", "0o" or "0b", hexadecimal, octal or binary ones; wrapping at 32 bits.
UINT parseInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        const char kind = text[i + 1];
        base = kind == 'x' ? 16 : kind == 'o' ? 8 : kind == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = c >= '0' && c <= '9'   ? static_cast<unsigned>(c - '0')
                         : c >= 'a' && c <= 'f' ? static_cast<unsigned>(c - 'a' + 10)
                         : c >= 'A' && c <= 'F' ? static_cast<unsigned>(c - 'A' + 10)
                                                : 99;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

}  // namespace

extern "C" {

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (!lpReturnedString || nSize == 0) return 0;
    const std::string_view fallback = defaultText(lpDefault);
    try {
        std::shared_ptr<const ProfileText> text;
        const DWORD error = openProfile(lpFileName, text);
        DWORD result;
        if (!lpAppName) {
            result = copyList(text ? text->sectionNames() : std::vector<std::string_view>(),
                              lpReturnedString, nSize);
            SetLastError(error);
            return result;
        }
        if (!lpKeyName) {
            const auto names = text ? text->keyNames(lpAppName) : std::vector<std::string_view>();
            if (!names.empty()) {
                result = copyList(names, lpReturnedString, nSize);
                SetLastError(ERROR_SUCCESS);
                return result;
            }
            result = copyString(fallback, lpReturnedString, nSize);
            SetLastError(notFound(error));
            return result;
        }
        std::string_view value;
        if (text && text->value(lpAppName, lpKeyName, value)) {
            result = copyString(unquote(value), lpReturnedString, nSize);
            SetLastError(ERROR_SUCCESS);
            return result;
        }
        result = copyString(fallback, lpReturnedString, nSize);
        SetLastError(notFound(error));
        return result;
    } catch (...) {
        const DWORD result = copyString(fallback, lpReturnedString, nSize);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return result;
    }
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                  LPCSTR lpFileName) {
    // Windows reads the text as GetPrivateProfileStringA gives it, so without a section or key
    // name the number comes from the list of names.
    char text[64];
    if (GetPrivateProfileStringA(lpAppName, lpKeyName, "", text, sizeof text, lpFileName) == 0)
        return static_cast<UINT>(nDefault);
    return parseInteger(text);
}

DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                       LPCSTR lpFileName) {
    if (!lpAppName || !lpReturnedString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (nSize == 0) return 0;
    try {
        std::shared_ptr<const ProfileText> text;
        const DWORD error = openProfile(lpFileName, text);
        const auto lines = text ? text->sectionLines(lpAppName) : std::vector<std::string>();
        if (lines.empty()) {
            lpReturnedString[0] = '\0';
            if (nSize > 1) lpReturnedString[1] = '\0';
            SetLastError(text && text->hasSection(lpAppName) ? ERROR_SUCCESS : notFound(error));
            return 0;
        }
        const DWORD result = copyList(lines, lpReturnedString, nSize);
        SetLastError(ERROR_SUCCESS);
        return result;
    } catch (...) {
        lpReturnedString[0] = '\0';
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize,
                                            LPCSTR lpFileName) {
    return GetPrivateProfileStringA(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize,
                                    lpFileName);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName) {
    if (!lpAppName) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    try {
        std::string hostPath;
        DWORD error = winapi::profileHostPath(lpFileName, hostPath);
        if (error == ERROR_SUCCESS) {
            error = winapi::editProfile(hostPath, [&](const ProfileText& text) {
                if (!lpKeyName) return text.withoutSection(lpAppName);
                if (!lpString) return text.withoutKey(lpAppName, lpKeyName);
                return text.withValue(lpAppName, lpKeyName, lpString);
            });
        }
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return FALSE;
        }
        return TRUE;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

}  // extern "C"
