// Reading and writing whole files.
#include "file_bytes.h"

#include <windows.h>

bool readFileBytes(const std::string& path, std::string& bytes, size_t limit, bool* tooLarge) {
    bytes.clear();
    if (tooLarge) *tooLarge = false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    bool ok = false;
    if (tooLarge) *tooLarge = size != INVALID_FILE_SIZE && (high != 0 || size > limit);
    if (size != INVALID_FILE_SIZE && high == 0 && size <= limit) {
        bytes.resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(file, bytes.data(), size, &read, nullptr) && read == size);
        if (!ok) bytes.clear();
    }
    CloseHandle(file);
    return ok;
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}
