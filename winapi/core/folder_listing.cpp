// Finding a file name ignoring letter case, with watched listings of folders.
#include "folder_listing.h"

#include "brief_mutex.h"
#include "cp1252.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace winapi {
namespace {

// The listings are kept in parts, each with its own lock and inotify instance, chosen by the
// folder's path: threads working in different folders (the updater's writers) seldom wait for
// one another to take in the changes the kernel reported.
constexpr size_t kParts = 4;
// Enough for the folders a program works in; past it a part drops everything and watches anew.
constexpr size_t kMaxListings = 32;
// A bigger folder is read at each search rather than held in memory.
constexpr size_t kMaxNames = 100000;
// What changes a folder's names. A name moved away drops the whole listing rather than the one
// name: an exchange of two names (renameat2 RENAME_EXCHANGE) reports a name moved in and then
// the same name moved out, which cannot be told from a name that came and went.
constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_ONLYDIR;

// A name as Windows compares it: Windows-1252, letter case folded. Plain ASCII names, the usual
// ones, fold without the conversion.
std::string folded(std::string_view hostName) {
    std::string out(hostName);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80) return cp1252Lower(utf8ToCp1252(hostName));
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

// Heterogeneous look-up of folder paths, without making a string of each.
struct PathHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// The names of one folder, by their folded form (several host names can fold alike).
struct Listing {
    dev_t device = 0;
    ino_t inode = 0;
    std::unordered_multimap<std::string, std::string> byFolded;

    void add(std::string_view name) {
        std::string key = folded(name);
        auto [first, last] = byFolded.equal_range(key);
        for (auto it = first; it != last; ++it)
            if (it->second == name) return;
        byFolded.emplace(std::move(key), std::string(name));
    }
    void remove(std::string_view name) {
        auto [first, last] = byFolded.equal_range(folded(name));
        for (auto it = first; it != last; ++it) {
            if (it->second != name) continue;
            byFolded.erase(it);
            return;
        }
    }
    // The exact spelling when present, else a name folding alike; empty for none.
    std::string find(std::string_view name) const {
        auto [first, last] = byFolded.equal_range(folded(name));
        if (first == last) return {};
        for (auto it = first; it != last; ++it)
            if (it->second == name) return it->second;
        return first->second;
    }
};

struct Kept {
    BriefMutex mutex;
    int inotify = -1;
    bool unavailable = false;  // inotify could not be had: every search reads its folder
    bool forked = false;       // this is a child of fork(): what is kept is the parent's
    std::unordered_map<int, Listing> byWatch;
    std::map<std::pair<dev_t, ino_t>, int> watchOf;
    // The folder paths that had a kept listing: only they are looked up at all, so a program
    // that never searched a folder pays nothing.
    std::unordered_set<std::string, PathHash, std::equal_to<>> paths;
    // Folders searched once, whose listing was read but not kept.
    std::set<std::pair<dev_t, ino_t>> searchedOnce;

