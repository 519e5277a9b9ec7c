// kernel32: shared memory on the paging file and views of open files (CreateFileMappingA,
// OpenFileMappingA, MapViewOfFile, UnmapViewOfFile).
//
// A named mapping is a file in the prefix's run folder, so every process of the prefix (and only
// of that prefix) shares it. Every handle holds a shared flock on its file: the object exists
// while some process holds a handle, and the kernel drops the locks of a process that dies, even
// by kill -9. Views map the file through an open file of their own, without the lock: like a view
// on Windows they keep their memory, but not the name, which Windows drops with the last handle.
// Whoever takes the exclusive lock finds the object gone: creating then starts from zeroed memory,
// as Windows gives a new section. One lock file serialises creating, opening and closing among all
// processes, so these decisions never race.
//
// A mapping of an open file maps the file itself: its views read and write the file's pages,
// which every other reader of the file sees at once.
#include <windows.h>

#include "file_object.h"
#include "handles.h"
#include "serial_port.h"
#include "paths.h"
#include "prefix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace winapi {
namespace {

constexpr DWORD kFileMapCopy = 0x0001;
constexpr DWORD kAllocationGranularity = 0x10000;
constexpr DWORD kSectionFlags = 0xFF000000;  // SEC_COMMIT, SEC_RESERVE ...

// Section protections, without the SEC_ flags.
constexpr DWORD kPageReadonly = 0x02, kPageReadwrite = 0x04, kPageWritecopy = 0x08,
                kPageExecuteRead = 0x20, kPageExecuteReadwrite = 0x40,
                kPageExecuteWritecopy = 0x80;

std::string mappingFolder() { return prefixFile(kRunDir) + "/mappings"; }

// The prefix-wide lock around create/open/close decisions; held while the object lives.
class FolderLock {
public:
    FolderLock() {
        std::error_code ec;
        std::filesystem::create_directories(mappingFolder(), ec);
        fd_ = ::open((mappingFolder() + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Object names are case-sensitive; the file name keeps letters and digits and escapes the rest.
// "Local\" is this session's namespace, the same as no prefix.
std::string fileNameOf(std::string name) {
    if (name.compare(0, 6, "Local\\") == 0) name.erase(0, 6);
    static const char hex[] = "0123456789abcdef";
    std::string file = "m_";
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
            file += static_cast<char>(c);
        } else {
            file += '%';
            file += hex[c >> 4];
            file += hex[c & 15];
        }
    }
    if (file.size() > 200) {
        // Too long for a file name: keep a readable start and add a hash of the whole name.
        uint64_t hash = 1469598103934665603ull;
        for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
        file.resize(150);
        file += '~';
        for (int shift = 60; shift >= 0; shift -= 4) file += hex[(hash >> shift) & 15];
    }
    return file;
}

// "Global\x" is another namespace; any other backslash names a folder of the object namespace
// that does not exist.
bool validName(const std::string& name) {
    std::string_view rest(name);
    if (rest.substr(0, 7) == "Global\\") rest.remove_prefix(7);
    else if (rest.substr(0, 6) == "Local\\") rest.remove_prefix(6);
    return rest.find('\\') == std::string_view::npos;
}

// The memory of one mapping object, shared by its handles and views in this process.
class Section {
public:
    Section(int fd, uint64_t size, bool writable, std::string path, bool ofFile = false)
        : fd(fd), size(size), writable(writable), ofFile(ofFile), path_(std::move(path)) {}
    ~Section() {
        if (!path_.empty()) {
            // The last holder anywhere removes the file; a holder elsewhere keeps it.
            FolderLock lock;
            if (lock.held() && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path_.c_str());
        }
        ::close(fd);
    }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

    const int fd;
    const uint64_t size;
    const bool writable;
    const bool ofFile;  // a disk file's, mapped through its own descriptor

private:
    const std::string path_;
};

class MappingObject : public KernelObject {
public:
    MappingObject(std::shared_ptr<Section> section, DWORD access)
        : section(std::move(section)), access(access) {}
    const std::shared_ptr<Section> section;
    const DWORD access;  // FILE_MAP_* rights of this handle
};

std::mutex viewsMutex;
std::map<uintptr_t, size_t> views;  // base address -> length

uint64_t pageRounded(uint64_t size) {
    const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    return (size + page - 1) / page * page;
}

HANDLE failHandle(DWORD error) {
    SetLastError(error);
    return nullptr;
}

// Opens the named object's file with a shared hold on it. `created` tells whether the object
// was new (then it has `size` zeroed bytes). Returns ERROR_SUCCESS or the Windows error; with
// `mayCreate` false a missing object is ERROR_FILE_NOT_FOUND.
DWORD holdNamed(const std::string& name, bool mayCreate, uint64_t size, int& fd,
                uint64_t& actualSize, bool& created, std::string& path) {
    FolderLock lock;
    if (!lock.held()) return errnoToWin32(errno);
    path = mappingFolder() + "/" + fileNameOf(name);
    fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (mayCreate ? O_CREAT : 0), 0600);
    if (fd < 0) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : errnoToWin32(errno);
    created = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (created) {
        // Nobody holds it: whatever the file holds is left from an object that is gone.
        if (!mayCreate) {
            ::unlink(path.c_str());
            ::close(fd);
            return ERROR_FILE_NOT_FOUND;
        }
        if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, static_cast<off_t>(pageRounded(size))) != 0) {
            const DWORD error = errno == ENOSPC || errno == EFBIG ? ERROR_NOT_ENOUGH_MEMORY
                                                                 : errnoToWin32(errno);
            ::unlink(path.c_str());
            ::close(fd);
            return error;
        }
        ::flock(fd, LOCK_SH);
        actualSize = pageRounded(size);
        return ERROR_SUCCESS;
    }
    ::flock(fd, LOCK_SH);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const DWORD error = errnoToWin32(errno);
        ::close(fd);
        return error;
    }
    actualSize = static_cast<uint64_t>(st.st_size);
    return ERROR_SUCCESS;
}

