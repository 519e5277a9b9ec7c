// wextract: the Linux stand-in for the cabinet extractor the updater falls back to ("WExtract.exe",
// named without a folder, so it is found in the current folder: the install folder the browser
// center starts the updater in) when the system folder holds no "Extrac32.exe". It takes the
// extractor command line the updater writes - /Y (overwrite without asking), /L folder
// (destination), /E (all files), the cabinet and the names of the files to extract - and
// extracts with cabextract.
// Exits with cabextract's code, 1 when cabextract is missing, 2 for a command line it cannot use.
#include <windows.h>

#include "paths.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Splits a Windows command line the way the C runtime does for argv: the program name runs to
// the first blank outside quotes (it is empty when the line begins with a blank), the other
// words are separated by blanks, quotes group and are removed.
std::vector<std::string> words(const char* line) {
    std::vector<std::string> result;
    std::string word;
    bool quoted = false, any = false;
    for (const char* p = line; *p; ++p) {
        if (*p == '"') {
            quoted = !quoted;
            any = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (any || result.empty()) result.push_back(word);
            word.clear();
            any = false;
            while (p[1] == ' ' || p[1] == '\t') ++p;
        } else {
            word += *p;
            any = true;
        }
    }
    if (any) result.push_back(word);
    return result;
}

int run(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, "cabextract", nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "wextract: cabextract is not installed\n");
        return 1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main() {
    const std::vector<std::string> all = words(GetCommandLineA());
    std::string destination, cabinet;
    std::vector<std::string> files;
    for (size_t i = 1; i < all.size(); ++i) {
        const std::string& w = all[i];
        if (lstrcmpiA(w.c_str(), "/L") == 0 && i + 1 < all.size()) {
            destination = all[++i];
        } else if (lstrcmpiA(w.c_str(), "/Y") == 0 || lstrcmpiA(w.c_str(), "/E") == 0 ||
                   lstrcmpiA(w.c_str(), "/A") == 0) {
            continue;
        } else if (!w.empty() && w[0] == '/' && w.size() == 2) {
            std::fprintf(stderr, "wextract: option %s is not supported\n", w.c_str());
            return 2;
        } else if (cabinet.empty()) {
            cabinet = w;
        } else {
            files.push_back(w);
        }
    }
    std::string hostCabinet, hostDestination = ".";
    if (cabinet.empty() || !winapi::hostPathOrError(cabinet.c_str(), hostCabinet) ||
        (!destination.empty() && !winapi::hostPathOrError(destination.c_str(), hostDestination))) {
        std::fprintf(stderr, "usage: wextract [/Y] [/L folder] [/E] cabinet [file ...]\n");
        return 2;
    }
    if (files.empty()) return run({"cabextract", "-q", "-d", hostDestination, hostCabinet});
    int code = 0;
    for (const std::string& file : files) {
        const int result = run({"cabextract", "-q", "-d", hostDestination, "-F", file, hostCabinet});
        if (result != 0) code = result;
    }
    return code;
}
