// Share modes across processes, as open-file-description locks.
#include "file_sharing.h"

#include "prefix.h"
#include "share_holders.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <filesystem>

namespace winapi {
namespace {

// Far beyond the end of any real file, so the locks never meet byte-range locks on data. One
// byte says "opened for" a kind of access, another "denies" it to others.
constexpr off_t kLockBase = off_t{1} << 62;
constexpr DWORD kKinds[] = {kAccessRead, kAccessWrite, kAccessDelete};

off_t openedByte(DWORD kind) { return kLockBase + (kind == kAccessRead ? 0 : kind == kAccessWrite ? 1 : 2); }
off_t deniesByte(DWORD kind) { return openedByte(kind) + 3; }
// All six bytes: an open that shares nothing holds them all.
const off_t kAllBytes = openedByte(kAccessRead);
const off_t kAllBytesLength = deniesByte(kAccessDelete) - kAllBytes + 1;

// Sets (or, with F_UNLCK, clears) an open-file-description lock of `type` on `length` bytes from
// `start`: 0, or the error (EAGAIN and EACCES: another open's lock stands in the way).
int placeLock(int fd, short type, off_t start, off_t length, int command = F_OFD_SETLK) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    return ::fcntl(fd, command, &lock) == 0 ? 0 : errno;
}

bool heldByAnother(int error) { return error == EAGAIN || error == EACCES; }

bool lockedByOthers(int fd, off_t byte, off_t length = 1) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = length;
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type != F_UNLCK;
}

}  // namespace

