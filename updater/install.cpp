// The updater's installation steps: replacing a file in use, unpacking a packed archive, and
// installing a cabinet's set-up information file.
#include "install.h"

#include "archive.h"
#include "files.h"
#include "process.h"
#include "registry.h"
#include "text.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

constexpr DWORD kReplaceRetryMilliseconds = 1000;
// How long the updater waits for files in use before it gives up, unless its settings say
// otherwise: a program that never lets its file go must not keep the updater (and the browser
// center's queue, which waits for its report) for ever.
constexpr const char* kUpdaterSettings = "Software\\Tarnwell\\TNUpdate";
constexpr DWORD kDefaultWaitSeconds = 30;
constexpr DWORD kFolderRetryMilliseconds = 500;
constexpr int kRenameAttempts = 20;

bool folderExists(const std::string& folder) {
    return fileExists((folder + (folder.empty() || folder.back() != '\\' ? "\\*.*" : "*.*")).c_str());
}

// The end of waiting for files in use: "WaitSeconds" of the updater's settings from now. The
// settings are read when the first wait is over, so that an update with nothing to wait for
// never opens the registry.
class WaitLimit {
public:
    WaitLimit() : start_(GetTickCount()) {}
    bool over() {
        if (!read_) limit_ = regReadDword(kUpdaterSettings, "WaitSeconds", kDefaultWaitSeconds, HKEY_CURRENT_USER) * 1000;
        read_ = true;
        return GetTickCount() - start_ >= limit_;
    }

private:
    DWORD start_;
    DWORD limit_ = 0;
    bool read_ = false;
};

bool onlyDotsAndBlanks(const std::string& text) {
    return text.find_first_not_of(". ") == std::string::npos;
}

