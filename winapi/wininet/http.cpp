// wininet: HTTP requests (HttpOpenRequestA, HttpSendRequestA, HttpQueryInfoA) and
// InternetOpenUrlA for http, https, ftp and gopher URLs. A sent request's body is read with
// InternetReadFile as it arrives; redirects are followed unless the request asks not to.
#include "internet.h"

#include "transfer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using namespace wininet;

curl_slist* headerList(const std::vector<std::string>& lines) {
    curl_slist* list = nullptr;
    for (const auto& line : lines)
        if (!line.empty()) list = curl_slist_append(list, line.c_str());
    return list;
}

// Header lines of a caller's block ("A: 1\r\nB: 2"), without empty lines.
std::vector<std::string> splitHeaders(LPCSTR headers, DWORD length) {
    std::vector<std::string> lines;
    if (!headers) return lines;
    const std::string block = length == static_cast<DWORD>(-1) ? std::string(headers) : std::string(headers, length);
    size_t at = 0;
    while (at < block.size()) {
        size_t end = block.find_first_of("\r\n", at);
        if (end == std::string::npos) end = block.size();
        if (end > at) lines.push_back(block.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// Starts the transfer of a request and waits for its response head; sets the last error.
bool start(Request& request, CURL* easy, curl_slist* headers) {
    request.transfer = std::make_unique<Transfer>(easy, false);
    reportStatus(request.parent.lock(), INTERNET_STATUS_SENDING_REQUEST);
    const bool ok = request.transfer->waitForHead();
    curl_slist_free_all(headers);
    if (!ok) {
        SetLastError(errorOf(request.transfer->result()));
        request.transfer.reset();
        return false;
    }
    reportStatus(request.parent.lock(), INTERNET_STATUS_RESPONSE_RECEIVED);
    return true;
}

HINTERNET openFtpUrl(const std::shared_ptr<Session>& session, const std::string& url, DWORD flags) {
    CURL* easy = newEasy(session, url);
    auto request = std::make_shared<Request>();
    request->type = INTERNET_HANDLE_TYPE_FTP_FILE;
    request->flags = flags;
    request->url = url;
    HINTERNET handle = addObject(request, session);
    if (!(flags & INTERNET_FLAG_PASSIVE)) curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 0L);
    if (!start(*request, easy, nullptr)) {
        const DWORD error = GetLastError();
        InternetCloseHandle(handle);
        SetLastError(error);
        return nullptr;
    }
    return handle;
}

}  // namespace

extern "C" {

HINTERNET WINAPI HttpOpenRequestA(HINTERNET hConnect, LPCSTR lpszVerb, LPCSTR lpszObjectName, LPCSTR lpszVersion,
                                  LPCSTR lpszReferrer, LPCSTR* lplpszAcceptTypes, DWORD dwFlags, DWORD_PTR dwContext) {
    auto connection = objectAs<Connection>(hConnect);
    if (!connection) return nullptr;
    if (connection->type != INTERNET_HANDLE_TYPE_CONNECT_HTTP) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return nullptr;
    }
    auto request = std::make_shared<Request>();
    request->type = INTERNET_HANDLE_TYPE_HTTP_REQUEST;
    request->verb = lpszVerb && *lpszVerb ? lpszVerb : "GET";
    request->object = lpszObjectName && *lpszObjectName ? lpszObjectName : "/";
    if (request->object[0] != '/') request->object = "/" + request->object;
    if (lpszVersion && *lpszVersion) request->version = lpszVersion;
    request->referrer = lpszReferrer ? lpszReferrer : "";
    request->flags = dwFlags;
    request->context = dwContext;
    std::string accept;
    for (LPCSTR* type = lplpszAcceptTypes; type && *type; ++type) accept += (accept.empty() ? "" : ", ") + std::string(*type);
    if (!accept.empty()) request->extraHeaders.push_back("Accept: " + accept);
    HINTERNET handle = addObject(request, connection);
    request->flags = dwFlags;
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI HttpSendRequestA(HINTERNET hRequest, LPCSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                             DWORD dwOptionalLength) {
    auto request = objectAs<Request>(hRequest);
    if (!request) return FALSE;
    auto connection = std::dynamic_pointer_cast<Connection>(request->parent.lock());
    if (request->type != INTERNET_HANDLE_TYPE_HTTP_REQUEST || !connection) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return FALSE;
    }
    request->transfer.reset();
    const bool secure = (request->flags & INTERNET_FLAG_SECURE) != 0;
    CURL* easy = newEasy(request, baseUrl(*connection, secure) + request->object);
    if (!easy) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    std::vector<std::string> lines = request->extraHeaders;
    for (auto& line : splitHeaders(lpszHeaders, dwHeadersLength)) lines.push_back(std::move(line));
    if (!request->referrer.empty()) lines.push_back("Referer: " + request->referrer);
    // WinInet sends no "Expect: 100-continue".
    lines.push_back("Expect:");
    curl_slist* headers = headerList(lines);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                     request->version == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, (request->flags & INTERNET_FLAG_NO_AUTO_REDIRECT) ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, (request->flags & INTERNET_FLAG_KEEP_CONNECTION) ? 0L : 1L);
    const std::string& user = !request->userName.empty() ? request->userName : connection->userName;
    const std::string& password = !request->password.empty() ? request->password : connection->password;
    if (!user.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
    }
    std::string verb = request->verb;
    std::transform(verb.begin(), verb.end(), verb.begin(), ::toupper);
    if (lpOptional && dwOptionalLength > 0) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(dwOptionalLength));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, static_cast<const char*>(lpOptional));
    }
    if (verb == "HEAD") curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    else if (verb == "POST" && !(lpOptional && dwOptionalLength > 0)) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, 0L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, "");
    }
    if (verb != "GET" && verb != "HEAD" && verb != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str());
    else if (verb == "GET" && lpOptional && dwOptionalLength > 0) curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "GET");
    return start(*request, easy, headers) ? TRUE : FALSE;
}