    void forgetAll() {
        if (inotify >= 0) ::close(inotify);  // removes every watch
        inotify = -1;
        byWatch.clear();
        watchOf.clear();
        paths.clear();
    }
    void drop(std::unordered_map<int, Listing>::iterator it, bool removeWatch) {
        watchOf.erase({it->second.device, it->second.inode});
        if (removeWatch) ::inotify_rm_watch(inotify, it->first);
        byWatch.erase(it);
    }
};

struct KeptParts {
    Kept part[kParts];
};

KeptParts& keptParts();

// The part that keeps the listing of the folder at this path.
Kept& kept(std::string_view key) { return keptParts().part[std::hash<std::string_view>{}(key) % kParts]; }

// fork() copies the inotify descriptors, and a child reading from them would take the parent's
// events: the child starts with nothing kept (its copies are closed; the parent's stay open).
void lockBeforeFork() {
    for (Kept& k : keptParts().part) k.mutex.lock();
}
void unlockInParent() {
    for (Kept& k : keptParts().part) k.mutex.unlock();
}
void forgetInChild() {
    // Only what is safe between fork and exec: the listings are dropped at the next use.
    for (Kept& k : keptParts().part) {
        k.mutex.unlock();
        if (k.inotify >= 0) ::close(k.inotify);
        k.inotify = -1;
        k.unavailable = false;
        k.forked = true;
    }
}

// The kernel takes an inotify instance that ever had a watch down only after a grace period of
// its own (0 to 25 ms measured, whether or not the watches were removed first), and whoever
// drops the last reference to the instance waits for it; at the end of the process that is part
// of the exit, so whoever waits for the process (the browser center for the updater) would wait
// too. The instances are handed on to a helper process, which holds the last references: it
// lets them go only once this process has let go of its own, which it learns from the end of a
// pipe that only this process writes to. The helper first closes every other descriptor it was
// given, so that no file, lock or pipe of this process outlives it, and this process goes on only
// then. The helper shares this process's memory (a copy would cost this process about a
// millisecond at its end), which outlives this process while the helper needs it, and runs on a
// stack of its own with every signal blocked, so that no handler of this process runs in it; no
// fork handler runs in it either, and it signals no one when it ends (its new parent collects it
// once this process is gone). This process waits for it by looking at a flag rather than
// sleeping: waking a sleeping process on another processor can take longer than the work.
struct Handover {
    int held[kParts + 1];  // the descriptors the helper keeps, in ascending order
    size_t count = 0;
    int letGo = -1;        // the pipe's reading end, one of them
    std::atomic<int> outcome{0};  // set by the helper: 1 when it holds only those, -1 when not
};
Handover handover;
alignas(64) char helperStack[65536];

int holdWatchesUntilLetGo(void*) {
    // A kernel without close_range leaves the waiting to this process's exit, as before.
    unsigned from = 0;
    bool closed = true;
    for (size_t i = 0; i < handover.count && closed; ++i) {
        const unsigned fd = static_cast<unsigned>(handover.held[i]);
        closed = fd == from || ::syscall(SYS_close_range, from, fd - 1, 0U) == 0;
        from = fd + 1;
    }
    closed = closed && ::syscall(SYS_close_range, from, ~0U, 0U) == 0;
    handover.outcome.store(closed ? 1 : -1);
    if (!closed) return 1;
    char end;
    while (::read(handover.letGo, &end, 1) > 0) {
    }
    for (size_t i = 0; i < handover.count; ++i) ::close(handover.held[i]);
    return 0;
}

void handWatchesOn() {
    KeptParts& parts = keptParts();
    for (Kept& k : parts.part) k.mutex.lock();
    auto keep = [](int fd) {
        size_t at = handover.count++;
        for (; at > 0 && handover.held[at - 1] > fd; --at) handover.held[at] = handover.held[at - 1];
        handover.held[at] = fd;
    };
    for (Kept& k : parts.part)
        if (k.inotify >= 0 && !k.forked) keep(k.inotify);
    int letGo[2] = {-1, -1};
    int child = -1;
    if (handover.count && ::pipe2(letGo, O_CLOEXEC) == 0) {
        handover.letGo = letGo[0];
        keep(letGo[0]);
        // The helper starts with every signal blocked.
        sigset_t all, mask;
        sigfillset(&all);
        ::pthread_sigmask(SIG_SETMASK, &all, &mask);
        child = ::clone(holdWatchesUntilLetGo, helperStack + sizeof helperStack, CLONE_VM, nullptr);
        ::pthread_sigmask(SIG_SETMASK, &mask, nullptr);
        if (child > 0) {
            while (handover.outcome.load() == 0) ::sched_yield();
            if (handover.outcome.load() < 0) child = -1;
        }
    }
    if (letGo[0] >= 0) ::close(letGo[0]);
    for (Kept& k : parts.part) {
        // Without a child the exit waits, as it would have.
        if (child > 0) {
            k.forgetAll();
            // Whatever looks up folders from here on (other threads, later exit handlers) reads them.
            k.unavailable = true;
        }
        k.mutex.unlock();
    }
    if (letGo[1] >= 0) ::close(letGo[1]);
}

KeptParts& keptParts() {
    // Never destroyed: look-ups from other static destructors stay safe.
    static KeptParts* instance = [] {
        KeptParts* made = new KeptParts;
        ::pthread_atfork(lockBeforeFork, unlockInParent, forgetInChild);
        return made;
    }();
    return *instance;
}

// The kept listings, locked; a child of fork() first drops the ones it inherited.
std::unique_lock<BriefMutex> locked(Kept& k) {
    std::unique_lock<BriefMutex> lock(k.mutex);
    if (k.forked) {
        k.forgetAll();
        k.forked = false;
    }
    return lock;
}

// File systems whose every change passes through this kernel's file system calls, which report
// it to inotify. Network and FUSE file systems change behind the kernel's back.
bool watchable(int folder) {
    struct statfs fs;
    if (::fstatfs(folder, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// Whether to keep the listing of a folder: not at its first search. Keeping costs a watch, and a
// process that ends with watches waits at its end for the kernel to take them down (a few
// milliseconds), which a program that creates one file should not pay. A folder searched again
// is likely to be searched often (many files made in it), and from then on its listing is kept.
bool searchedBefore(Kept& k, const struct stat& st) {
    const std::pair<dev_t, ino_t> folder{st.st_dev, st.st_ino};
    if (k.watchOf.count(folder) || k.searchedOnce.erase(folder)) return true;
    if (k.searchedOnce.size() >= 4 * kMaxListings) k.searchedOnce.clear();
    k.searchedOnce.insert(folder);
    return false;
}

void takeIn(Kept& k, const inotify_event& event) {
    if (event.mask & IN_Q_OVERFLOW) {
        // Changes were lost: nothing kept can be trusted.
        k.forgetAll();
        return;
    }
    auto it = k.byWatch.find(event.wd);
    if (it == k.byWatch.end()) return;
    if (event.mask & IN_IGNORED) {
        k.drop(it, false);  // the watch is gone (folder removed, file system unmounted)
        return;
    }
    if (event.mask & (IN_DELETE_SELF | IN_UNMOUNT | IN_MOVED_FROM)) {
        k.drop(it, !(event.mask & (IN_DELETE_SELF | IN_UNMOUNT)));
        return;
    }
    if (!event.len) return;
    const std::string_view name(event.name);
    if (event.mask & (IN_CREATE | IN_MOVED_TO)) {
        it->second.add(name);
        if (it->second.byFolded.size() > kMaxNames) k.drop(it, true);
    } else if (event.mask & IN_DELETE) {
        it->second.remove(name);
    }
}

// Applies every change the kernel has queued. A change completed before this call is queued
// already, since the kernel queues it inside the call that made it.
void takeInChanges(Kept& k) {
    alignas(inotify_event) char buffer[16384];
    while (k.inotify >= 0) {
        const ssize_t n = ::read(k.inotify, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        if (n <= 0) {
            k.forgetAll();  // the queue cannot be read: nothing kept can be trusted
            return;
        }
        // The kernel pads each event so that the next one is aligned.
        for (ssize_t at = 0; at < n && k.inotify >= 0;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            takeIn(k, *event);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
        // A read that left room for another event emptied the queue.
        if (static_cast<size_t>(n) + sizeof(inotify_event) + NAME_MAX + 1 <= sizeof buffer) return;
    }
}

bool haveInotify(Kept& k) {
    if (k.inotify >= 0) return true;
    if (k.unavailable) return false;
    k.inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (k.inotify < 0) k.unavailable = true;
    return k.inotify >= 0;
}

// Reads the names of the open folder; false when it cannot be read whole.
bool readNames(int folder, std::vector<std::string>& names) {
    alignas(8) char buffer[32768];
    for (;;) {
        const long n = ::getdents64(folder, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        for (long at = 0; at < n;) {
            dirent64 entry;
            std::memcpy(&entry, buffer + at, offsetof(dirent64, d_name));
            const char* name = buffer + at + offsetof(dirent64, d_name);
            if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) names.emplace_back(name);
            at += entry.d_reclen;
        }
    }
}

std::string firstMatch(const std::vector<std::string>& names, const std::string& wanted) {
    for (const std::string& name : names)
        if (folded(name) == wanted) return name;
    return {};
}

}  // namespace

bool lookUpInKeptListing(const char* dir, std::string_view name, std::string& match) {
    const char* key = *dir ? dir : ".";
    Kept& k = kept(key);
    {
        const auto lock = locked(k);
        if (k.paths.find(std::string_view(key)) == k.paths.end()) return false;
    }
    // The folder the path names now; its changes are taken in after this look, so that one
    // removed and replaced by another with the same inode number is never taken for it.
    struct stat st;
    if (::stat(key, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    const auto lock = locked(k);
    takeInChanges(k);
    auto watch = k.watchOf.find({st.st_dev, st.st_ino});
    if (watch == k.watchOf.end()) {
        auto path = k.paths.find(std::string_view(key));
        if (path != k.paths.end()) k.paths.erase(path);
        return false;
    }
    match = k.byWatch.at(watch->second).find(name);
    return true;
}

std::string findIgnoringCase(std::string_view dir, std::string_view name) {
    const std::string key = dir.empty() ? std::string(".") : std::string(dir);
    const std::string wanted = folded(name);
    const int folder = ::open(key.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return {};
    struct stat st;
    Kept& k = kept(key);
    auto lock = locked(k);
    int watch = -1;
    if (::fstat(folder, &st) == 0 && searchedBefore(k, st) && watchable(folder) && haveInotify(k)) {
        takeInChanges(k);
        auto known = k.watchOf.find({st.st_dev, st.st_ino});
        if (known != k.watchOf.end()) {
            // Kept already, under another path to the same folder.
            ::close(folder);
            if (k.paths.size() < 4 * kMaxListings) k.paths.insert(key);
            return k.byWatch.at(known->second).find(name);
        }
        if (k.byWatch.size() >= kMaxListings || k.paths.size() >= 4 * kMaxListings) {
            k.forgetAll();
            haveInotify(k);
        }
        // Watched through the open folder itself, so that the watch and the listing are of the
        // same folder even when the path changes meanwhile; watched before it is read, so that
        // no change after the reading is missed.
        if (k.inotify >= 0) {
            watch = ::inotify_add_watch(k.inotify, ("/proc/self/fd/" + std::to_string(folder)).c_str(), kWatchMask);
            // A watch of the same folder can outlive its listing (moved-away names): its queued
            // changes are from before this reading.
            auto stale = k.byWatch.find(watch);
            if (watch >= 0 && stale != k.byWatch.end()) k.drop(stale, false);
        }
    }
    std::vector<std::string> names;
    const bool whole = readNames(folder, names);
    ::close(folder);
    if (watch >= 0 && (!whole || names.size() > kMaxNames)) {
        ::inotify_rm_watch(k.inotify, watch);
        watch = -1;
    }
    if (watch < 0) {
        lock.unlock();
        return firstMatch(names, wanted);
    }
    Listing listing;
    listing.device = st.st_dev;
    listing.inode = st.st_ino;
    listing.byFolded.reserve(names.size() + 16);
    for (const std::string& entry : names) listing.add(entry);
    const std::string found = listing.find(name);
    static std::atomic<bool> handedOnAtExit{false};
    if (!handedOnAtExit.exchange(true)) std::atexit(handWatchesOn);
    k.watchOf[{st.st_dev, st.st_ino}] = watch;
    k.byWatch[watch] = std::move(listing);
    k.paths.insert(key);
    return found;
}

void forgetKeptListings() {
    for (Kept& k : keptParts().part) {
        const auto lock = locked(k);
        k.forgetAll();
    }
}

size_t keptListingCount() {
    size_t count = 0;
    for (Kept& k : keptParts().part) {
        const auto lock = locked(k);
        count += k.byWatch.size();
    }
    return count;
}

}  // namespace winapi
