// Share modes across processes. Every open of a file with data access records what it does and
// what it denies as open-file-description locks on bytes far beyond any real data; the locks
// belong to the open itself, so they vanish when its handle is closed or its process dies, and
// every process of the machine sees them. Decisions are serialised by a lock file of the prefix,
// but for an open that shares nothing, which checks and records itself in one step.
#pragma once

#include <windows.h>

#include <string>

namespace winapi {

// Data access of an open as sharing sees it; the values are those of FILE_SHARE_*.
enum : DWORD { kAccessRead = FILE_SHARE_READ, kAccessWrite = FILE_SHARE_WRITE, kAccessDelete = FILE_SHARE_DELETE };

// Held while a process checks and records opens (and while it deletes or renames a file), so that
// two processes (or threads) cannot both pass the check. A file just made by its creator can
// meet only holders of other kinds (an open of it by its name, its deletion or renaming): the
// gates of creators shut those out but not one another, so that threads making different new
// files do not wait for one another.
class SharingGate {
public:
    struct ForNewFile {};
    SharingGate();
    explicit SharingGate(ForNewFile);
    ~SharingGate();
    SharingGate(const SharingGate&) = delete;
    SharingGate& operator=(const SharingGate&) = delete;

private:
    void enter(short kind);
    int fd_ = -1;
};

// Checks the open behind `fd` (a file descriptor open for reading) for `access` (kAccess* bits)
// allowing `share` (FILE_SHARE_* bits) against opens through other handles, and records it for
// as long as the open file description lives; false, with nothing recorded, when it collides.
// An open without data access never collides and is not recorded. Made under the gate, unless
// claimAlone() says otherwise.
bool claimOpen(int fd, DWORD access, DWORD share);

// How an open that shares nothing fared when it claimed its file in one step.
enum class Claim {
    Made,        // checked and recorded
    Taken,       // another open, or a deletion, holds the file
    Unenforced,  // the file system has no locks: sharing is not enforced
    NotAlone     // the descriptor cannot claim in one step (it is not open for writing)
};

// Checks and records the open behind `fd`, which shares nothing, in one step: atomic against
// every other claim, record and deletion hold, so no gate is needed for it. A file just made
// by its creator is claimed so; it may meet holders of other kinds, which it then waits for
// under the gate.
Claim claimAlone(int fd);

// While it lives, a deletion or a renaming of the file at hostPath is safe from opens that would
// deny it: made under the whole gate, it shuts out the gate-free claims of new files as well.
// denied() when an open of the file already denies deleting it.
class DeletionHold {
public:
    explicit DeletionHold(const std::string& hostPath);
    ~DeletionHold();
    DeletionHold(const DeletionHold&) = delete;
    DeletionHold& operator=(const DeletionHold&) = delete;
    bool denied() const { return denied_; }

private:
    int fd_ = -1;
    bool denied_ = false;
};

// True when the file at hostPath is held open by a handle that does not allow deleting it.
bool deletionDenied(const std::string& hostPath);

// True when a file anywhere below the folder at hostFolder is held so; such a folder cannot be
// renamed, as a program's open files keep their folder where it is.
bool deletionDeniedBelow(const std::string& hostFolder);

}  // namespace winapi
