// Profile files on disk. Readers take the parsed text from a cache while the file is unchanged;
// writers lock the folder, write the new text to a temporary file beside the old one and rename
// it over, so readers in other processes see either the old or the new file, never a part.
#include "profile_store.h"

#include "paths.h"
#include "prefix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <unordered_map>

namespace winapi {
namespace {

// A parsed file and the state of the file it was read from.
struct CacheEntry {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;
    std::shared_ptr<const ProfileText> text;
};

constexpr size_t kCacheFiles = 16;

// Closes a descriptor when the scope ends, also when a bad_alloc unwinds it.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

std::mutex cacheMutex;
std::unordered_map<std::string, CacheEntry>& cache() {
    static std::unordered_map<std::string, CacheEntry> entries;
    return entries;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool matches(const CacheEntry& entry, const struct stat& st) {
    return entry.device == st.st_dev && entry.inode == st.st_ino && entry.size == st.st_size &&
           sameTime(entry.modified, st.st_mtim) && sameTime(entry.changed, st.st_ctim);
}

// File times have a coarse clock: two writes of the same size within one tick look alike. A file
// is only cached once it has been left alone for a while, so a recent change is always re-read.
bool settled(const struct stat& st) {
    timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    const time_t latest = st.st_mtim.tv_sec > st.st_ctim.tv_sec ? st.st_mtim.tv_sec
                                                                 : st.st_ctim.tv_sec;
    return now.tv_sec - latest >= 2;
}

void forget(const std::string& hostPath) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache().erase(hostPath);
}

// Reads the whole file. ERROR_SUCCESS, ERROR_FILE_NOT_FOUND or the error.
DWORD readFile(const std::string& path, std::string& bytes, struct stat& st) {
    bytes.clear();
    const FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : errnoToWin32(errno);
    DWORD error = ERROR_SUCCESS;
    if (::fstat(file.fd, &st) != 0) {
        error = errnoToWin32(errno);
    } else if (S_ISDIR(st.st_mode)) {
        error = ERROR_ACCESS_DENIED;
    } else {
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(file.fd, chunk, sizeof chunk);
            if (n > 0) {
                bytes.append(chunk, static_cast<size_t>(n));
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                error = errnoToWin32(errno);
                break;
            }
        }
    }
    return error;
}

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes `bytes` to a new file beside `target` and renames it over `target`.
DWORD replaceFile(const std::string& target, const std::string& bytes, const struct stat* old) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir + "." + base + "." + std::to_string(::getpid()) + "-" +
               std::to_string(counter++) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return errnoToWin32(errno);
    }
    if (fd < 0) return ERROR_CANNOT_MAKE;

    DWORD error = ERROR_SUCCESS;
    if (old && ::fchmod(fd, old->st_mode & 07777) != 0) error = errnoToWin32(errno);
    if (error == ERROR_SUCCESS && (!writeAll(fd, bytes) || ::fsync(fd) != 0))
        error = errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
    if (::close(fd) != 0 && error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
    if (error == ERROR_SUCCESS && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errnoToWin32(errno);
    if (error != ERROR_SUCCESS) ::unlink(temp.c_str());
    return error;
}

// The file a write must replace: the target of a symbolic link rather than the link.
std::string writeTarget(const std::string& hostPath) {
    struct stat st;
    if (::lstat(hostPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(hostPath.c_str(), nullptr)) {
            std::string resolved(real);
            std::free(real);
            return resolved;
        }
    }
    return hostPath;
}

}  // namespace

DWORD profileHostPath(LPCSTR fileName, std::string& hostPath) {
    std::string name = fileName ? fileName : "win.ini";
    const bool bare = name.find_first_of("\\/") == std::string::npos &&
                      !(name.size() >= 2 && name[1] == ':');
    if (bare) name = std::string("C:\\") + kWindowsDir + "\\" + name;
    return toHostPath(name.c_str(), hostPath);
}

DWORD loadProfile(const std::string& hostPath, std::shared_ptr<const ProfileText>& text) {
    text.reset();
    struct stat st;
    if (::stat(hostPath.c_str(), &st) == 0) {
        std::lock_guard<std::mutex> lock(cacheMutex);
        auto it = cache().find(hostPath);
        if (it != cache().end() && matches(it->second, st)) {
            text = it->second.text;
            return ERROR_SUCCESS;
        }
    }

    std::string bytes;
    const DWORD error = readFile(hostPath, bytes, st);
    if (error == ERROR_FILE_NOT_FOUND) {
        forget(hostPath);
        text = std::make_shared<const ProfileText>(std::string());
        return error;
    }
    if (error != ERROR_SUCCESS) return error;

    auto parsed = std::make_shared<const ProfileText>(std::move(bytes));
    if (settled(st)) {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (cache().size() >= kCacheFiles) cache().clear();
        cache()[hostPath] = CacheEntry{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim,
                                       parsed};
    }
    text = std::move(parsed);
    return ERROR_SUCCESS;
}

DWORD editProfile(const std::string& hostPath,
                  const std::function<std::string(const ProfileText&)>& edit) {
    const std::string target = writeTarget(hostPath);
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);

    // The lock on the folder lasts until the descriptor closes at the end of the scope.
    const FileDescriptor folder{::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd < 0) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : errnoToWin32(errno);
    ::flock(folder.fd, LOCK_EX);

    std::string bytes;
    struct stat st;
    DWORD error = readFile(target, bytes, st);
    const bool exists = error == ERROR_SUCCESS;
    if (error == ERROR_FILE_NOT_FOUND) error = ERROR_SUCCESS;
    if (error == ERROR_SUCCESS && exists && ::access(target.c_str(), W_OK) != 0)
        error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS) {
        const ProfileText text(std::move(bytes));
        std::string changed = edit(text);
        if (changed != text.bytes())
            error = replaceFile(target, changed, exists ? &st : nullptr);
    }
    forget(hostPath);
    forget(target);
    return error;
}

}  // namespace winapi