// The archive's bytes through a read-only view of the file: nothing is copied, and its pages are
// those the file system keeps anyway. The file stays open while the view lives, sharing only
// reading, so that no one changes it under the view. Empty when the file cannot be mapped whole
// (an empty file cannot be mapped at all, and is no archive either).
class ArchiveView {
public:
    explicit ArchiveView(const char* path) {
        file_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
        if (file_ == INVALID_HANDLE_VALUE) return;
        DWORD high = 0;
        const DWORD size = GetFileSize(file_, &high);
        if (size == INVALID_FILE_SIZE || high != 0) return;
        HANDLE mapping = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (!mapping) return;
        data_ = static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
        CloseHandle(mapping);  // the view keeps the mapping
        if (data_) size_ = size;
    }
    ~ArchiveView() {
        if (data_) UnmapViewOfFile(data_);
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    ArchiveView(const ArchiveView&) = delete;
    ArchiveView& operator=(const ArchiveView&) = delete;

    const BYTE* data() const { return data_; }
    DWORD size() const { return size_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    const BYTE* data_ = nullptr;
    DWORD size_ = 0;
};

// One entry to write: its full path (with "\") and its data, and the folder it goes into.
struct PendingEntry {
    std::string path;
    size_t folderLength;  // the path's folder part, without its final "\"
    const BYTE* data;
    DWORD size;

    std::string_view folder() const { return std::string_view(path).substr(0, folderLength); }
};

// Creates one entry's file and writes its data in one call. An entry that cannot be written
// whole is skipped, and leaves no half-written file behind.
void writeEntry(const PendingEntry& entry) {
    HANDLE file = CreateFileA(entry.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const bool whole = WriteFile(file, entry.data, entry.size, &written, nullptr) && written == entry.size;
    CloseHandle(file);
    if (!whole) DeleteFileA(entry.path.c_str());
}

// Archives this big are written by several threads where the machine has the processors: most
// of the work per file is the file system's, and files of different folders do not wait for
// each other there.
constexpr size_t kEntriesWorthThreads = 256;
constexpr unsigned kMostWriters = 4;

// The writers' shares of the entries (indexes in file order), and the folded names of the folders
// that hold other folders.
struct Shares {
    std::vector<std::vector<size_t>> byWriter;
    std::unordered_set<std::string> parents;
};

// The writers' shares, or none when the archive must be written in file order by one writer.
// Every entry of one folder goes to the same writer, which writes them in file order, so that a
// name written twice ends as its later entry, as in file order. Letter case is ignored as the
// system ignores it; names with other than ASCII characters, and an entry whose file has the name
// of a folder of the archive (which file order decides), keep the file order.
Shares writersShares(const std::vector<PendingEntry>& entries, unsigned writers) {
    if (writers < 2 || entries.size() < kEntriesWorthThreads) return {};
    Shares result;
    std::vector<std::vector<size_t>>& shares = result.byWriter;
    shares.resize(writers);
    std::unordered_map<std::string, size_t> writerOf;  // folded folder -> its writer
    std::unordered_set<std::string>& parents = result.parents;
    std::vector<bool> folderLengths;                  // the lengths folders have
    std::vector<size_t> load(writers, 0);
    // An archive lists a folder's files together: the folder of the entry before is not folded
    // and looked up again.
    std::string_view lastFolder;
    size_t lastWriter = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const PendingEntry& entry = entries[i];
        for (char c : entry.path)
            if (static_cast<unsigned char>(c) >= 0x80) return {};
        const std::string_view folderName = entry.folder();
        if (i == 0 || folderName != lastFolder) {
            const std::string folder = lowerText(std::string(folderName));
            auto known = writerOf.find(folder);
            if (known == writerOf.end()) {
                for (size_t at = folder.find('\\'); at != std::string::npos; at = folder.find('\\', at + 1))
                    parents.insert(folder.substr(0, at));
                const auto least = std::min_element(load.begin(), load.end());
                known = writerOf.emplace(folder, static_cast<size_t>(least - load.begin())).first;
            }
            lastFolder = folderName;
            lastWriter = known->second;
        }
        // A file costs about as much as writing a few pages: small files are most of the work.
        load[lastWriter] += 4 + entry.size / 4096;
        shares[lastWriter].push_back(i);
    }
    if (writerOf.size() < 2) return {};
    auto noteLength = [&folderLengths](const std::string& folder) {
        if (folder.size() >= folderLengths.size()) folderLengths.resize(folder.size() + 1);
        folderLengths[folder.size()] = true;
    };
    for (const std::string& folder : parents) noteLength(folder);
    for (const auto& [folder, writer] : writerOf) noteLength(folder);
    // Only a path as long as a folder's can name it.
    for (const PendingEntry& entry : entries) {
        if (entry.path.size() >= folderLengths.size() || !folderLengths[entry.path.size()]) continue;
        const std::string name = lowerText(entry.path);
        if (parents.count(name) || writerOf.count(name)) return {};
    }
    return result;
}

// Writes the entries below `staging` (ending in "\"). Unwritable entries are skipped; a damaged
// archive or a name reaching outside the staging folder stops the unpacking before anything is
// written.
bool unpack(const ArchiveView& archive, const std::string& staging) {
    std::vector<PendingEntry> entries;
    DWORD position = kArchiveHeaderSize;
    for (;;) {
        ArchiveEntry entry;
        const ArchiveRead read = readArchiveEntry(archive.data(), archive.size(), position, entry);
        if (read == ArchiveRead::End) break;
        if (read == ArchiveRead::Damaged) return false;
        std::string path = staging + entry.name;
        toBackslashes(path);
        if (!isContainedArchiveName(path.c_str() + staging.size())) return false;
        const size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos) continue;
        entries.push_back({std::move(path), slash, entry.data, entry.size});
    }

    // Each folder's chain is created once, in file order, before its files.
    std::string_view lastFolder;
    auto createFolderOf = [&lastFolder](const PendingEntry& entry) {
        const std::string_view folder = entry.folder();
        if (folder == lastFolder) return;
        createDirectoryPath(std::string(folder).c_str());
        lastFolder = folder;
    };
    const Shares shares = writersShares(entries, std::min(std::thread::hardware_concurrency(), kMostWriters));
    if (shares.byWriter.empty()) {
        for (const PendingEntry& entry : entries) {
            createFolderOf(entry);
            writeEntry(entry);
        }
        return true;
    }
    // The folders that hold folders are made here, in file order, before any file, so that each
    // gets the letter case of the first entry naming it; a folder of files only is made by the
    // writer of its files, the one writer that names it, and the writers start at once.
    std::string lastMade;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string_view folder = entries[i].folder();
        if (i > 0 && folder == entries[i - 1].folder()) continue;
        const std::string_view made =
            shares.parents.count(lowerText(std::string(folder))) ? folder : folder.substr(0, folder.find_last_of('\\'));
        if (made == lastMade) continue;
        lastMade = made;
        createDirectoryPath(lastMade.c_str());
    }
    auto writeShare = [&entries](const std::vector<size_t>& share) {
        std::string_view lastFolder;
        for (size_t i : share) {
            const PendingEntry& entry = entries[i];
            const std::string_view folder = entry.folder();
            if (folder != lastFolder) {
                // Its parent is made already; a folder that holds folders is made whole.
                CreateDirectoryA(std::string(folder).c_str(), nullptr);
                lastFolder = folder;
            }
            writeEntry(entry);
        }
    };
    std::vector<std::thread> helpers;
    for (size_t writer = 1; writer < shares.byWriter.size(); ++writer) {
        try {
            helpers.emplace_back(writeShare, std::cref(shares.byWriter[writer]));
        } catch (const std::system_error&) {
            writeShare(shares.byWriter[writer]);  // no thread to be had: this one writes that share too
        }
    }
    writeShare(shares.byWriter[0]);
    for (std::thread& helper : helpers) helper.join();
    return true;
}

// Whether another program holds a file below `folder` (ending in "\\") open: an open that shares
// nothing fails then. Asked before the folder is moved aside, since not every system refuses to
// rename a folder whose files are open.
bool fileInUseBelow(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool inUse = false;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
        const std::string path = folder + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            inUse = fileInUseBelow(path + "\\");
            continue;
        }
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        else inUse = GetLastError() == ERROR_SHARING_VIOLATION;
    } while (!inUse && FindNextFileA(search, &found));
    FindClose(search);
    return inUse;
}

