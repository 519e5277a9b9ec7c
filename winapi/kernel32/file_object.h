// An open file behind a handle, and the rules by which CreateFileA opens or creates one: creation
// dispositions, the read-only, hidden and system attributes, and share modes across processes.
#pragma once

#include "handles.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

namespace winapi {

class FileObject : public KernelObject {
public:
    // Takes ownership of fd. access holds kAccess* bits.
    FileObject(int fd, std::string hostPath, DWORD access, bool deleteOnClose);
    ~FileObject() override;

    int fd() const { return fd_; }
    bool canRead() const;
    bool canWrite() const;
    // Called before the first change of the content: Windows sets ARCHIVE on a changed file.
    void noteChange();
    // The open itself gave the file ARCHIVE (a file made or overwritten): changes add nothing.
    void archivedByOpen() { changed_ = true; }

private:
    int fd_;
    std::string hostPath_;
    DWORD access_;
    bool deleteOnClose_;
    std::atomic<bool> changed_{false};
};

// Opens or creates the file at hostPath as CreateFileA does (desiredAccess, shareMode,
// disposition and flagsAndAttributes as passed to it). Returns null with the last error set;
// on success the last error is ERROR_ALREADY_EXISTS when CREATE_ALWAYS or OPEN_ALWAYS found
// the file, ERROR_SUCCESS otherwise.
std::shared_ptr<FileObject> openFile(const std::string& hostPath, DWORD desiredAccess,
                                     DWORD shareMode, DWORD disposition, DWORD flagsAndAttributes);

}  // namespace winapi
