// The internet extender's FTP words and its remote and local find words.
#include "pxnet.h"

#include "ftp_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace pxnet {
namespace {

constexpr size_t kSlot = 260;
constexpr size_t kSlotGrowth = 65535;

bool isFtpConnection(HINTERNET handle) { return handleType(handle) == INTERNET_HANDLE_TYPE_CONNECT_FTP; }

// @binary or @ascii as WinInet's transfer type; 0 for anything else.
DWORD transferType(long long flags) {
    if (flags == kBinary) return FTP_TRANSFER_TYPE_BINARY;
    if (flags == kAscii) return FTP_TRANSFER_TYPE_ASCII;
    return 0;
}

// Whether the server's last reply was a refusal (4xx or 5xx).
bool serverRefused() {
    DWORD code = 0, size = 0;
    InternetGetLastResponseInfoA(&code, nullptr, &size);
    return code >= 400;
}

LONG callResult(const ExtenderCall& call, BOOL result) {
    keepError();
    return call.returnNumber(result ? 1 : 0);
}

std::string currentFolder(HINTERNET connection) {
    std::vector<char> buffer(MAX_PATH);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!FtpGetCurrentDirectoryA(connection, buffer.data(), &size)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return "";
        buffer.resize(size + 1);
        size = static_cast<DWORD>(buffer.size());
        if (!FtpGetCurrentDirectoryA(connection, buffer.data(), &size)) return "";
    }
    // The length is taken from the text: not every WinInet counts the same way.
    return std::string(buffer.data(), strnlen(buffer.data(), std::min<size_t>(buffer.size(), size + 1)));
}

// '*' and '?' wildcards; letter case is ignored unless the match is exact.
bool matches(const char* pattern, const char* name, bool exact) {
    if (!*pattern) return !*name;
    if (*pattern == '*') return matches(pattern + 1, name, exact) || (*name && matches(pattern, name + 1, exact));
    if (!*name) return false;
    const bool same = exact ? *pattern == *name
                            : std::tolower(static_cast<unsigned char>(*pattern)) ==
                                  std::tolower(static_cast<unsigned char>(*name));
    return (*pattern == '?' || same) && matches(pattern + 1, name + 1, exact);
}

