// wininet: the FTP calls. A connection keeps one control connection to the server (libcurl's
// shared connection cache) and its own current folder; every command names absolute paths, so
// the server's idea of the current folder never matters. Transfers are passive or active as the
// connection was opened, binary or ASCII as the caller asks (the server converts line ends).
#include "internet.h"

#include "line_ends.h"
#include "transfer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

using namespace wininet;

// The connection behind an FTP handle, ready for a command; null with the last error set.
std::shared_ptr<Connection> ftpConnection(HINTERNET handle) {
    auto connection = objectAs<Connection>(handle);
    if (!connection) return nullptr;
    if (connection->type != INTERNET_HANDLE_TYPE_CONNECT_FTP) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return nullptr;
    }
    if (connection->busy) {
        SetLastError(ERROR_FTP_TRANSFER_IN_PROGRESS);
        return nullptr;
    }
    return connection;
}

// "ftp://host:port/%2Fa/b" for the absolute path "/a/b" (each part escaped).
std::string pathUrl(const Connection& connection, const std::string& absolute, bool folder) {
    std::string url = baseUrl(connection, false) + "/%2F";
    size_t at = 1;
    bool first = true;
    while (at < absolute.size()) {
        size_t end = absolute.find('/', at);
        if (end == std::string::npos) end = absolute.size();
        char* escaped = curl_easy_escape(nullptr, absolute.data() + at, static_cast<int>(end - at));
        url += (first ? "" : "/") + std::string(escaped ? escaped : "");
        curl_free(escaped);
        first = false;
        at = end + 1;
    }
    if (folder && url.back() != '/') url += "/";
    return url;
}

CURL* ftpEasy(const std::shared_ptr<Connection>& connection, const std::string& url, DWORD transferType) {
    CURL* easy = newEasy(connection, url);
    if (!easy) return nullptr;
    curl_easy_setopt(easy, CURLOPT_SHARE, connection->share);
    curl_easy_setopt(easy, CURLOPT_USERNAME, connection->userName.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, connection->password.c_str());
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 0L);
    if (!(connection->flags & INTERNET_FLAG_PASSIVE)) curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, (transferType & 3) == FTP_TRANSFER_TYPE_ASCII ? 1L : 0L);
    return easy;
}

// Runs the commands on the connection; false with the last error set when the server refuses.
bool runCommands(const std::shared_ptr<Connection>& connection, const std::vector<std::string>& commands) {
    CURL* easy = ftpEasy(connection, baseUrl(*connection, false) + "/", FTP_TRANSFER_TYPE_BINARY);
    if (!easy) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    curl_slist* list = nullptr;
    for (const auto& command : commands) list = curl_slist_append(list, command.c_str());
    curl_easy_setopt(easy, CURLOPT_QUOTE, list);
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    const CURLcode result = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    curl_slist_free_all(list);
    if (result != CURLE_OK) {
        SetLastError(errorOf(result));
        return false;
    }
    SetLastError(ERROR_SUCCESS);
    return true;
}

