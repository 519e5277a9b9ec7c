// The processes of the prefix that record share modes, entered in "run/holders" of the prefix:
// one file per process, named by its process id and kept locked (flock) while it lives.
#include "share_holders.h"

#include "prefix.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace winapi {
namespace {

struct Holders {
    std::string folder;  // the host path of run/holders, set at the first entry
    pid_t self = 0;      // this process, once it has entered (a child of fork() sets its own)
    pid_t entered = 0;   // the process whose entry `entry` is; 0 when it is to be made (anew)
    int entry = -1;
};

Holders& holders() {
    static Holders* instance = new Holders;  // never destroyed: used until the process ends
    return *instance;
}

// "<folder>/<pid><suffix>" without allocating, so that a child of fork() can make it.
bool entryPath(char* buffer, size_t size, const std::string& folder, pid_t pid, const char* suffix) {
    char digits[16];
    size_t count = 0;
    for (unsigned long value = static_cast<unsigned long>(pid); count == 0 || value; value /= 10)
        digits[count++] = static_cast<char>('0' + value % 10);
    const size_t length = folder.size() + 1 + count + std::strlen(suffix);
    if (length + 1 > size) return false;
    char* at = buffer;
    std::memcpy(at, folder.data(), folder.size());
    at += folder.size();
    *at++ = '/';
    while (count) *at++ = digits[--count];
    std::strcpy(at, suffix);
    return true;
}

// Makes the entry under a passing name and locks it before it takes its own name, so that an
// entry with a process's name is locked for as long as that process lives. Only system calls
// that are safe in a child of fork() before it executes another program.
bool enter(Holders& h) {
    const pid_t pid = ::getpid();
    char passing[PATH_MAX], named[PATH_MAX];
    if (!entryPath(passing, sizeof passing, h.folder, pid, ".new") || !entryPath(named, sizeof named, h.folder, pid, ""))
        return false;
    const int fd = ::open(passing, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_SH) != 0 || ::rename(passing, named) != 0) {
        ::unlink(passing);
        ::close(fd);
        return false;
    }
    // A child's copy of its parent's entry goes: the parent's entry stays locked by the parent.
    if (h.entry >= 0) ::close(h.entry);
    h.entry = fd;
    h.entered = pid;
    return true;
}

// A child of fork() holds the opens it inherited: it enters itself at once.
void enterChild() {
    Holders& h = holders();
    h.self = ::getpid();
    if (h.entered) enter(h);
}

// The folder's listing, or null with errno set.
DIR* openFolder(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    DIR* listing = ::fdopendir(fd);
    if (!listing) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return listing;
}

// Whether the process has a file below `below` (ending in "/") open with a lock covering
// `denies`; nothing when the process's open files cannot be read.
std::optional<bool> processHolds(pid_t pid, const std::string& below, off_t denies) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/fd", static_cast<int>(pid));
    DIR* listing = openFolder(path);
    if (!listing) return std::nullopt;
    const int descriptors = ::dirfd(listing);
    std::optional<bool> held = false;
    while (const dirent* entry = ::readdir(listing)) {
        if (entry->d_name[0] == '.') continue;
        char target[PATH_MAX];
        const ssize_t length = ::readlinkat(descriptors, entry->d_name, target, sizeof target - 1);
        if (length < 0) continue;  // closed meanwhile
        target[length] = '\0';
        if (std::strncmp(target, below.c_str(), below.size()) != 0) continue;
        // The open's locks: "lock:\t1: OFDLCK ADVISORY  READ -1 fe:00:1234 START END".
        char info[sizeof "/proc//fdinfo/" + 16 + sizeof entry->d_name];
        std::snprintf(info, sizeof info, "/proc/%d/fdinfo/%s", static_cast<int>(pid), entry->d_name);
        FILE* lines = std::fopen(info, "re");
        if (!lines) continue;
        char line[256];
        while (std::fgets(line, sizeof line, lines)) {
            char kind[16], end[32];
            unsigned long long start = 0;
            if (std::sscanf(line, "lock: %*s %15s %*s %*s %*s %*s %llu %31s", kind, &start, end) != 3) continue;
            if (std::strcmp(kind, "OFDLCK") != 0 || start > static_cast<unsigned long long>(denies)) continue;
            if (std::strcmp(end, "EOF") == 0 || std::strtoull(end, nullptr, 10) >= static_cast<unsigned long long>(denies))
                held = true;
        }
        std::fclose(lines);
        if (*held) break;
    }
    ::closedir(listing);
    return held;
}

}  // namespace

void enterShareHolder() {
    Holders& h = holders();
    if (h.entered && h.entered == h.self) return;
    if (h.folder.empty()) {
        h.folder = prefixFile(kRunDir) + "/holders";
        h.self = ::getpid();
        ::pthread_atfork(nullptr, nullptr, enterChild);
    }
    ::mkdir(h.folder.c_str(), 0777);
    enter(h);
}

void shareHolderEntryLost() { holders().entered = 0; }

std::optional<bool> heldBelowByHolders(const std::string& hostFolder, off_t denies) {
    // The open files of a process name their canonical paths.
    char real[PATH_MAX];
    if (!::realpath(hostFolder.c_str(), real)) return std::nullopt;
    std::string below = real;
    if (below.back() != '/') below += '/';

    const std::string folder = prefixFile(kRunDir) + "/holders";
    DIR* listing = openFolder(folder.c_str());
    if (!listing) {
        if (errno == ENOENT) return false;  // no process of the prefix has recorded an open
        return std::nullopt;
    }
    const int entries = ::dirfd(listing);
    std::optional<bool> held = false;
    while (const dirent* entry = ::readdir(listing)) {
        if (entry->d_name[0] == '.') continue;
        const int fd = ::openat(entries, entry->d_name, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;  // gone meanwhile
        const bool passing = std::strchr(entry->d_name, '.') != nullptr;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // Nobody holds it: the process has ended (unless the name is another process's by
            // now, which took it over since). A passing name may be one being made.
            struct stat opened, named;
            if (!passing && ::fstat(fd, &opened) == 0 && ::fstatat(entries, entry->d_name, &named, 0) == 0 &&
                opened.st_ino == named.st_ino)
                ::unlinkat(entries, entry->d_name, 0);
            ::close(fd);
            continue;
        }
        ::close(fd);
        // An entry being made by a child of fork(), or a process that has ended while a child
        // it forked still holds its entry: which opens they hold cannot be told here.
        const pid_t pid = passing ? 0 : static_cast<pid_t>(std::atoi(entry->d_name));
        held = pid > 0 ? processHolds(pid, below, denies) : std::nullopt;
        if (!held || *held) break;
    }
    ::closedir(listing);
    return held;
}

}  // namespace winapi
