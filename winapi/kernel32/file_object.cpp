// Opening and creating files with CreateFileA's rules.
#include "file_object.h"

#include "file_attributes.h"
#include "file_sharing.h"
#include "paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace winapi {
namespace {

constexpr DWORD kDelete = 0x00010000;
constexpr DWORD kFileReadData = 0x0001;
constexpr DWORD kFileWriteData = 0x0002;
constexpr DWORD kFileAppendData = 0x0004;
constexpr DWORD kFileExecute = 0x0020;
// The attributes CreateFileA gives a file it creates or overwrites.
constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | 0x1000 | 0x2000;

DWORD dataAccess(DWORD desired, DWORD flags) {
    DWORD access = 0;
    if (desired & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | kFileReadData | kFileExecute))
        access |= kAccessRead;
    if (desired & (GENERIC_WRITE | GENERIC_ALL | kFileWriteData | kFileAppendData))
        access |= kAccessWrite;
    if ((desired & (GENERIC_ALL | kDelete)) || (flags & FILE_FLAG_DELETE_ON_CLOSE))
        access |= kAccessDelete;
    return access;
}

std::shared_ptr<FileObject> fail(DWORD error, int fd = -1) {
    if (fd >= 0) ::close(fd);
    SetLastError(error);
    return nullptr;
}

}  // namespace

FileObject::FileObject(int fd, std::string hostPath, DWORD access, bool deleteOnClose)
    : fd_(fd), hostPath_(std::move(hostPath)), access_(access), deleteOnClose_(deleteOnClose) {}

FileObject::~FileObject() {
    if (deleteOnClose_) {
        // Only the file this handle opened, not one that took its name since.
        struct stat mine, named;
        if (::fstat(fd_, &mine) == 0 && ::stat(hostPath_.c_str(), &named) == 0 &&
            mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
            ::unlink(hostPath_.c_str());
    }
    ::close(fd_);
}

bool FileObject::canRead() const { return access_ & kAccessRead; }
bool FileObject::canWrite() const { return access_ & kAccessWrite; }

void FileObject::noteChange() {
    if (!changed_.exchange(true)) markChanged(fd_);
}

std::shared_ptr<FileObject> openFile(const std::string& hostPath, DWORD desiredAccess,
                                     DWORD shareMode, DWORD disposition, DWORD flags) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return fail(ERROR_INVALID_PARAMETER);
    const DWORD access = dataAccess(desiredAccess, flags);
    const DWORD share = shareMode & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    const bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    int openFlags = ((access & kAccessWrite) || truncates ? O_RDWR : O_RDONLY) | O_CLOEXEC |
                    O_NOCTTY | O_NONBLOCK;
    if (flags & FILE_FLAG_WRITE_THROUGH) openFlags |= O_DSYNC;
    const bool trailingSeparator = !hostPath.empty() && hostPath.back() == '/';

    // The new file is made outside the gate, and its open checked and recorded by itself or under
    // a creator's gate, which threads making files side by side share. Whatever another process
    // did to the name in between (under the whole gate) is seen then: an open of it makes this
    // one fail, a deletion makes this one create the file again.
    std::optional<SharingGate> gate;
    // A disposition that may create tries that first: a new file needs no look before it, and
    // the created file is a regular file, which never blocks (no O_NONBLOCK to take off again).
    const bool mayCreate = disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    bool tryCreating = mayCreate && !trailingSeparator;
    // A file that appears or vanishes between looking and opening is looked at again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        int fd;
        if (tryCreating) {
            fd = ::open(hostPath.c_str(), (openFlags & ~O_NONBLOCK) | O_CREAT | O_EXCL, 0666);
            if (fd >= 0) {
                // A new file opened for writing that shares nothing claims itself in one step,
                // without the gate; one that meets another holder (an open of it by its name, its
                // deletion) waits for the whole gate and is looked at again under it. Others are
                // checked and recorded under a creator's gate. A gate held from a look at the
                // name before shuts out everyone already.
                Claim claim = Claim::NotAlone;
                if (!gate && !share && access && (openFlags & O_ACCMODE) == O_RDWR) claim = claimAlone(fd);
                if (claim == Claim::Taken) gate.emplace();
                else if (claim == Claim::NotAlone && !gate) gate.emplace(SharingGate::ForNewFile{});
                if ((claim == Claim::Taken || claim == Claim::NotAlone) && !claimOpen(fd, access, share))
                    return fail(ERROR_SHARING_VIOLATION, fd);
                struct stat st;
                const bool known = ::fstat(fd, &st) == 0;
                if (known && st.st_nlink == 0) {
                    ::close(fd);  // its claim goes with it
                    // Made again; a look at the name must not happen under a creator's gate.
                    gate.reset();
                    continue;
                }
                gate.reset();
                // The attributes of a new file are kept where the file system allows it. A plain
                // writable file has nothing to keep: a new file has no stored attributes yet.
                if (known && ((flags & kSettable) || isReadOnlyFile(st)))
                    storeAttributes(hostPath, fd, st, (flags & kSettable) | FILE_ATTRIBUTE_ARCHIVE);
                SetLastError(ERROR_SUCCESS);
                auto file = std::make_shared<FileObject>(fd, hostPath, access, (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0);
                file->archivedByOpen();
                return file;
            }
            if (errno != EEXIST) return fail(pathErrnoToWin32(errno, hostPath));
            // Something has the name: look at what it is.
            tryCreating = false;
        }
        if (!gate) gate.emplace();
        struct stat st;
        const bool exists = ::stat(hostPath.c_str(), &st) == 0;
        if (exists && S_ISDIR(st.st_mode))
            return fail(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
        if (trailingSeparator) return fail(ERROR_INVALID_NAME);
        if (!exists && errno != ENOENT) return fail(pathErrnoToWin32(errno, hostPath));
        if (!exists) {
            if (!mayCreate) return fail(pathErrnoToWin32(ENOENT, hostPath));
            // Gone again (or a link to nothing, which the next creating open reports as there).
            tryCreating = true;
            continue;
        }

        if (disposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
        if (isReadOnlyFile(st) && ((access & (kAccessWrite | kAccessDelete)) || truncates))
            return fail(ERROR_ACCESS_DENIED);
        // Overwriting a hidden or system file has to name those attributes again.
        const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (disposition == CREATE_ALWAYS && (attributesOf(hostPath, -1, st) & hiddenSystem & ~flags))
            return fail(ERROR_ACCESS_DENIED);
        fd = ::open(hostPath.c_str(), openFlags);
        if (fd < 0) {
            if (errno == ENOENT) {
                tryCreating = mayCreate;
                continue;
            }
            return fail(pathErrnoToWin32(errno, hostPath));
        }
        if (!claimOpen(fd, access, share)) return fail(ERROR_SHARING_VIOLATION, fd);
        if (truncates && ::ftruncate(fd, 0) != 0) return fail(errnoToWin32(errno), fd);
        struct stat opened;
        if (disposition == CREATE_ALWAYS && ::fstat(fd, &opened) == 0)
            storeAttributes(hostPath, fd, opened, (flags & kSettable) | FILE_ATTRIBUTE_ARCHIVE);
        else if (truncates)
            markChanged(fd);
        SetLastError(disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS
                                                                               : ERROR_SUCCESS);
        ::fcntl(fd, F_SETFL, openFlags & ~O_NONBLOCK);
        auto file = std::make_shared<FileObject>(fd, hostPath, access, (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0);
        if (disposition == CREATE_ALWAYS) file->archivedByOpen();
        return file;
    }
    return fail(ERROR_SHARING_VIOLATION);
}

}  // namespace winapi
