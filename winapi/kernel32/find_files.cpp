// kernel32: FindFirstFileA / FindNextFileA / FindClose. A search lists a folder once, when it
// starts, and hands the matching entries out one by one: "." and ".." first (except in a drive's
// root, which has none), then the others ordered by name without regard to case, as NTFS lists
// them. Masks follow the Windows rules: '?' is one character or none at a dot or the end of the
// name ("a?" finds "a"), "*.*" matches every name, "*." names without extension, "name.*" also
// "name", and letter case is ignored. Names come as Windows-1252; 8.3 aliases do not exist here.
#include <windows.h>

#include "api_guard.h"
#include "cp1252.h"
#include "file_attributes.h"
#include "file_times.h"
#include "handles.h"
#include "paths.h"
#include "prefix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class FindSearch : public winapi::KernelObject {
public:
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
};

// A mask in the wildcard codes of the Windows file systems.
enum Token : int { kStar = 256, kDosStar, kDosQm, kDosDot };

std::vector<int> compileMask(const std::string& mask) {
    std::vector<int> tokens;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        const char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
        if (c == '?') tokens.push_back(kDosQm);
        else if (c == '*') tokens.push_back(next == '.' ? kDosStar : kStar);
        else if (c == '.' && (next == '?' || next == '*' || next == '\0')) tokens.push_back(kDosDot);
        else tokens.push_back(static_cast<unsigned char>(winapi::cp1252Lower(c)));
    }
    return tokens;
}

class Matcher {
public:
    Matcher(const std::vector<int>& mask, const std::string& name)
        : mask_(mask), name_(winapi::cp1252Lower(name)),
          lastDot_(name_.find_last_of('.')),
          memo_((mask.size() + 1) * (name_.size() + 1), -1) {}

    bool matches() { return match(0, 0); }

private:
    bool match(size_t p, size_t n) {
        signed char& known = memo_[p * (name_.size() + 1) + n];
        if (known < 0) known = compute(p, n);
        return known;
    }

    bool compute(size_t p, size_t n) {
        const size_t size = name_.size();
        if (p == mask_.size()) return n == size;
        switch (mask_[p]) {
        case kStar: return match(p + 1, n) || (n < size && match(p, n + 1));
        case kDosStar:
            // Any characters, but not past the name's last dot.
            return match(p + 1, n) || (n < size && n != lastDot_ && match(p, n + 1));
        case kDosQm:
            if (n == size || name_[n] == '.') return match(p + 1, n);
            return match(p + 1, n + 1);
        case kDosDot:
            if (n == size) return match(p + 1, n);
            return name_[n] == '.' && match(p + 1, n + 1);
        default:
            return n < size && static_cast<unsigned char>(name_[n]) == mask_[p] && match(p + 1, n + 1);
        }
    }

    const std::vector<int>& mask_;
    std::string name_;
    size_t lastDot_;
    std::vector<signed char> memo_;
};

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Fills an entry for the file `name` in the folder `dir` (open as dirFd); false when it is gone.
bool describe(const std::string& dir, int dirFd, const std::string& name, const std::string& systemName,
              WIN32_FIND_DATAA& data) {
    struct stat st;
    int flags = 0;
    if (::fstatat(dirFd, name.c_str(), &st, 0) != 0) {
        flags = AT_SYMLINK_NOFOLLOW;  // a link to nothing is listed as itself
        if (::fstatat(dirFd, name.c_str(), &st, flags) != 0) return false;
    }
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = winapi::attributesOf(dir + "/" + name, -1, st);
    const winapi::FileTimes times = winapi::fileTimes(st, dirFd, name.c_str(), flags);
    data.ftCreationTime = times.creation;
    data.ftLastAccessTime = times.lastAccess;
    data.ftLastWriteTime = times.lastWrite;
    if (!S_ISDIR(st.st_mode)) {
        const uint64_t size = static_cast<uint64_t>(st.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    }
    std::memcpy(data.cFileName, systemName.c_str(), systemName.size() + 1);
    return true;
}

// The upper-case letter of a Windows-1252 character (NTFS orders names by their upper case).
unsigned char upper(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) return u - 0x20;
    if (u == 0x9A || u == 0x9C || u == 0x9E) return u - 0x10;  // š œ ž
    if (u == 0xFF) return 0x9F;                                  // ÿ
    return u;
}