BOOL WINAPI HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                           LPDWORD lpdwIndex) {
    (void)lpdwIndex;
    auto request = objectAs<Request>(hRequest);
    if (!request) return FALSE;
    if (!lpdwBufferLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!request->transfer) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
        return FALSE;
    }
    const auto& head = request->transfer->head();
    std::string text;
    const DWORD level = dwInfoLevel & 0xffff;
    const bool number = (dwInfoLevel & HTTP_QUERY_FLAG_NUMBER) != 0;
    switch (level) {
    case HTTP_QUERY_STATUS_CODE:
    case HTTP_QUERY_STATUS_TEXT: {
        if (head.empty() || head[0].compare(0, 5, "HTTP/") != 0) {
            SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
            return FALSE;
        }
        const std::string& line = head[0];
        const size_t code = line.find(' ');
        const size_t reason = code == std::string::npos ? std::string::npos : line.find(' ', code + 1);
        text = level == HTTP_QUERY_STATUS_CODE ? line.substr(code + 1, reason - code - 1)
                                               : (reason == std::string::npos ? "" : line.substr(reason + 1));
        break;
    }
    case HTTP_QUERY_RAW_HEADERS:
        for (const auto& line : head) text += line + '\0';
        break;
    case HTTP_QUERY_RAW_HEADERS_CRLF:
        for (const auto& line : head) text += line + "\r\n";
        text += "\r\n";
        break;
    default:
        SetLastError(ERROR_HTTP_INVALID_QUERY_REQUEST);
        return FALSE;
    }
    if (number) {
        if (*lpdwBufferLength < sizeof(DWORD) || !lpBuffer) {
            *lpdwBufferLength = sizeof(DWORD);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        *static_cast<DWORD*>(lpBuffer) = static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10));
        *lpdwBufferLength = sizeof(DWORD);
        return TRUE;
    }
    // The raw block ends in two NULs (the last line's and the block's); the others in one.
    const size_t need = text.size() + 1;
    if (!lpBuffer || *lpdwBufferLength < need) {
        *lpdwBufferLength = static_cast<DWORD>(need);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpBuffer, text.data(), text.size());
    static_cast<char*>(lpBuffer)[text.size()] = '\0';
    *lpdwBufferLength = static_cast<DWORD>(text.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

HINTERNET WINAPI InternetOpenUrlA(HINTERNET hInternet, LPCSTR lpszUrl, LPCSTR lpszHeaders, DWORD dwHeadersLength,
                                  DWORD dwFlags, DWORD_PTR dwContext) {
    auto session = objectAs<Session>(hInternet);
    if (!session) return nullptr;
    if (!lpszUrl) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string url = lpszUrl;
    std::string scheme = url.substr(0, url.find("://"));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), ::tolower);
    if (url.find("://") == std::string::npos) {
        SetLastError(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
        return nullptr;
    }
    if (scheme == "ftp") return openFtpUrl(session, url, dwFlags);
    DWORD type = 0;
    if (scheme == "http" || scheme == "https") type = INTERNET_HANDLE_TYPE_HTTP_REQUEST;
    else if (scheme == "gopher") type = INTERNET_HANDLE_TYPE_GOPHER_FILE;
    else {
        SetLastError(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
        return nullptr;
    }
    auto request = std::make_shared<Request>();
    request->type = type;
    request->url = url;
    request->context = dwContext;
    HINTERNET handle = addObject(request, session);
    request->flags = dwFlags | (scheme == "https" ? INTERNET_FLAG_SECURE : 0);
    CURL* easy = newEasy(request, url);
    curl_slist* headers = headerList(splitHeaders(lpszHeaders, dwHeadersLength));
    if (headers) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, (dwFlags & INTERNET_FLAG_NO_AUTO_REDIRECT) ? 0L : 1L);
    if (!start(*request, easy, headers)) {
        const DWORD error = GetLastError();
        InternetCloseHandle(handle);
        SetLastError(error);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                             LPDWORD lpdwNumberOfBytesRead) {
    if (!lpdwNumberOfBytesRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpdwNumberOfBytesRead = 0;
    auto request = objectAs<Request>(hFile);
    if (!request) return FALSE;
    if (!request->transfer || request->writing) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
        return FALSE;
    }
    size_t got = 0;
    reportStatus(request, INTERNET_STATUS_RECEIVING_RESPONSE);
    if (!request->transfer->read(static_cast<char*>(lpBuffer), dwNumberOfBytesToRead, got)) {
        SetLastError(errorOf(request->transfer->result()));
        return FALSE;
    }
    reportStatus(request, INTERNET_STATUS_RESPONSE_RECEIVED);
    *lpdwNumberOfBytesRead = static_cast<DWORD>(got);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI InternetWriteFile(HINTERNET hFile, LPCVOID lpBuffer, DWORD dwNumberOfBytesToWrite,
                              LPDWORD lpdwNumberOfBytesWritten) {
    if (!lpdwNumberOfBytesWritten) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpdwNumberOfBytesWritten = 0;
    auto request = objectAs<Request>(hFile);
    if (!request) return FALSE;
    if (!request->transfer || !request->writing) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
        return FALSE;
    }
    reportStatus(request, INTERNET_STATUS_SENDING_REQUEST);
    if (!request->transfer->write(static_cast<const char*>(lpBuffer), dwNumberOfBytesToWrite)) {
        SetLastError(errorOf(request->transfer->result()));
        return FALSE;
    }
    reportStatus(request, INTERNET_STATUS_REQUEST_SENT);
    *lpdwNumberOfBytesWritten = dwNumberOfBytesToWrite;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // extern "C"
