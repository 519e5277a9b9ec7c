// Windows paths on Linux.
#include "paths.h"

#include "cp1252.h"
#include "prefix.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

namespace winapi {
namespace {

enum class Mode { Resolve, Pattern, Lexical };

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

DWORD checkCharacters(const char* path, size_t length, Mode mode) {
    // In a pattern the wildcards are allowed after the last separator only.
    size_t lastSeparator = 0;
    for (size_t i = 0; i < length; ++i)
        if (path[i] == '\\' || path[i] == '/') lastSeparator = i + 1;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 32 || c == '<' || c == '>' || c == '"' || c == '|') return ERROR_INVALID_NAME;
        if (c == '*' || c == '?') {
            if (mode == Mode::Resolve || (mode == Mode::Pattern && i < lastSeparator))
                return ERROR_INVALID_NAME;
        }
    }
    return ERROR_SUCCESS;
}

// Windows drops trailing dots and blanks of a path's last component.
void dropTrailingDots(std::string& component) {
    if (component == "." || component == "..") return;
    size_t keep = component.size();
    while (keep > 0 && (component[keep - 1] == '.' || component[keep - 1] == ' ')) --keep;
    component.resize(keep);
}

DWORD translate(LPCSTR windowsPath, std::string& hostPath, Mode mode) {
    hostPath.clear();
    if (!windowsPath || !*windowsPath) return ERROR_PATH_NOT_FOUND;
    const size_t length = std::strlen(windowsPath);
    if (length > MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
    if (DWORD error = checkCharacters(windowsPath, length, mode)) return error;

    std::string path = cp1252ToUtf8(std::string_view(windowsPath, length));
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.size() >= 2 && path[0] == '/' && path[1] == '/') return ERROR_BAD_PATHNAME;

    // The root the components hang from: a drive (the prefix), the host root, or the current folder.
    std::string root;
    size_t pos = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
        root = (drive == 'c' ? prefixPath() : prefixPath() + "/drive_" + drive) + "/";
        pos = 2;
    } else if (path[0] == '/') {
        root = "/";
    }
    const bool absolute = !root.empty();

    // Split into components and resolve "." and ".." on the text, as Windows does.
    std::vector<std::string> parts;
    const bool trailingSeparator = path.back() == '/';
    while (pos < path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos) end = path.size();
        std::string component = path.substr(pos, end - pos);
        const bool last = end == path.size();
        pos = end + 1;
        if (last && mode != Mode::Pattern) dropTrailingDots(component);
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            if (!parts.empty() && parts.back() != "..") parts.pop_back();
            else if (!absolute) parts.push_back(component);
            continue;
        }
        parts.push_back(std::move(component));
    }

    // Most paths name what exists (or a new file in a folder that exists) spelled as it is: a
    // look at the whole path or its folder spares a look at every folder on the way.
    size_t spelledExactly = 0;
    if (mode == Mode::Resolve && !parts.empty()) {
        std::string folder = root;
        for (size_t i = 0; i + 1 < parts.size(); ++i) folder += parts[i] + '/';
        if (exists(folder + parts.back())) spelledExactly = parts.size();
        else if (parts.size() > 1 && exists(folder)) spelledExactly = parts.size() - 1;
    }
    // The last part was looked at whole already and is not there as spelled.
    const bool lastLookedAt = spelledExactly + 1 == parts.size() && mode == Mode::Resolve;
    // Walk the components, keeping the exact name when it exists and otherwise the first name
    // that matches ignoring case.
    std::string resolved = root;
    bool parentExists = mode != Mode::Lexical;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& component = parts[i];
        const bool last = i + 1 == parts.size();
        std::string candidate = resolved + component;
        const bool resolvable = !(last && mode == Mode::Pattern) && component != "..";
        if (parentExists && resolvable && i >= spelledExactly && ((last && lastLookedAt) || !exists(candidate))) {
            std::string dir = resolved;
            if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
            std::string match = findIgnoringCase(dir, component);
            if (!match.empty()) candidate = resolved + match;
            else parentExists = false;
        }
        resolved = std::move(candidate);
        if (!last || trailingSeparator) resolved += '/';
    }
    if (parts.empty()) {
        if (!absolute) resolved = trailingSeparator ? "./" : ".";
        else if (resolved.size() > 1 && !trailingSeparator) resolved.pop_back();
    }
    hostPath = std::move(resolved);
    return ERROR_SUCCESS;
}

}  // namespace

DWORD toHostPath(LPCSTR windowsPath, std::string& hostPath) {
    return translate(windowsPath, hostPath, Mode::Resolve);
}

DWORD toHostPattern(LPCSTR windowsPath, std::string& hostPath) {
    return translate(windowsPath, hostPath, Mode::Pattern);
}

DWORD toHostPathLexical(LPCSTR windowsPath, std::string& hostPath) {
    return translate(windowsPath, hostPath, Mode::Lexical);
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
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
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

DWORD pathErrnoToWin32(int error, const std::string& hostPath) {
    if (error != ENOENT) return errnoToWin32(error);
    std::string parent = hostPath;
    while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
    const size_t slash = parent.find_last_of('/');
    if (slash == std::string::npos) parent = ".";
    else parent.resize(slash == 0 ? 1 : slash);
    struct stat st;
    return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                   : ERROR_PATH_NOT_FOUND;
}

DWORD copyOut(std::string_view text, LPSTR buffer, DWORD size) {
    if (!buffer || text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

}  // namespace winapi
