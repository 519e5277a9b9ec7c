// Finding the program file CreateProcessA starts.
#include "program_search.h"

#include "cp1252.h"
#include "paths.h"
#include "prefix.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace winapi {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExe = ".exe";

bool hasExeSuffix(std::string_view name) {
    return name.size() > kExe.size() &&
           equalsIgnoreCase(name.substr(name.size() - kExe.size()), kExe);
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isExecutable(const std::string& path) {
    return isRegularFile(path) && ::access(path.c_str(), X_OK) == 0;
}

// What a folder holds under a name, tried as written, then ignoring case: an executable file,
// else (to tell "not a program" from "not there") any regular file.
struct Lookup {
    std::string executable;
    std::string other;
};

void lookIn(const std::string& folder, const std::string& leaf, Lookup& found) {
    const std::string exact = folder + "/" + leaf;
    if (isExecutable(exact)) {
        found.executable = exact;
        return;
    }
    if (isRegularFile(exact) && found.other.empty()) found.other = exact;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string wanted = cp1252Lower(utf8ToCp1252(leaf));
    while (dirent* entry = ::readdir(dir)) {
        if (cp1252Lower(utf8ToCp1252(entry->d_name)) != wanted) continue;
        const std::string path = folder + "/" + entry->d_name;
        if (isExecutable(path)) {
            found.executable = path;
            break;
        }
        if (isRegularFile(path) && found.other.empty()) found.other = path;
    }
    ::closedir(dir);
}

// Looks for the program `leaf` (UTF-8) in one folder: "X.exe" as written, then as "X".
Lookup findInFolder(const std::string& folder, const std::string& leaf) {
    Lookup found;
    lookIn(folder, leaf, found);
    if (found.executable.empty() && hasExeSuffix(leaf))
        lookIn(folder, leaf.substr(0, leaf.size() - kExe.size()), found);
    return found;
}

std::string absolute(const std::string& path) {
    std::error_code ec;
    fs::path result = fs::absolute(path, ec);
    return ec ? path : result.lexically_normal().string();
}

std::string programFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

bool hasFolder(std::string_view name) {
    return name.find_first_of("\\/:") != std::string_view::npos;
}

// Resolves a name that contains a folder; the folder part is resolved ignoring case too.
DWORD findWithFolder(std::string_view windowsName, std::string& hostPath) {
    std::string resolved;
    const std::string name(windowsName);
    if (DWORD error = toHostPath(name.c_str(), resolved); error != ERROR_SUCCESS) return error;
    const size_t slash = resolved.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0                ? "/"
                                                           : resolved.substr(0, slash);
    const std::string leaf = slash == std::string::npos ? resolved : resolved.substr(slash + 1);
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ERROR_PATH_NOT_FOUND;
    if (leaf.empty()) return ERROR_FILE_NOT_FOUND;
    Lookup found = findInFolder(folder, leaf);
    if (!found.executable.empty()) {
        hostPath = absolute(found.executable);
        return ERROR_SUCCESS;
    }
    return found.other.empty() ? ERROR_FILE_NOT_FOUND : ERROR_BAD_EXE_FORMAT;
}

// Searches the folders Windows searches for a program named on a command line.
DWORD searchFolders(std::string_view windowsName, std::string& hostPath) {
    std::vector<std::string> folders;
    if (std::string own = programFolder(); !own.empty()) folders.push_back(own);
    folders.push_back(".");
    folders.push_back(prefixFile(kSystemDir));
    folders.push_back(prefixFile(kWindowsDir));
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            std::string folder(rest.substr(0, colon));
            folders.push_back(folder.empty() ? "." : folder);
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    const std::string leaf = cp1252ToUtf8(windowsName);
    bool sawOther = false;
    for (const std::string& folder : folders) {
        Lookup found = findInFolder(folder, leaf);
        if (!found.executable.empty()) {
            hostPath = absolute(found.executable);
            return ERROR_SUCCESS;
        }
        sawOther = sawOther || !found.other.empty();
    }
    return sawOther ? ERROR_BAD_EXE_FORMAT : ERROR_FILE_NOT_FOUND;
}

DWORD findNamedProgram(std::string name, std::string& hostPath) {
    // A name without an extension is an .exe, as Windows completes it.
    const size_t leafStart = name.find_last_of("\\/:") == std::string::npos
                                 ? 0 : name.find_last_of("\\/:") + 1;
    if (name.find('.', leafStart) == std::string::npos) name += kExe;
    return hasFolder(name) ? findWithFolder(name, hostPath) : searchFolders(name, hostPath);
}

}  // namespace

DWORD findApplication(std::string_view windowsName, std::string& hostPath) {
    if (windowsName.empty()) return ERROR_PATH_NOT_FOUND;
    if (hasFolder(windowsName)) return findWithFolder(windowsName, hostPath);
    return findWithFolder(std::string(".\\") + std::string(windowsName), hostPath);
}

DWORD findCommandLineProgram(std::string_view commandLine, std::string& hostPath) {
    size_t start = 0;
    while (start < commandLine.size() && (commandLine[start] == ' ' || commandLine[start] == '\t'))
        ++start;
    std::string_view line = commandLine.substr(start);
    if (line.empty()) return ERROR_FILE_NOT_FOUND;
    if (line[0] == '"') {
        const size_t close = line.find('"', 1);
        std::string_view name =
            line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
        if (name.empty()) return ERROR_FILE_NOT_FOUND;
        return findNamedProgram(std::string(name), hostPath);
    }
    // Unquoted: try "a", "a b", "a b c" ... up to each blank; the first that exists wins, and
    // the error of the first word is the one reported when none does.
    DWORD firstError = ERROR_SUCCESS;
    size_t end = 0;
    for (;;) {
        end = line.find_first_of(" \t", end);
        const std::string name(line.substr(0, end));
        DWORD error = findNamedProgram(name, hostPath);
        if (error == ERROR_SUCCESS) return ERROR_SUCCESS;
        if (firstError == ERROR_SUCCESS) firstError = error;
        if (end == std::string_view::npos) return firstError;
        while (end < line.size() && (line[end] == ' ' || line[end] == '\t')) ++end;
        if (end >= line.size()) return firstError;
    }
}

}  // namespace winapi