BOOL pathCommand(HINTERNET hConnect, LPCSTR path, const char* verb) {
    auto connection = ftpConnection(hConnect);
    if (!connection) return FALSE;
    if (!path || !*path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return runCommands(connection, {std::string(verb) + " " + ftpPath(*connection, path)}) ? TRUE : FALSE;
}

struct Download {
    HANDLE file;
    bool ascii;
    AsciiDownload lineEnds;
};

size_t toFile(char* data, size_t size, size_t count, void* target) {
    auto* download = static_cast<Download*>(target);
    const size_t n = size * count;
    std::string converted;
    const char* out = data;
    size_t length = n;
    if (download->ascii) {
        download->lineEnds.convert(data, n, converted);
        out = converted.data();
        length = converted.size();
    }
    DWORD written = 0;
    return WriteFile(download->file, out, static_cast<DWORD>(length), &written, nullptr) && written == length ? n : 0;
}

struct Upload {
    HANDLE file;
    bool ascii;
    AsciiUpload lineEnds;
};

size_t fromFile(char* data, size_t size, size_t count, void* source) {
    auto* upload = static_cast<Upload*>(source);
    const size_t room = size * count;
    DWORD got = 0;
    if (!upload->ascii) {
        if (!ReadFile(upload->file, data, static_cast<DWORD>(room), &got, nullptr)) return CURL_READFUNC_ABORT;
        return got;
    }
    // One byte of room stays free for a CR held back from the last block.
    std::string block(room > 1 ? room - 1 : 1, '\0');
    if (!ReadFile(upload->file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr))
        return CURL_READFUNC_ABORT;
    return upload->lineEnds.convert(block.data(), got, got == 0, data);
}

size_t toText(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// FILETIME of a listing's date ("Dec 08 13:05" this year, or "Dec 08 2025").
FILETIME listingTime(const std::string& month, int day, const std::string& yearOrTime) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    std::string lower = month;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    int mon = 0;
    while (mon < 12 && lower != kMonths[mon]) ++mon;
    std::tm when{};
    const std::time_t now = std::time(nullptr);
    gmtime_r(&now, &when);
    int hour = 0, minute = 0;
    if (std::sscanf(yearOrTime.c_str(), "%d:%d", &hour, &minute) != 2) {
        when.tm_year = std::atoi(yearOrTime.c_str()) - 1900;
        hour = minute = 0;
    }
    when.tm_mon = mon % 12;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = 0;
    const long long unix = static_cast<long long>(timegm(&when));
    const unsigned long long ticks = (static_cast<unsigned long long>(unix) + 11644473600ULL) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// One line of a Unix-style listing ("-rw-r--r-- 1 user group 5 Dec 08 13:05 name").
bool parseListing(const std::string& line, WIN32_FIND_DATAA& entry) {
    char perms[16] = {}, month[8] = {}, yearOrTime[8] = {};
    unsigned long long size = 0;
    int day = 0, consumed = 0;
    if (std::sscanf(line.c_str(), "%15s %*s %*s %*s %llu %7s %d %7s %n", perms, &size, month, &day, yearOrTime,
                    &consumed) < 5 ||
        consumed <= 0 || static_cast<size_t>(consumed) >= line.size())
        return false;
    std::string name = line.substr(static_cast<size_t>(consumed));
    if (perms[0] == 'l') {
        const size_t arrow = name.find(" -> ");
        if (arrow != std::string::npos) name.resize(arrow);
    }
    if (name.size() >= MAX_PATH) return false;
    entry = WIN32_FIND_DATAA{};
    entry.dwFileAttributes = perms[0] == 'd' ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    entry.nFileSizeLow = static_cast<DWORD>(size);
    entry.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    entry.ftLastWriteTime = entry.ftCreationTime = entry.ftLastAccessTime = listingTime(month, day, yearOrTime);
    std::memcpy(entry.cFileName, name.c_str(), name.size() + 1);
    return true;
}

// Case-sensitive '*' and '?' match of a listed name against a search's last part.
bool wildcardMatch(const char* pattern, const char* name) {
    if (!*pattern) return !*name;
    if (*pattern == '*') return wildcardMatch(pattern + 1, name) || (*name && wildcardMatch(pattern, name + 1));
    return *name && (*pattern == '?' || *pattern == *name) && wildcardMatch(pattern + 1, name + 1);
}

}  // namespace

extern "C" {

BOOL WINAPI FtpCreateDirectoryA(HINTERNET hConnect, LPCSTR lpszDirectory) {
    return pathCommand(hConnect, lpszDirectory, "MKD");
}

BOOL WINAPI FtpRemoveDirectoryA(HINTERNET hConnect, LPCSTR lpszDirectory) {
    return pathCommand(hConnect, lpszDirectory, "RMD");
}

BOOL WINAPI FtpDeleteFileA(HINTERNET hConnect, LPCSTR lpszFileName) {
    return pathCommand(hConnect, lpszFileName, "DELE");
}

BOOL WINAPI FtpRenameFileA(HINTERNET hConnect, LPCSTR lpszExisting, LPCSTR lpszNew) {
    auto connection = ftpConnection(hConnect);
    if (!connection) return FALSE;
    if (!lpszExisting || !*lpszExisting || !lpszNew || !*lpszNew) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return runCommands(connection, {"RNFR " + ftpPath(*connection, lpszExisting),
                                    "RNTO " + ftpPath(*connection, lpszNew)})
               ? TRUE
               : FALSE;
}

BOOL WINAPI FtpSetCurrentDirectoryA(HINTERNET hConnect, LPCSTR lpszDirectory) {
    auto connection = ftpConnection(hConnect);
    if (!connection) return FALSE;
    if (!lpszDirectory || !*lpszDirectory) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string target = ftpPath(*connection, lpszDirectory);
    if (!runCommands(connection, {"CWD " + target})) return FALSE;
    connection->cwd = target;
    return TRUE;
}

BOOL WINAPI FtpGetCurrentDirectoryA(HINTERNET hConnect, LPSTR lpszCurrentDirectory, LPDWORD lpdwCurrentDirectory) {
    auto connection = ftpConnection(hConnect);
    if (!connection) return FALSE;
    if (!lpszCurrentDirectory || !lpdwCurrentDirectory) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (*lpdwCurrentDirectory <= connection->cwd.size()) {
        *lpdwCurrentDirectory = static_cast<DWORD>(connection->cwd.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpszCurrentDirectory, connection->cwd.c_str(), connection->cwd.size() + 1);
    *lpdwCurrentDirectory = static_cast<DWORD>(connection->cwd.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI FtpGetFileA(HINTERNET hConnect, LPCSTR lpszRemoteFile, LPCSTR lpszNewFile, BOOL fFailIfExists,
                        DWORD dwFlagsAndAttributes, DWORD dwFlags, DWORD_PTR dwContext) {
    (void)dwContext;
    auto connection = ftpConnection(hConnect);
    if (!connection) return FALSE;
    if (!lpszRemoteFile || !*lpszRemoteFile || !lpszNewFile || !*lpszNewFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (fFailIfExists && GetFileAttributesA(lpszNewFile) != INVALID_FILE_ATTRIBUTES) {
        SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    HANDLE file = CreateFileA(lpszNewFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              dwFlagsAndAttributes ? dwFlagsAndAttributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    CURL* easy = ftpEasy(connection, pathUrl(*connection, ftpPath(*connection, lpszRemoteFile), false), dwFlags);
    Download download{file, (dwFlags & 3) == FTP_TRANSFER_TYPE_ASCII, {}};
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &toFile);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &download);
    reportStatus(connection, INTERNET_STATUS_RECEIVING_RESPONSE);
    const CURLcode result = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    const bool closed = CloseHandle(file);
    if (result != CURLE_OK || !closed) {
        // No half-written file stays behind.
        DeleteFileA(lpszNewFile);
        SetLastError(result == CURLE_WRITE_ERROR ? ERROR_WRITE_FAULT : errorOf(result));
        return FALSE;
    }
    reportStatus(connection, INTERNET_STATUS_RESPONSE_RECEIVED);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI FtpPutFileA(HINTERNET hConnect, LPCSTR lpszLocalFile, LPCSTR lpszNewRemoteFile, DWORD dwFlags,
                        DWORD_PTR dwContext) {
    (void)dwContext;
    auto connection = ftpConnection(hConnect);
    if (!connection) return FALSE;
    if (!lpszLocalFile || !*lpszLocalFile || !lpszNewRemoteFile || !*lpszNewRemoteFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HANDLE file = CreateFileA(lpszLocalFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    CURL* easy = ftpEasy(connection, pathUrl(*connection, ftpPath(*connection, lpszNewRemoteFile), false), dwFlags);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    Upload upload{file, (dwFlags & 3) == FTP_TRANSFER_TYPE_ASCII, {}};
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &fromFile);
    curl_easy_setopt(easy, CURLOPT_READDATA, &upload);
    reportStatus(connection, INTERNET_STATUS_SENDING_REQUEST);
    const CURLcode result = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    CloseHandle(file);
    if (result != CURLE_OK) {
        SetLastError(result == CURLE_ABORTED_BY_CALLBACK ? ERROR_READ_FAULT : errorOf(result));
        return FALSE;
    }
    reportStatus(connection, INTERNET_STATUS_REQUEST_SENT);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

HINTERNET WINAPI FtpOpenFileA(HINTERNET hConnect, LPCSTR lpszFileName, DWORD dwAccess, DWORD dwFlags,
                              DWORD_PTR dwContext) {
    auto connection = ftpConnection(hConnect);
    if (!connection) return nullptr;
    const bool writing = dwAccess == GENERIC_WRITE;
    if (!lpszFileName || !*lpszFileName || (!writing && dwAccess != GENERIC_READ)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto request = std::make_shared<Request>();
    request->type = INTERNET_HANDLE_TYPE_FTP_FILE;
    request->context = dwContext;
    request->writing = writing;
    request->ftpOwner = connection;
    const std::string url = pathUrl(*connection, ftpPath(*connection, lpszFileName), false);
    request->url = url;
    HINTERNET handle = addObject(request, connection);
    request->transfer = std::make_unique<Transfer>(ftpEasy(connection, url, dwFlags), writing,
                                                   (dwFlags & 3) == FTP_TRANSFER_TYPE_ASCII);
    reportStatus(request, INTERNET_STATUS_SENDING_REQUEST);
    if (!request->transfer->waitForHead()) {
        const DWORD error = errorOf(request->transfer->result());
        request->transfer.reset();
        InternetCloseHandle(handle);
        SetLastError(error);
        return nullptr;
    }
    reportStatus(request, INTERNET_STATUS_REQUEST_SENT);
    connection->busy = true;
    SetLastError(ERROR_SUCCESS);
    return handle;
}

DWORD WINAPI FtpGetFileSize(HINTERNET hFile, LPDWORD lpdwFileSizeHigh) {
    auto request = objectAs<Request>(hFile);
    if (!request || request->type != INTERNET_HANDLE_TYPE_FTP_FILE || !request->transfer) {
        if (request) SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return INVALID_FILE_SIZE;
    }
    // libcurl asks the server for the size of a download before it starts it; an upload, or a
    // server that does not say, has no size.
    curl_off_t size = -1;
    if (request->writing || curl_easy_getinfo(request->transfer->easy(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) != CURLE_OK ||
        size < 0) {
        SetLastError(ERROR_INTERNET_EXTENDED_ERROR);
        return INVALID_FILE_SIZE;
    }
    if (lpdwFileSizeHigh) *lpdwFileSizeHigh = static_cast<DWORD>(static_cast<unsigned long long>(size) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

HINTERNET WINAPI FtpFindFirstFileA(HINTERNET hConnect, LPCSTR lpszSearchFile, LPWIN32_FIND_DATAA lpFindFileData,
                                   DWORD dwFlags, DWORD_PTR dwContext) {
    (void)dwFlags;
    auto connection = ftpConnection(hConnect);
    if (!connection) return nullptr;
    std::string search = lpszSearchFile ? lpszSearchFile : "";
    std::replace(search.begin(), search.end(), '\\', '/');
    // A search names a folder to list, a wildcard pattern in a folder, or one file.
    std::string folder = search, pattern = "*";
    const size_t slash = search.rfind('/');
    const std::string last = slash == std::string::npos ? search : search.substr(slash + 1);
    if (last.find_first_of("*?") != std::string::npos) {
        folder = slash == std::string::npos ? "" : search.substr(0, slash + 1);
        pattern = last == "*.*" ? "*" : last;
    }
    std::string listing;
    CURL* easy = ftpEasy(connection, pathUrl(*connection, ftpPath(*connection, folder), true), FTP_TRANSFER_TYPE_ASCII);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &toText);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &listing);
    const CURLcode result = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    if (result != CURLE_OK) {
        SetLastError(errorOf(result));
        return nullptr;
    }
    auto find = std::make_shared<FindList>();
    find->type = INTERNET_HANDLE_TYPE_FTP_FIND;
    find->context = dwContext;
    size_t at = 0;
    while (at < listing.size()) {
        size_t end = listing.find('\n', at);
        if (end == std::string::npos) end = listing.size();
        std::string line = listing.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        WIN32_FIND_DATAA entry;
        if (parseListing(line, entry) && wildcardMatch(pattern.c_str(), entry.cFileName))
            find->entries.push_back(entry);
        at = end + 1;
    }
    if (find->entries.empty()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return nullptr;
    }
    if (lpFindFileData) *lpFindFileData = find->entries[0];
    find->next = 1;
    HINTERNET handle = addObject(find, connection);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI InternetFindNextFileA(HINTERNET hFind, LPVOID lpvFindData) {
    auto find = objectAs<FindList>(hFind);
    if (!find) return FALSE;
    if (!lpvFindData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (find->next >= find->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *static_cast<WIN32_FIND_DATAA*>(lpvFindData) = find->entries[find->next++];
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // extern "C"