// The folder of the system's cabinet extractor: "PathName" of the NT key where it exists, else
// the system folder of the set-up key, else the system folder as the system reports it.
std::string extractorFolder() {
    if (const char* path = regReadString("Software\\Microsoft\\Windows NT\\CurrentVersion", "PathName",
                                         nullptr, HKEY_LOCAL_MACHINE))
        return path;
    if (const char* path = regReadString("Software\\Microsoft\\Windows\\CurrentVersion\\Setup", "SysDir",
                                         nullptr, HKEY_LOCAL_MACHINE))
        return path;
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, sizeof system);
    return length > 0 && length < sizeof system ? std::string(system, length) : std::string();
}

}  // namespace

bool replaceFileWhenFree(const char* source, const char* destination) {
    if (!fileExists(source)) return false;
    // A folder is never freed by waiting: deleting it as a file fails for ever.
    if (folderExists(destination)) return false;
    // The wait ends when the holder lets the file go, or when someone else removed it meanwhile,
    // or at the wait limit, with nothing moved.
    WaitLimit limit;
    while (fileExists(destination) && !DeleteFileA(destination)) {
        if (limit.over()) return false;
        SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        Sleep(kReplaceRetryMilliseconds);
    }
    return MoveFileA(source, destination) != FALSE;
}

bool installArchive(const char* localPath) {
    const std::string local(localPath);
    // The extension belongs to the file name: a dot in a folder name would make the target a
    // folder above the archive, which the install deletes.
    const size_t dot = local.find_last_of('.');
    const size_t separator = local.find_last_of("\\/");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return false;
    // The name comes from the server's list. Without a stem (".dat", "..dat") the target would be
    // the folder holding the archive, and a stem Windows trims to nothing names it too.
    const size_t stemStart = separator == std::string::npos ? 0 : separator + 1;
    if (onlyDotsAndBlanks(local.substr(stemStart, dot - stemStart))) return false;
    const std::string target = local.substr(0, dot);
    const std::string stagingFolder = target + "1";
    const std::string oldFolder = target + ".old";
    // A run killed between moving the old folder aside and moving the new one in left the old
    // folder whole under its side name: it is the skin again until this run has replaced it.
    if (!folderExists(target) && folderExists(oldFolder)) MoveFileA(oldFolder.c_str(), target.c_str());
    deleteDirectoryTree(oldFolder.c_str());
    deleteDirectoryTree(stagingFolder.c_str());
    // Made before the entries: an archive without any gives an empty folder, not a rename of a
    // folder that never came, which failed only after twenty attempts.
    if (!CreateDirectoryA(stagingFolder.c_str(), nullptr)) return false;

    bool unpacked = false;
    {
        const ArchiveView archive(localPath);
        if (!archive.data()) {
            RemoveDirectoryA(stagingFolder.c_str());
            return false;
        }
        unpacked = unpack(archive, stagingFolder + "\\");
    }
    if (!unpacked) {
        // What a damaged archive left in the staging folder is no skin.
        deleteDirectoryTree(stagingFolder.c_str());
        return false;
    }

    // The old folder goes in one step or not at all: deleted file by file, a file in use or a
    // killed updater would leave a skin with pages missing. Files in use keep it where it is:
    // wait until they are released, up to the wait limit; then the new files are dropped and the
    // update fails with the old folder whole.
    WaitLimit limit;
    while (folderExists(target) &&
           (fileInUseBelow(target + "\\") || !MoveFileA(target.c_str(), oldFolder.c_str()))) {
        if (limit.over()) {
            deleteDirectoryTree(stagingFolder.c_str());
            return false;
        }
        Sleep(kFolderRetryMilliseconds);
    }
    for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
        if (MoveFileA(stagingFolder.c_str(), target.c_str())) {
            deleteDirectoryTree(oldFolder.c_str());
            return true;
        }
        Sleep(kFolderRetryMilliseconds);
    }
    MoveFileA(oldFolder.c_str(), target.c_str());
    return false;
}

void installCabinetInf(const char* localPath) {
    const std::string local(localPath);
    const size_t slash = local.find_last_of('/');
    if (slash == std::string::npos) return;
    const std::string folder = local.substr(0, slash);
    const std::string file = local.substr(slash + 1);
    const std::string inf = file.substr(0, file.find_last_of('.')) + ".inf";
    const std::string commandLine =
        " /Y /L \"" + folder + "\" \"" + folder + "/" + file + "\" " + inf;
    if (inf.size() > 51 + 4 || commandLine.size() > 255) return;

    std::string extractor = extractorFolder() + "\\Extrac32.exe";
    if (extractor.size() > 255 || !fileExists(extractor.c_str())) extractor = "WExtract.exe";
    DWORD exitCode = 0;
    runProgram(extractor.c_str(), commandLine.c_str(), SW_SHOW, true, &exitCode);
    ShellExecuteA(nullptr, "install", inf.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}
