// Locating and initialising the prefix.
#include "prefix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace winapi {
namespace {

std::string defaultPrefix() {
    if (const char* p = std::getenv("LUMORA_PREFIX"); p && *p) return p;
    if (const char* d = std::getenv("XDG_DATA_HOME"); d && *d) return std::string(d) + "/lumora";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/lumora";
}

void initialise(const std::string& prefix) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(prefix, ec);
    // Several processes may start on a new prefix at once: one initialises, the others wait.
    int lock = ::open((prefix + "/.init.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock >= 0) ::flock(lock, LOCK_EX);
    const std::string marker = prefix + "/.initialised";
    if (!fs::exists(marker)) {
        for (const char* dir : {kWindowsDir, kSystemDir, kProgramsDir, kRunDir, "user/Favorites",
                                "user/Desktop", "user/Start Menu/Programs", "user/Application Data",
                                "user/Eigene Dateien", "temp", "dosdevices"})
            fs::create_directories(prefix + "/" + dir, ec);
        if (initialiseRegistry(prefix)) {
            if (FILE* f = std::fopen(marker.c_str(), "w")) std::fclose(f);
        } else {
            std::fprintf(stderr, "winapi: cannot initialise the registry of prefix %s\n",
                         prefix.c_str());
        }
    }
    if (lock >= 0) ::close(lock);
}

}  // namespace

const std::string& prefixPath() {
    static const std::string path = [] {
        std::string p = defaultPrefix();
        while (p.size() > 1 && p.back() == '/') p.pop_back();
        initialise(p);
        return p;
    }();
    return path;
}

std::string prefixFile(std::string_view relative) {
    std::string path = prefixPath();
    path += '/';
    path += relative;
    return path;
}

}  // namespace winapi