// The gate is a lock file of the prefix, whose first byte a holder locks: shared by creators,
// exclusive for every other holder. The locks are open-file-description locks, which shut out
// only other open descriptions, so every thread keeps one of its own: opening the file by its
// path for every gate cost as much as the open of a file itself. A child of fork() shares its
// parent's descriptions and opens its own. A prefix removed and made again has a new lock file,
// which the next gate opens.
namespace {

std::atomic<unsigned> forkGeneration{0};

struct ThreadGate {
    int fd = -1;
    unsigned generation = 0;
    ~ThreadGate() {
        if (fd >= 0) ::close(fd);
    }
};

int gateFile() {
    static const bool counted = [] {
        ::pthread_atfork(nullptr, nullptr, [] { forkGeneration.fetch_add(1); });
        return true;
    }();
    (void)counted;
    thread_local ThreadGate gate;
    struct stat st;
    const unsigned generation = forkGeneration.load();
    if (gate.fd >= 0 && gate.generation == generation && ::fstat(gate.fd, &st) == 0 && st.st_nlink > 0)
        return gate.fd;
    if (gate.fd >= 0) {
        // The parent's locks stay with the parent: closing this copy leaves them.
        ::close(gate.fd);
        if (gate.generation == generation) shareHolderEntryLost();
    }
    gate.fd = ::open(prefixFile(std::string(kRunDir) + "/sharing.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    gate.generation = generation;
    return gate.fd;
}

}  // namespace

SharingGate::SharingGate() { enter(F_WRLCK); }

SharingGate::SharingGate(ForNewFile) { enter(F_RDLCK); }

void SharingGate::enter(short kind) {
    fd_ = gateFile();
    if (fd_ < 0) return;
    int error;
    while ((error = placeLock(fd_, kind, 0, 1, F_OFD_SETLKW)) == EINTR) {
    }
    if (error) fd_ = -1;  // a file system without such locks: sharing is not enforced, as elsewhere
}

SharingGate::~SharingGate() {
    if (fd_ >= 0) placeLock(fd_, F_UNLCK, 0, 1);
}

namespace {

bool sharingConflict(int fd, DWORD access, DWORD share) {
    for (DWORD kind : kKinds) {
        if ((access & kind) && lockedByOthers(fd, deniesByte(kind))) return true;
        if (!(share & kind) && lockedByOthers(fd, openedByte(kind))) return true;
    }
    return false;
}

// False when a lock of another open, made since the check (a gate-free claim of a new file),
// stands in the way.
bool recordOpen(int fd, DWORD access, DWORD share) {
    // One lock for each run of neighbouring bytes: the three "denies" bytes are often all set.
    // A file system without such locks just does not enforce sharing.
    auto lockRun = [fd](off_t start, off_t length) { return !heldByAnother(placeLock(fd, F_RDLCK, start, length)); };
    for (DWORD kind : kKinds)
        if ((access & kind) && !lockRun(openedByte(kind), 1)) return false;
    off_t runStart = -1, runLength = 0;
    for (DWORD kind : kKinds) {
        if (!(share & kind)) {
            if (runStart < 0) runStart = deniesByte(kind);
            ++runLength;
            continue;
        }
        if (runStart >= 0 && !lockRun(runStart, runLength)) return false;
        runStart = -1;
        runLength = 0;
    }
    return runStart < 0 || lockRun(runStart, runLength);
}

}  // namespace

Claim claimAlone(int fd) {
    enterShareHolder();
    // An open that shares nothing collides with every recorded open, each of which holds at least
    // one of the six bytes, and every later open with data access meets it on one of them: one
    // exclusive lock over all six checks and records it in one step. (The "opened for" bytes of
    // kinds it did not open for say nothing more, since no open with data access can be there.)
    const int error = placeLock(fd, F_WRLCK, kAllBytes, kAllBytesLength);
    if (!error) return Claim::Made;
    if (heldByAnother(error)) return Claim::Taken;
    // An exclusive lock needs a descriptor open for writing.
    return error == EBADF ? Claim::NotAlone : Claim::Unenforced;
}

bool claimOpen(int fd, DWORD access, DWORD share) {
    if (!access) return true;
    enterShareHolder();
    if (share & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return !sharingConflict(fd, access, share) && recordOpen(fd, access, share);
    switch (claimAlone(fd)) {
    case Claim::Made:
    case Claim::Unenforced: return true;
    case Claim::Taken: return false;
    case Claim::NotAlone: break;
    }
    // Open for reading only: it asks first and then holds a shared lock over the six bytes.
    return !lockedByOthers(fd, kAllBytes, kAllBytesLength) &&
           !heldByAnother(placeLock(fd, F_RDLCK, kAllBytes, kAllBytesLength));
}

DeletionHold::DeletionHold(const std::string& hostPath) {
    // Holding the "denies deleting" byte exclusively needs a descriptor open for writing; a file
    // this process may not write to (or a running program) is only asked, as gate-free claims
    // are not shut out then.
    fd_ = ::open(hostPath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        denied_ = deletionDenied(hostPath);
        return;
    }
    denied_ = heldByAnother(placeLock(fd_, F_WRLCK, deniesByte(kAccessDelete), 1));
}

DeletionHold::~DeletionHold() {
    if (fd_ >= 0) ::close(fd_);
}

bool deletionDenied(const std::string& hostPath) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool denied = lockedByOthers(fd, deniesByte(kAccessDelete));
    ::close(fd);
    return denied;
}

namespace {

// The inodes of files with an open that denies deleting them, from the kernel's list of locks:
// one read instead of opening every file below a folder. False when the list cannot be read.
bool inodesDenyingDeletion(std::set<ino_t>& inodes) {
    std::ifstream locks("/proc/locks");
    if (!locks) return false;
    const unsigned long long denies = static_cast<unsigned long long>(deniesByte(kAccessDelete));
    std::string line;
    while (std::getline(locks, line)) {
        // "1: OFDLCK ADVISORY READ -1 08:01:1234 START END"
        std::istringstream fields(line);
        std::string number, kind, advisory, type, pid, device, end;
        unsigned long long start = 0;
        if (!(fields >> number >> kind >> advisory >> type >> pid >> device >> start >> end)) continue;
        // The share locks are open-file-description locks; flock and POSIX locks are others'.
        if (kind != "OFDLCK") continue;
        if (start > denies || (end != "EOF" && std::strtoull(end.c_str(), nullptr, 10) < denies)) continue;
        const size_t colon = device.rfind(':');
        if (colon != std::string::npos) inodes.insert(static_cast<ino_t>(std::strtoull(device.c_str() + colon + 1, nullptr, 10)));
    }
    return true;
}

bool heldBelow(const std::string& folder, const std::set<ino_t>& candidates) {
    DIR* directory = ::opendir(folder.c_str());
    if (!directory) return false;
    bool held = false;
    while (!held) {
        const dirent* entry = ::readdir(directory);
        if (!entry) break;
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        unsigned char type = entry->d_type;
        // A plain file that no open denies deleting needs no path.
        if (type == DT_REG && !candidates.count(entry->d_ino)) continue;
        const std::string path = folder + "/" + entry->d_name;
        if (type == DT_UNKNOWN) {
            struct stat st;
            if (::lstat(path.c_str(), &st) != 0) continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) held = heldBelow(path, candidates);
        else if (type == DT_REG && candidates.count(entry->d_ino)) held = deletionDenied(path);
    }
    ::closedir(directory);
    return held;
}

}  // namespace

bool deletionDeniedBelow(const std::string& hostFolder) {
    // The processes that record opens are asked which files below the folder they hold. Where
    // that cannot be told, the kernel's list of locks answers for all files in one read (which
    // stops every lock call of the machine for 10 to 20 ms), and without it every file is asked.
    if (const std::optional<bool> held = heldBelowByHolders(hostFolder, deniesByte(kAccessDelete))) return *held;
    std::set<ino_t> candidates;
    if (inodesDenyingDeletion(candidates)) return !candidates.empty() && heldBelow(hostFolder, candidates);
    // Without the kernel's list every file is asked.
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(hostFolder, error), end; !error && entry != end;
         entry.increment(error))
        if (entry->is_regular_file(error) && deletionDenied(entry->path().string())) return true;
    return false;
}

}  // namespace winapi