// "." and ".." first, then by name in upper case.
bool listedBefore(const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
    auto rank = [](const char* name) { return !std::strcmp(name, ".") ? 0 : !std::strcmp(name, "..") ? 1 : 2; };
    const int ra = rank(a.cFileName), rb = rank(b.cFileName);
    if (ra != rb) return ra < rb;
    for (size_t i = 0;; ++i) {
        const unsigned char ca = upper(a.cFileName[i]), cb = upper(b.cFileName[i]);
        if (ca != cb || !ca) return ca < cb;
    }
}

DWORD search(LPCSTR pattern, FindSearch& result) {
    if (!pattern || !*pattern) return ERROR_PATH_NOT_FOUND;
    const size_t length = std::strlen(pattern);
    if (length > MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
    const char last = pattern[length - 1];
    if (last == '\\' || last == '/') return ERROR_FILE_NOT_FOUND;
    const char* maskStart = pattern;
    for (const char* p = pattern; *p; ++p)
        if (*p == '\\' || *p == '/' || (p == pattern + 1 && *p == ':')) maskStart = p + 1;
    const std::string mask = maskStart;
    const bool wildcards = mask.find_first_of("*?") != std::string::npos;

    std::string host;
    if (DWORD error = wildcards ? winapi::toHostPattern(pattern, host) : winapi::toHostPath(pattern, host))
        return error;
    const size_t slash = host.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : host.substr(0, slash);
    const std::string leaf = slash == std::string::npos ? host : host.substr(slash + 1);
    if (leaf.empty()) return ERROR_FILE_NOT_FOUND;

    const std::vector<int> tokens = compileMask(wildcards ? mask : winapi::toSystemName(leaf));
    DIR* folder = ::opendir(dir.c_str());
    if (!folder) {
        struct stat st;
        if (::stat(dir.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) return ERROR_DIRECTORY;
        return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : winapi::errnoToWin32(errno);
    }
    std::unique_ptr<DIR, int (*)(DIR*)> closer(folder, ::closedir);
    const bool driveRoot = sameFile(dir, "/") || sameFile(dir, winapi::prefixPath());
    while (dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (driveRoot && (name == "." || name == "..")) continue;
        const std::string systemName = winapi::toSystemName(name);
        if (systemName.size() >= MAX_PATH) continue;
        if (!Matcher(tokens, systemName).matches()) continue;
        WIN32_FIND_DATAA data;
        if (describe(dir, ::dirfd(folder), name, systemName, data)) result.entries.push_back(data);
    }
    if (result.entries.empty()) return ERROR_FILE_NOT_FOUND;
    std::sort(result.entries.begin(), result.entries.end(), listedBefore);
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" {

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    return winapi::guarded(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        if (!lpFindFileData) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        auto found = std::make_shared<FindSearch>();
        if (DWORD error = search(lpFileName, *found)) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        *lpFindFileData = found->entries[found->next++];
        HANDLE handle = winapi::addHandle(found);
        SetLastError(ERROR_SUCCESS);
        return handle;
    });
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        auto found = winapi::handleObject<FindSearch>(hFindFile);
        if (!found) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (found->next >= found->entries.size()) {
            SetLastError(ERROR_NO_MORE_FILES);
            return FALSE;
        }
        if (!lpFindFileData) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        *lpFindFileData = found->entries[found->next++];
        return TRUE;
    });
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    return winapi::guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (!winapi::handleObject<FindSearch>(hFindFile) ||
            !winapi::HandleTable::instance().remove(winapi::HandleTable::toValue(hFindFile))) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return TRUE;
    });
}

}  // extern "C"
