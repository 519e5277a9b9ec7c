// Share modes across processes, as open-file-description locks.
#include "file_sharing.h"

#include "prefix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace winapi {
namespace {

// Far beyond the end of any real file, so the locks never meet byte-range locks on data. One
// byte says "opened for" a kind of access, another "denies" it to others.
constexpr off_t kLockBase = off_t{1} << 62;
constexpr DWORD kKinds[] = {kAccessRead, kAccessWrite, kAccessDelete};

off_t openedByte(DWORD kind) { return kLockBase + (kind == kAccessRead ? 0 : kind == kAccessWrite ? 1 : 2); }
off_t deniesByte(DWORD kind) { return openedByte(kind) + 3; }

std::mutex& gateMutex() {
    static std::mutex mutex;
    return mutex;
}

bool lockedByOthers(int fd, off_t byte) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type != F_UNLCK;
}

}  // namespace

SharingGate::SharingGate() : threads_(gateMutex()) {
    fd_ = ::open(prefixFile(std::string(kRunDir) + "/sharing.lock").c_str(),
                 O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

SharingGate::~SharingGate() {
    if (fd_ >= 0) ::close(fd_);  // closing the only descriptor of the open releases the flock
}

bool sharingConflict(int fd, DWORD access, DWORD share) {
    if (!access) return false;
    for (DWORD kind : kKinds) {
        if ((access & kind) && lockedByOthers(fd, deniesByte(kind))) return true;
        if (!(share & kind) && lockedByOthers(fd, openedByte(kind))) return true;
    }
    return false;
}

void recordOpen(int fd, DWORD access, DWORD share) {
    if (!access) return;
    for (DWORD kind : kKinds) {
        for (off_t byte : {(access & kind) ? openedByte(kind) : off_t{-1},
                           (share & kind) ? off_t{-1} : deniesByte(kind)}) {
            if (byte < 0) continue;
            struct flock lock {};
            lock.l_type = F_RDLCK;
            lock.l_whence = SEEK_SET;
            lock.l_start = byte;
            lock.l_len = 1;
            // A file system without such locks just does not enforce sharing.
            ::fcntl(fd, F_OFD_SETLK, &lock);
        }
    }
}

bool deletionDenied(const std::string& hostPath) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool denied = lockedByOthers(fd, deniesByte(kAccessDelete));
    ::close(fd);
    return denied;
}

bool deletionDeniedBelow(const std::string& hostFolder) {
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(hostFolder, error), end; !error && entry != end;
         entry.increment(error))
        if (entry->is_regular_file(error) && deletionDenied(entry->path().string())) return true;
    return false;
}

}  // namespace winapi
