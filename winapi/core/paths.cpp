// Windows paths on Linux.
#include "paths.h"

#include "cp1252.h"
#include "folder_listing.h"
#include "prefix.h"

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

DWORD checkCharacters(const char* path, size_t length, Mode mode) {
    // In a pattern the wildcards are allowed after the last separator only.
    size_t lastSeparator = 0;
    size_t firstWildcard = 0;  // one past it
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c == '\\' || c == '/') lastSeparator = i + 1;
        else if (c < 32 || c == '<' || c == '>' || c == '"' || c == '|') return ERROR_INVALID_NAME;
        else if (c == '*' || c == '?') {
            if (mode == Mode::Resolve) return ERROR_INVALID_NAME;
            if (!firstWildcard) firstWildcard = i + 1;
        }
    }
    // A wildcard before the last separator is in a folder name.
    if (mode == Mode::Pattern && firstWildcard && firstWildcard <= lastSeparator) return ERROR_INVALID_NAME;
    return ERROR_SUCCESS;
}

// Windows drops trailing dots and blanks of a path's last component.
void dropTrailingDots(std::string_view& component) {
    if (component == "." || component == "..") return;
    size_t keep = component.size();
    while (keep > 0 && (component[keep - 1] == '.' || component[keep - 1] == ' ')) --keep;
    component = component.substr(0, keep);
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

    // Split into components and resolve "." and ".." on the text, as Windows does. The parts
    // are views of `path`.
    std::vector<std::string_view> parts;
    parts.reserve(16);
    const bool trailingSeparator = path.back() == '/';
    const std::string_view text(path);
    while (pos < text.size()) {
        size_t end = text.find('/', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view component = text.substr(pos, end - pos);
        const bool last = end == text.size();
        pos = end + 1;
        if (last && mode != Mode::Pattern) dropTrailingDots(component);
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            if (!parts.empty() && parts.back() != "..") parts.pop_back();
            else if (!absolute) parts.push_back(component);
            continue;
        }
        parts.push_back(component);
    }

    // Most paths name what exists (or a new file in a folder that exists) spelled as it is: a
    // look at the whole path or its folder spares a look at every folder on the way.
    size_t spelledExactly = 0;
    if (mode == Mode::Resolve && !parts.empty()) {
        std::string folder;
        folder.reserve(root.size() + path.size() + 2);
        folder = root;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            folder += parts[i];
            folder += '/';
        }
        const std::string_view name = parts.back();
        // A folder searched before answers from its kept listing, which also says whether the
        // last part exists as spelled.
        if (name != "..") {
            const bool slash = folder.size() > 1 && folder.back() == '/';
            if (slash) folder.pop_back();
            std::string match;
            const bool known = lookUpInKeptListing(folder.c_str(), name, match);
            if (slash) folder += '/';
            if (known) {
                hostPath = std::move(folder);
                hostPath += match.empty() ? name : std::string_view(match);
                if (trailingSeparator) hostPath += '/';
                return ERROR_SUCCESS;
            }
        }
        const size_t folderLength = folder.size();
        folder += name;
        if (exists(folder)) spelledExactly = parts.size();
        else if (parts.size() > 1 && exists(folder.substr(0, folderLength))) spelledExactly = parts.size() - 1;
    }
    // The last part was looked at whole already and is not there as spelled.
    const bool lastLookedAt = spelledExactly + 1 == parts.size() && mode == Mode::Resolve;
    // Walk the components, keeping the exact name when it exists and otherwise the first name
    // that matches ignoring case.
    std::string resolved = root;
    bool parentExists = mode != Mode::Lexical;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string_view component = parts[i];
        const bool last = i + 1 == parts.size();
        std::string candidate = resolved;
        candidate += component;
        const bool resolvable = !(last && mode == Mode::Pattern) && component != "..";
        if (parentExists && resolvable && i >= spelledExactly && ((last && lastLookedAt) || !exists(candidate))) {
            std::string_view dir = resolved;
            if (dir.size() > 1 && dir.back() == '/') dir.remove_suffix(1);
            const std::string match = findIgnoringCase(dir, component);
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