// Size and local time of an entry, for the detailed results.
std::string details(const WIN32_FIND_DATAA& entry) {
    const unsigned long long size = (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    FILETIME local{};
    SYSTEMTIME when{};
    FileTimeToLocalFileTime(&entry.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &when);
    char text[64];
    std::snprintf(text, sizeof text, "\t%llu\t%04u-%02u-%02u %02u:%02u", size, when.wYear, when.wMonth, when.wDay,
                  when.wHour, when.wMinute);
    return text;
}

bool isDots(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

std::string joinFolder(const std::string& folder, const char* name) {
    return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + name;
}

void endFtpSearch() {
    FtpSearch*& search = state().ftpSearch;
    if (!search) return;
    if (search->find) InternetCloseHandle(search->find);
    if (!search->startFolder.empty()) FtpSetCurrentDirectoryA(search->connection, search->startFolder.c_str());
    delete search;
    search = nullptr;
}

void endLocalSearch() {
    LocalSearch*& search = state().localSearch;
    if (!search) return;
    if (search->find != INVALID_HANDLE_VALUE) FindClose(search->find);
    delete search;
    search = nullptr;
}

// Opens the FTP search in its folder; false when the folder holds nothing.
bool openFtpFolder(FtpSearch& search) {
    search.find = FtpFindFirstFileA(search.connection, nullptr, &search.pending,
                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT, 0);
    keepError();
    search.hasPending = search.find != nullptr;
    return search.find != nullptr;
}

bool openLocalFolder(LocalSearch& search) {
    search.find = FindFirstFileA((search.folder + "\\*").c_str(), &search.pending);
    search.hasPending = search.find != INVALID_HANDLE_VALUE;
    return search.hasPending;
}

}  // namespace

LONG iftpopen(const ExtenderCall& call) {
    HINTERNET connection = handleArg(call.arg(1));
    if (!isFtpConnection(connection)) return fail(call, 316);
    const long long access = call.number(3);
    if (access != 0 && access != 1) return fail(call, 315);
    const DWORD type = transferType(call.number(4));
    if (!type) return fail(call, 319);
    HINTERNET file = FtpOpenFileA(connection, call.arg(2), access == 0 ? GENERIC_WRITE : GENERIC_READ, type, 0);
    keepError();
    return call.returnNumber(static_cast<LONG>(reinterpret_cast<DWORD_PTR>(file)));
}

LONG iftppath(const ExtenderCall& call, DWORD id) {
    HINTERNET connection = handleArg(call.arg(1));
    if (!isFtpConnection(connection)) return fail(call, 316);
    const char* path = call.arg(2);
    switch (id) {
    case 22: return callResult(call, FtpCreateDirectoryA(connection, path));
    case 30: return callResult(call, FtpRemoveDirectoryA(connection, path));
    case 31: return callResult(call, FtpDeleteFileA(connection, path));
    default: return callResult(call, FtpSetCurrentDirectoryA(connection, path));
    }
}

LONG iftprename(const ExtenderCall& call) {
    HINTERNET connection = handleArg(call.arg(1));
    if (!isFtpConnection(connection)) return fail(call, 316);
    return callResult(call, FtpRenameFileA(connection, call.arg(2), call.arg(3)));
}

LONG iftpdirget(const ExtenderCall& call) {
    HINTERNET connection = handleArg(call.arg(1));
    if (!isFtpConnection(connection)) return fail(call, 316);
    const std::string folder = currentFolder(connection);
    keepError();
    if (folder.empty()) return fail(call, 318);
    return call.returnText(folder);
}

namespace {

constexpr DWORD kBlock = 8192;
// WinInet reports the states of a call only when it has a context value.
constexpr DWORD_PTR kShownContext = 1;

// A whole file moved block by block while the progress dialog shows how far it got, stepped by
// `step` percent. The dialog's messages run between two blocks; when its Cancel is pressed the
// transfer's connection is closed and `cancelled` set. A failed or cancelled download leaves no
// local file.
bool transferShown(HINTERNET connection, const char* remote, const char* local, bool get, DWORD type,
                   bool failIfExists, unsigned step, bool& cancelled) {
    cancelled = false;
    if (get && failIfExists && GetFileAttributesA(local) != INVALID_FILE_ATTRIBUTES) {
        SetLastError(ERROR_FILE_EXISTS);
        return false;
    }
    beginShownTransfer(get ? remote : local, get ? local : remote);
    const INTERNET_STATUS_CALLBACK previous = InternetSetStatusCallback(connection, &showTransferStatus);
    HANDLE localFile = INVALID_HANDLE_VALUE;
    HINTERNET file = nullptr;
    unsigned long long total = 0, done = 0;
    bool ok = false;
    if (get) {
        // The listing's size first: not every WinInet answers FtpGetFileSize.
        WIN32_FIND_DATAA entry{};
        if (HINTERNET find = FtpFindFirstFileA(connection, remote, &entry, INTERNET_FLAG_RELOAD, 0)) {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                total = (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            InternetCloseHandle(find);
        }
        file = FtpOpenFileA(connection, remote, GENERIC_READ, type, kShownContext);
        if (file) {
            DWORD high = 0;
            const DWORD low = total ? INVALID_FILE_SIZE : FtpGetFileSize(file, &high);
            if (low != INVALID_FILE_SIZE) total = (static_cast<unsigned long long>(high) << 32) | low;
            localFile = CreateFileA(local, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
    } else {
        localFile = CreateFileA(local, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (localFile != INVALID_HANDLE_VALUE) {
            DWORD high = 0;
            const DWORD low = GetFileSize(localFile, &high);
            if (low != INVALID_FILE_SIZE) total = (static_cast<unsigned long long>(high) << 32) | low;
            file = FtpOpenFileA(connection, remote, GENERIC_WRITE, type, kShownContext);
        }
    }
    if (file && localFile != INVALID_HANDLE_VALUE) {
        std::vector<char> block(kBlock);
        for (;;) {
            DWORD got = 0, moved = 0;
            if (get) {
                if (!InternetReadFile(file, block.data(), kBlock, &got)) break;
                if (got == 0) {
                    ok = true;
                    break;
                }
                if (!WriteFile(localFile, block.data(), got, &moved, nullptr) || moved != got) break;
            } else {
                if (!ReadFile(localFile, block.data(), kBlock, &got, nullptr)) break;
                if (got == 0) {
                    ok = true;
                    break;
                }
                if (!InternetWriteFile(file, block.data(), got, &moved) || moved != got) break;
            }
            done += got;
            if (total) showTransferShare(static_cast<unsigned>(std::min<unsigned long long>(done * 100 / total, 100)), step);
            if (transferCancelled()) {
                cancelled = true;
                break;
            }
        }
    }
    DWORD error = GetLastError();
    if (cancelled) {
        // Closing the connection closes the file handle under it as well.
        InternetCloseHandle(connection);
        error = ERROR_INTERNET_OPERATION_CANCELLED;
    } else {
        if (file && !InternetCloseHandle(file) && ok) {
            ok = false;
            error = GetLastError();
        }
        InternetSetStatusCallback(connection, previous);
    }
    if (localFile != INVALID_HANDLE_VALUE) CloseHandle(localFile);
    if (get && !ok && localFile != INVALID_HANDLE_VALUE) DeleteFileA(local);
    if (ok) showTransferShare(100, step);
    endShownTransfer();
    SetLastError(ok ? ERROR_SUCCESS : error);
    return ok;
}

}  // namespace

LONG iftptransfer(const ExtenderCall& call, bool get) {
    HINTERNET connection = handleArg(call.arg(1));
    if (!isFtpConnection(connection)) return fail(call, 316);
    const long long flags = call.number(5);
    const DWORD type = transferType(flags & ~4LL);
    if (!type) return fail(call, 319);
    if (progressDialogShown()) {
        const long long step = call.number(4);
        bool cancelled = false;
        // iftpget names the remote file first, iftpput the local one.
        const char* remote = call.arg(get ? 2 : 3);
        const char* local = call.arg(get ? 3 : 2);
        const bool result = transferShown(connection, remote, local, get, type, (flags & 4) != 0,
                                          step > 0 && step <= 100 ? static_cast<unsigned>(step) : 1, cancelled);
        keepError();
        // A cancelled transfer answers as failed; the entry's next call tells the host about the cancel.
        if (cancelled) state().cancelPending = true;
        return call.returnNumber(result && !serverRefused() ? 1 : 0);
    }
    const BOOL result = get ? FtpGetFileA(connection, call.arg(2), call.arg(3), (flags & 4) != 0,
                                          FILE_ATTRIBUTE_NORMAL, type, 0)
                            : FtpPutFileA(connection, call.arg(2), call.arg(3), type, 0);
    keepError();
    return call.returnNumber(result && !serverRefused() ? 1 : 0);
}

namespace {

// Starts the search of iftpfindinit: the find handle's value for the script, 0 when the folder
// holds nothing; with `error` set to the message of a refusal.
DWORD_PTR beginFtpSearch(HINTERNET connection, const char* folder, const char* pattern, bool recurse,
                         bool exact, UINT& error) {
    error = 0;
    if (!isFtpConnection(connection)) {
        error = 316;
        return 0;
    }
    if (state().ftpSearch) {
        error = 325;
        return 0;
    }
    auto* search = new FtpSearch;
    state().ftpSearch = search;
    search->connection = connection;
    search->startFolder = currentFolder(connection);
    if (folder && !FtpSetCurrentDirectoryA(connection, folder)) {
        keepError();
        endFtpSearch();
        error = 328;
        return 0;
    }
    search->folder = currentFolder(connection);
    search->pattern = pattern;
    search->recurse = recurse;
    search->exact = exact;
    if (!openFtpFolder(*search) && !search->recurse) {
        endFtpSearch();
        return 0;
    }
    search->id = reinterpret_cast<DWORD_PTR>(search->find);
    const DWORD_PTR id = search->id;
    if (!id) endFtpSearch();
    return id;
}

// The next match of the search as iftpfindnext gives it, "" after the last; false with `error`
// set when the listing fails.
bool nextFtpMatch(FtpSearch& search, bool detail, std::string& match, UINT& error) {
    for (;;) {
        WIN32_FIND_DATAA entry{};
        bool have = false;
        if (search.hasPending) {
            entry = search.pending;
            search.hasPending = false;
            have = true;
        } else if (search.find) {
            have = InternetFindNextFileA(search.find, &entry);
            if (!have) {
                keepError();
                if (GetLastError() != ERROR_NO_MORE_FILES) {
                    error = 321;
                    return false;
                }
            }
        }
        if (have) {
            if (isDots(entry.cFileName)) continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (search.recurse) {
                    const std::string path = joinFolder(search.folder, entry.cFileName);
                    if (path.size() >= kSlot) continue;
                    if ((search.noted + 1) * kSlot > search.subfolders.size()) {
                        try {
                            search.subfolders.resize(search.subfolders.size() + kSlotGrowth);
                        } catch (...) {
                            error = 330;
                            return false;
                        }
                    }
                    std::memcpy(&search.subfolders[search.noted++ * kSlot], path.c_str(), path.size() + 1);
                }
                continue;
            }
            if (!matches(search.pattern.c_str(), entry.cFileName, search.exact)) continue;
            match = joinFolder(search.folder, entry.cFileName);
            if (detail) match += details(entry);
            return true;
        }
        // This folder is done: on to the next noted subfolder, if any.
        if (search.find) {
            InternetCloseHandle(search.find);
            search.find = nullptr;
        }
        if (search.walked >= search.noted) {
            match.clear();
            return true;
        }
        search.folder = &search.subfolders[search.walked++ * kSlot];
        if (FtpSetCurrentDirectoryA(search.connection, search.folder.c_str())) openFtpFolder(search);
    }
}

// The fixed folders of the internal test entries, on the server of the connection they get: the
// one the test walks, and one that must not exist.
constexpr const char* kTestFolder = "/pxltest";
constexpr const char* kMissingTestFolder = "/pxltest-fehlt";

}  // namespace

LONG iftpfindinit(const ExtenderCall& call) {
    UINT error = 0;
    const DWORD_PTR id = beginFtpSearch(handleArg(call.arg(1)), isNone(call.arg(2)) ? nullptr : call.arg(2),
                                        isNone(call.arg(3)) ? "*" : call.arg(3), call.number(4) != 0,
                                        call.number(5) != 0, error);
    if (error) return fail(call, error);
    return call.returnNumber(static_cast<LONG>(id));
}

LONG iftpfindnext(const ExtenderCall& call) {
    FtpSearch* search = state().ftpSearch;
    if (!search) return fail(call, 320);
    std::string match;
    UINT error = 0;
    if (!nextFtpMatch(*search, call.number(1) == 1, match, error)) return fail(call, error);
    return call.returnText(match);
}

LONG ftptest(const ExtenderCall& call) {
    UINT error = 0;
    const DWORD_PTR id = beginFtpSearch(handleArg(call.arg(1)), kTestFolder, "*", true, false, error);
    if (error) return fail(call, error);
    std::string found, match;
    while (id && state().ftpSearch) {
        if (!nextFtpMatch(*state().ftpSearch, false, match, error)) {
            endFtpSearch();
            return fail(call, error);
        }
        if (match.empty()) break;
        found += (found.empty() ? "" : "\t") + match;
    }
    endFtpSearch();
    return call.returnText(found);
}

LONG ftptestbad(const ExtenderCall& call) {
    HINTERNET connection = handleArg(call.arg(1));
    UINT error = 0;
    const std::string before = isFtpConnection(connection) ? currentFolder(connection) : "";
    beginFtpSearch(connection, kMissingTestFolder, "*", true, false, error);
    if (error == 316 || error == 325) return fail(call, error);
    endFtpSearch();
    const bool refused = error == 328 && currentFolder(connection) == before;
    return call.returnNumber(refused ? 1 : 0);
}

LONG ilocfindinit(const ExtenderCall& call) {
    if (state().localSearch) return fail(call, 325);
    auto* search = new LocalSearch;
    state().localSearch = search;
    search->folder = call.arg(1);
    while (!search->folder.empty() && (search->folder.back() == '\\' || search->folder.back() == '/'))
        search->folder.pop_back();
    search->pattern = isNone(call.arg(2)) ? "*" : call.arg(2);
    search->recurse = call.number(3) != 0;
    const DWORD attributes = GetFileAttributesA(search->folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        state().lastError = GetLastError();
        endLocalSearch();
        return fail(call, 328);
    }
    if (!openLocalFolder(*search)) {
        endLocalSearch();
        return call.returnNumber(0);
    }
    search->id = reinterpret_cast<DWORD_PTR>(search->find);
    return call.returnNumber(static_cast<LONG>(search->id));
}

LONG ilocfindnext(const ExtenderCall& call) {
    LocalSearch* search = state().localSearch;
    if (!search) return fail(call, 320);
    const bool detail = call.number(1) == 1;
    for (;;) {
        WIN32_FIND_DATAA entry{};
        bool have = false;
        if (search->hasPending) {
            entry = search->pending;
            search->hasPending = false;
            have = true;
        } else if (search->find != INVALID_HANDLE_VALUE) {
            have = FindNextFileA(search->find, &entry);
            if (!have && GetLastError() != ERROR_NO_MORE_FILES) {
                keepError();
                return fail(call, 322);
            }
        }
        if (have) {
            if (isDots(entry.cFileName)) continue;
            const std::string path = search->folder + "\\" + entry.cFileName;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (search->recurse) search->subfolders.push_back(path);
                continue;
            }
            if (!matches(search->pattern.c_str(), entry.cFileName, false)) continue;
            return call.returnText(detail ? path + details(entry) : path);
        }
        if (search->find != INVALID_HANDLE_VALUE) {
            FindClose(search->find);
            search->find = INVALID_HANDLE_VALUE;
        }
        if (search->walked >= search->subfolders.size()) return call.returnText("");
        search->folder = search->subfolders[search->walked++];
        openLocalFolder(*search);
    }
}

bool closeRememberedFind(DWORD_PTR handle, BOOL& result) {
    if (!handle) return false;
    if (state().ftpSearch && state().ftpSearch->id == handle) {
        endFtpSearch();
        result = TRUE;
        return true;
    }
    if (state().localSearch && state().localSearch->id == handle) {
        endLocalSearch();
        result = TRUE;
        return true;
    }
    return false;
}

void forgetSearches() {
    endFtpSearch();
    endLocalSearch();
}

}  // namespace pxnet
