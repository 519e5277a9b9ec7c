// Windows paths on Linux.
#include "paths.h"

#include "cp1252.h"
#include "prefix.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace winapi {
namespace {

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Finds `name` in `dir` ignoring letter case; empty when there is none.
std::string findIgnoringCase(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    const std::string wanted = cp1252Lower(utf8ToCp1252(name));
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (cp1252Lower(utf8ToCp1252(e->d_name)) == wanted) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

DWORD toHostPath(LPCSTR windowsPath, std::string& hostPath) {
    hostPath.clear();
    if (!windowsPath || !*windowsPath) return ERROR_PATH_NOT_FOUND;
    const size_t length = std::strlen(windowsPath);
    if (length >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;

    std::string path = cp1252ToUtf8(std::string_view(windowsPath, length));
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.size() >= 2 && path[0] == '/' && path[1] == '/') return ERROR_BAD_PATHNAME;

    std::string resolved;
    size_t pos = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
        resolved = drive == 'c' ? prefixPath() : prefixPath() + "/drive_" + drive;
        pos = 2;
        if (pos < path.size() && path[pos] != '/') resolved += '/';  // "C:file" = "C:\file"
    } else if (path[0] == '/') {
        pos = 0;
    }

    // Walk the components, keeping the exact name when it exists and otherwise the first name
    // that matches ignoring case.
    bool parentExists = true;
    while (pos < path.size()) {
        if (path[pos] == '/') {
            if (resolved.empty() || resolved.back() != '/') resolved += '/';
            ++pos;
            continue;
        }
        size_t end = path.find('/', pos);
        if (end == std::string::npos) end = path.size();
        std::string component = path.substr(pos, end - pos);
        pos = end;
        std::string candidate = resolved + component;
        if (parentExists && component != "." && component != ".." && !exists(candidate)) {
            std::string dir = resolved;
            if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
            std::string match = findIgnoringCase(dir, component);
            if (!match.empty()) candidate = resolved + match;
            else parentExists = false;
        }
        resolved = std::move(candidate);
    }
    hostPath = std::move(resolved);
    return ERROR_SUCCESS;
}

bool hostPathOrError(LPCSTR windowsPath, std::string& hostPath) {
    DWORD error = toHostPath(windowsPath, hostPath);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    return true;
}

std::string toSystemName(std::string_view hostName) { return utf8ToCp1252(hostName); }

DWORD errnoToWin32(int error) {
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    default: return ERROR_GEN_FAILURE;
    }
}

DWORD copyOut(std::string_view text, LPSTR buffer, DWORD size) {
    if (!buffer || text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

}  // namespace winapi
