// The internet extender's FTP words and its remote and local find words.
#include "pxnet.h"

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

LONG iftptransfer(const ExtenderCall& call, bool get) {
    HINTERNET connection = handleArg(call.arg(1));
    if (!isFtpConnection(connection)) return fail(call, 316);
    const long long flags = call.number(5);
    const DWORD type = transferType(flags & ~4LL);
    if (!type) return fail(call, 319);
    const BOOL result = get ? FtpGetFileA(connection, call.arg(2), call.arg(3), (flags & 4) != 0,
                                          FILE_ATTRIBUTE_NORMAL, type, 0)
                            : FtpPutFileA(connection, call.arg(2), call.arg(3), type, 0);
    keepError();
    return call.returnNumber(result && !serverRefused() ? 1 : 0);
}

LONG iftpfindinit(const ExtenderCall& call) {
    HINTERNET connection = handleArg(call.arg(1));
    if (!isFtpConnection(connection)) return fail(call, 316);
    if (state().ftpSearch) return fail(call, 325);
    auto* search = new FtpSearch;
    state().ftpSearch = search;
    search->connection = connection;
    search->startFolder = currentFolder(connection);
    if (!isNone(call.arg(2)) && !FtpSetCurrentDirectoryA(connection, call.arg(2))) {
        keepError();
        endFtpSearch();
        return fail(call, 328);
    }
    search->folder = currentFolder(connection);
    search->pattern = isNone(call.arg(3)) ? "*" : call.arg(3);
    search->recurse = call.number(4) != 0;
    search->exact = call.number(5) != 0;
    if (!openFtpFolder(*search) && !search->recurse) {
        endFtpSearch();
        return call.returnNumber(0);
    }
    search->id = reinterpret_cast<DWORD_PTR>(search->find);
    if (!search->id) {
        endFtpSearch();
        return call.returnNumber(0);
    }
    return call.returnNumber(static_cast<LONG>(search->id));
}

LONG iftpfindnext(const ExtenderCall& call) {
    FtpSearch* search = state().ftpSearch;
    if (!search) return fail(call, 320);
    const bool detail = call.number(1) == 1;
    for (;;) {
        WIN32_FIND_DATAA entry{};
        bool have = false;
        if (search->hasPending) {
            entry = search->pending;
            search->hasPending = false;
            have = true;
        } else if (search->find) {
            have = InternetFindNextFileA(search->find, &entry);
            if (!have) {
                keepError();
                if (GetLastError() != ERROR_NO_MORE_FILES) return fail(call, 321);
            }
        }
        if (have) {
            if (isDots(entry.cFileName)) continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (search->recurse) {
                    const std::string path = joinFolder(search->folder, entry.cFileName);
                    if (path.size() >= kSlot) continue;
                    if ((search->noted + 1) * kSlot > search->subfolders.size()) {
                        try {
                            search->subfolders.resize(search->subfolders.size() + kSlotGrowth);
                        } catch (...) {
                            return fail(call, 330);
                        }
                    }
                    std::memcpy(&search->subfolders[search->noted++ * kSlot], path.c_str(), path.size() + 1);
                }
                continue;
            }
            if (!matches(search->pattern.c_str(), entry.cFileName, search->exact)) continue;
            std::string result = joinFolder(search->folder, entry.cFileName);
            if (detail) result += details(entry);
            return call.returnText(result);
        }
        // This folder is done: on to the next noted subfolder, if any.
        if (search->find) {
            InternetCloseHandle(search->find);
            search->find = nullptr;
        }
        if (search->walked >= search->noted) return call.returnText("");
        search->folder = &search->subfolders[search->walked++ * kSlot];
        if (FtpSetCurrentDirectoryA(search->connection, search->folder.c_str())) openFtpFolder(*search);
    }
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