// The section of an open file: the mapping's size is the file's when none is asked for; a bigger
// one grows a file the mapping may write and fails otherwise, as on Windows. The section keeps a
// descriptor of its own, so the file handle may be closed while the mapping lives.
DWORD fileSection(HANDLE fileHandle, bool writable, uint64_t size, std::shared_ptr<Section>& section) {
    auto file = handleObject<FileObject>(fileHandle);
    if (!file) return ERROR_INVALID_HANDLE;
    struct stat st;
    if (std::dynamic_pointer_cast<SerialPort>(file) || ::fstat(file->fd(), &st) != 0 || !S_ISREG(st.st_mode))
        return ERROR_INVALID_PARAMETER;
    if (!file->canRead() || (writable && !file->canWrite())) return ERROR_ACCESS_DENIED;
    const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
    if (size == 0) size = fileSize;
    if (size == 0) return ERROR_FILE_INVALID;
    if (size > fileSize) {
        if (!writable) return ERROR_NOT_ENOUGH_MEMORY;
        if (::ftruncate(file->fd(), static_cast<off_t>(size)) != 0)
            return errno == ENOSPC || errno == EFBIG ? ERROR_DISK_FULL : errnoToWin32(errno);
    }
    if (writable) file->noteChange();
    const int fd = ::fcntl(file->fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return errnoToWin32(errno);
    section = std::make_shared<Section>(fd, size, writable, std::string(), true);
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace winapi

using namespace winapi;

extern "C" {

HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES lpAttributes, DWORD flProtect,
                                 DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCSTR lpName) {
    (void)lpAttributes;
    try {
        const DWORD protection = flProtect & ~kSectionFlags;
        bool writable;
        switch (protection) {
        case kPageReadonly:
        case kPageExecuteRead: writable = false; break;
        case kPageReadwrite:
        case kPageWritecopy:
        case kPageExecuteReadwrite:
        case kPageExecuteWritecopy: writable = true; break;
        default: return failHandle(ERROR_INVALID_PARAMETER);
        }
        const uint64_t size = (static_cast<uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;

        std::shared_ptr<Section> section;
        bool created = true;
        if (hFile != INVALID_HANDLE_VALUE) {
            // Other processes find a named object through its file in the run folder, which a
            // disk file's mapping does not have.
            if (lpName && *lpName) return failHandle(ERROR_NOT_SUPPORTED);
            // A copy-on-write view never writes the file.
            const bool writesFile = writable && protection != kPageWritecopy && protection != kPageExecuteWritecopy;
            if (DWORD error = fileSection(hFile, writesFile, size, section); error != ERROR_SUCCESS)
                return failHandle(error);
        } else if (size == 0) {
            return failHandle(ERROR_INVALID_PARAMETER);
        } else if (lpName && *lpName) {
            const std::string name(lpName);
            if (!validName(name)) return failHandle(ERROR_PATH_NOT_FOUND);
            int fd = -1;
            uint64_t actualSize = 0;
            std::string path;
            if (DWORD error = holdNamed(name, true, size, fd, actualSize, created, path);
                error != ERROR_SUCCESS)
                return failHandle(error);
            section = std::make_shared<Section>(fd, actualSize, writable, path);
        } else {
            const int fd = ::memfd_create("mapping", MFD_CLOEXEC);
            if (fd < 0) return failHandle(errnoToWin32(errno));
            if (::ftruncate(fd, static_cast<off_t>(pageRounded(size))) != 0) {
                ::close(fd);
                return failHandle(ERROR_NOT_ENOUGH_MEMORY);
            }
            section = std::make_shared<Section>(fd, pageRounded(size), writable, std::string());
        }
        HANDLE handle = addHandle(std::make_shared<MappingObject>(section, FILE_MAP_ALL_ACCESS));
        SetLastError(created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
        return handle;
    } catch (const std::bad_alloc&) {
        return failHandle(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        return failHandle(ERROR_GEN_FAILURE);
    }
}

HANDLE WINAPI OpenFileMappingA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName) {
    (void)bInheritHandle;
    try {
        if (!lpName) return failHandle(ERROR_INVALID_PARAMETER);
        const std::string name(lpName);
        if (name.empty()) return failHandle(ERROR_FILE_NOT_FOUND);
        if (!validName(name)) return failHandle(ERROR_PATH_NOT_FOUND);
        int fd = -1;
        uint64_t size = 0;
        bool created = false;
        std::string path;
        if (DWORD error = holdNamed(name, false, 0, fd, size, created, path); error != ERROR_SUCCESS)
            return failHandle(error);
        // The creator's protection is not recorded; a read-only object only arises from
        // PAGE_READONLY on the paging file, which holds nothing but zeroes.
        auto section = std::make_shared<Section>(fd, size, true, path);
        return addHandle(std::make_shared<MappingObject>(section, dwDesiredAccess));
    } catch (const std::bad_alloc&) {
        return failHandle(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        return failHandle(ERROR_GEN_FAILURE);
    }
}

LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                            DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                            SIZE_T dwNumberOfBytesToMap) {
    try {
        auto mapping = handleObject<MappingObject>(hFileMappingObject);
        if (!mapping) return failHandle(ERROR_INVALID_HANDLE);
        const Section& section = *mapping->section;

        const bool write = dwDesiredAccess & FILE_MAP_WRITE;
        const bool copy = !write && (dwDesiredAccess & kFileMapCopy);
        const bool read = dwDesiredAccess & FILE_MAP_READ;
        if (!write && !copy && !read) return failHandle(ERROR_INVALID_PARAMETER);
        if (write && (!section.writable || !(mapping->access & FILE_MAP_WRITE)))
            return failHandle(ERROR_ACCESS_DENIED);
        if (!write && !(mapping->access & (FILE_MAP_READ | FILE_MAP_WRITE | kFileMapCopy)))
            return failHandle(ERROR_ACCESS_DENIED);

        const uint64_t offset = (static_cast<uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
        if (offset % kAllocationGranularity) return failHandle(ERROR_MAPPED_ALIGNMENT);
        if (offset >= section.size) return failHandle(ERROR_ACCESS_DENIED);
        const uint64_t length = dwNumberOfBytesToMap ? dwNumberOfBytesToMap : section.size - offset;
        if (length > section.size - offset) return failHandle(ERROR_ACCESS_DENIED);

        // A file description of the view's own: the mapping holds it, and it must not carry
        // the handle's lock, or the view would keep the name alive. A disk file's section
        // carries no lock.
        const int viewFd = section.ofFile ? section.fd
                                          : ::open(("/proc/self/fd/" + std::to_string(section.fd)).c_str(),
                                                   O_RDWR | O_CLOEXEC);
        if (viewFd < 0) return failHandle(errnoToWin32(errno));
        const int protection = write || copy ? PROT_READ | PROT_WRITE : PROT_READ;
        void* base = ::mmap(nullptr, length, protection, copy ? MAP_PRIVATE : MAP_SHARED, viewFd,
                            static_cast<off_t>(offset));
        if (viewFd != section.fd) ::close(viewFd);
        if (base == MAP_FAILED) return failHandle(ERROR_NOT_ENOUGH_MEMORY);
        std::lock_guard lock(viewsMutex);
        views[reinterpret_cast<uintptr_t>(base)] = length;
        SetLastError(ERROR_SUCCESS);
        return base;
    } catch (const std::bad_alloc&) {
        return failHandle(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        return failHandle(ERROR_GEN_FAILURE);
    }
}

BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress) {
    std::lock_guard lock(viewsMutex);
    const uintptr_t address = reinterpret_cast<uintptr_t>(lpBaseAddress);
    // Any address inside a view names that view, as on Windows.
    auto it = views.upper_bound(address);
    if (!lpBaseAddress || it == views.begin() || address >= std::prev(it)->first + std::prev(it)->second) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    --it;
    ::munmap(reinterpret_cast<void*>(it->first), it->second);
    views.erase(it);
    return TRUE;
}

}  // extern "C"
