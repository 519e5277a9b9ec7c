// The list protocol of RasEnumEntries, RasEnumConnections and RasEnumDevices: the caller's
// buffer holds whole elements of the first published size; too small a buffer (or none) is
// answered with ERROR_BUFFER_TOO_SMALL and the size needed.
#pragma once

#include <windows.h>

#include <raserror.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace winapi::ras {

template <typename Element, typename Fill>
DWORD answerList(Element* buffer, LPDWORD lpcb, LPDWORD lpcCount, size_t count, Fill fill) {
    const DWORD needed = static_cast<DWORD>(count * sizeof(Element));
    *lpcCount = static_cast<DWORD>(count);
    const bool fits = *lpcb >= needed && (buffer || needed == 0);
    *lpcb = needed;
    if (!fits) return ERROR_BUFFER_TOO_SMALL;
    for (size_t i = 0; i < count; ++i) {
        std::memset(&buffer[i], 0, sizeof(Element));
        buffer[i].dwSize = sizeof(Element);
        fill(buffer[i], i);
    }
    return ERROR_SUCCESS;
}

// Copies a text into a fixed member, cut to fit.
inline void copyText(char* out, size_t size, const std::string& text) {
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

// A fixed member's text.
inline std::string memberText(const char* member, size_t size) {
    return std::string(member, strnlen(member, size));
}

}  // namespace winapi::ras
