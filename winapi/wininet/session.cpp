// wininet: the handle tree, sessions and connections, closing, the last response, the status
// callback, and the libcurl settings every transfer starts from (agent, proxy, time-outs, TLS).
#include "internet.h"

#include "transfer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace wininet {
namespace {

std::mutex treeMutex;

thread_local DWORD lastResponseCode = 0;
thread_local std::string lastResponseText;
thread_local bool inMultilineReply = false;

}  // namespace

DWORD defaultNumber(DWORD option) {
    switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: return 60000;
    case INTERNET_OPTION_CONNECT_RETRIES: return 5;
    case INTERNET_OPTION_CONTROL_SEND_TIMEOUT:
    case INTERNET_OPTION_CONTROL_RECEIVE_TIMEOUT:
    case INTERNET_OPTION_DATA_SEND_TIMEOUT:
    case INTERNET_OPTION_DATA_RECEIVE_TIMEOUT: return 30000;
    case INTERNET_OPTION_READ_BUFFER_SIZE:
    case INTERNET_OPTION_WRITE_BUFFER_SIZE: return 4096;
    default: return 0;
    }
}

namespace {

// "Internet Settings" of the current user: the proxy a PRECONFIG session uses.
void readPreconfiguredProxy(Session& session) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                      0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD enabled = 0, size = sizeof enabled, type = 0;
    if (RegQueryValueExA(key, "ProxyEnable", nullptr, &type, reinterpret_cast<BYTE*>(&enabled), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && enabled) {
        auto text = [&](const char* name) {
            DWORD length = 0;
            if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &length) != ERROR_SUCCESS ||
                type != REG_SZ)
                return std::string();
            std::string value(length, '\0');
            RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &length);
            value.resize(std::strlen(value.c_str()));
            return value;
        };
        session.proxy = text("ProxyServer");
        session.bypass = text("ProxyOverride");
    }
    RegCloseKey(key);
}

// A WinInet bypass list ("host;*.domain;<local>") as libcurl's no-proxy list.
std::string noProxyList(const std::string& bypass) {
    std::string list;
    size_t at = 0;
    while (at <= bypass.size()) {
        size_t end = bypass.find_first_of("; ", at);
        if (end == std::string::npos) end = bypass.size();
        std::string item = bypass.substr(at, end - at);
        if (item == "<local>") item = "localhost";
        if (item.compare(0, 2, "*.") == 0) item.erase(0, 1);
        if (!item.empty()) list += (list.empty() ? "" : ",") + item;
        at = end + 1;
    }
    return list;
}

void closeTree(HINTERNET handle) {
    std::shared_ptr<InternetObject> object;
    {
        std::lock_guard lock(treeMutex);
        object = winapi::handleObject<InternetObject>(handle);
        if (!object) return;
    }
    for (HINTERNET child : std::vector<HINTERNET>(object->children)) closeTree(child);
    reportStatus(object, INTERNET_STATUS_HANDLE_CLOSING);
    std::lock_guard lock(treeMutex);
    winapi::HandleTable::instance().remove(winapi::HandleTable::toValue(handle));
    if (auto parent = object->parent.lock()) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    }
}

}  // namespace

InternetObject::~InternetObject() = default;

Connection::~Connection() {
    if (share) curl_share_cleanup(share);
}

Request::~Request() = default;

DWORD InternetObject::number(DWORD option, DWORD fallback) const {
    auto found = numbers.find(option);
    return found == numbers.end() ? fallback : found->second;
}

std::shared_ptr<InternetObject> objectOf(HINTERNET handle) {
    std::lock_guard lock(treeMutex);
    auto object = winapi::handleObject<InternetObject>(handle);
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

HINTERNET addObject(std::shared_ptr<InternetObject> object, const std::shared_ptr<InternetObject>& parent) {
    std::lock_guard lock(treeMutex);
    if (parent) {
        object->parent = parent;
        object->numbers = parent->numbers;
        object->userAgent = parent->userAgent;
        object->statusCallback = parent->statusCallback;
    }
    object->handle = winapi::addHandle<HINTERNET>(object);
    if (parent) parent->children.push_back(object->handle);
    return object->handle;
}

std::shared_ptr<Session> sessionOf(const std::shared_ptr<InternetObject>& object) {
    std::shared_ptr<InternetObject> at = object;
    while (at && at->type != INTERNET_HANDLE_TYPE_INTERNET) at = at->parent.lock();
    return std::dynamic_pointer_cast<Session>(at);
}

void reportStatus(const std::shared_ptr<InternetObject>& object, DWORD status) {
    if (object && object->statusCallback && object->statusCallback != INTERNET_INVALID_STATUS_CALLBACK)
        object->statusCallback(object->handle, object->context, status, nullptr, 0);
}

DWORD errorOf(CURLcode code) {
    switch (code) {
    case CURLE_OK: return ERROR_SUCCESS;
    case CURLE_UNSUPPORTED_PROTOCOL: return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_URL_MALFORMAT: return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_LOGIN_DENIED: return ERROR_INTERNET_LOGIN_FAILURE;
    case CURLE_PEER_FAILED_VERIFICATION: return ERROR_INTERNET_INVALID_CA;
    case CURLE_SSL_CONNECT_ERROR: return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case CURLE_WEIRD_SERVER_REPLY: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING: return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_ABORTED_BY_CALLBACK: return ERROR_INTERNET_OPERATION_CANCELLED;
    case CURLE_QUOTE_ERROR:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_WEIRD_PASV_REPLY: return ERROR_INTERNET_EXTENDED_ERROR;
    case CURLE_OUT_OF_MEMORY: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

namespace {
// Keeps the server's replies as the thread's last response: FTP reply lines and HTTP status lines.
int onDebug(CURL*, curl_infotype type, char* data, size_t size, void*) {
    if (type != CURLINFO_HEADER_IN) return 0;
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    const bool replyLine = line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                           std::isdigit(static_cast<unsigned char>(line[1])) &&
                           std::isdigit(static_cast<unsigned char>(line[2]));
    if (replyLine || inMultilineReply) {
        // A reply replaces the last one; the lines of a multi-line reply ("230-...") stay together.
        if (!inMultilineReply) lastResponseText.clear();
        lastResponseText += line + "\r\n";
        if (replyLine) {
            const bool opensMultiline = line.size() > 3 && line[3] == '-';
            if (!inMultilineReply) lastResponseCode = static_cast<DWORD>(std::atoi(line.c_str()));
            if (opensMultiline) inMultilineReply = true;
            else if (inMultilineReply && line.compare(0, 3, std::to_string(lastResponseCode)) == 0) inMultilineReply = false;
        }
    } else if (line.compare(0, 5, "HTTP/") == 0) {
        lastResponseText = line + "\r\n";
        lastResponseCode = 0;
    }
    return 0;
}
}  // namespace

CURL* newEasy(const std::shared_ptr<InternetObject>& object, const std::string& url) {
    CURL* easy = curl_easy_init();
    if (!easy) return nullptr;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, object->userAgent.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(object->number(INTERNET_OPTION_CONNECT_TIMEOUT, defaultNumber(INTERNET_OPTION_CONNECT_TIMEOUT))));
    // A receive time-out is a stall: no byte for that long ends the transfer.
    const DWORD receive = object->number(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT,
                                         defaultNumber(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max<DWORD>(1, (receive + 999) / 1000)));
    curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &onDebug);
    curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
    // Certificate checks, loosened only as the request's security flags say.
    const DWORD security = object->number(INTERNET_OPTION_SECURITY_FLAGS, 0) | object->flags;
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, (security & SECURITY_FLAG_IGNORE_UNKNOWN_CA) ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, (security & SECURITY_FLAG_IGNORE_CERT_CN_INVALID) ? 0L : 2L);
    if (auto session = sessionOf(object)) {
        curl_easy_setopt(easy, CURLOPT_PROXY, session->proxy.c_str());
        if (!session->bypass.empty())
            curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxyList(session->bypass).c_str());
    }
    return easy;
}

std::string baseUrl(const Connection& connection, bool secure) {
    const char* scheme = connection.service == INTERNET_SERVICE_FTP      ? "ftp"
                         : connection.service == INTERNET_SERVICE_GOPHER ? "gopher"
                         : secure                                        ? "https"
                                                                         : "http";
    std::string host = connection.host;
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    return std::string(scheme) + "://" + host + ":" + std::to_string(connection.port);
}

std::string ftpPath(const Connection& connection, const std::string& path) {
    std::string joined = (!path.empty() && (path[0] == '/' || path[0] == '\\')) ? path : connection.cwd + "/" + path;
    std::replace(joined.begin(), joined.end(), '\\', '/');
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= joined.size()) {
        size_t end = joined.find('/', at);
        if (end == std::string::npos) end = joined.size();
        std::string part = joined.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string result;
    for (const auto& part : parts) result += "/" + part;
    return result.empty() ? "/" : result;
}

}  // namespace wininet

using namespace wininet;

extern "C" {

HINTERNET WINAPI InternetOpenA(LPCSTR lpszAgent, DWORD dwAccessType, LPCSTR lpszProxy,
                               LPCSTR lpszProxyBypass, DWORD dwFlags) {
    static const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!curlReady) {
        SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
        return nullptr;
    }
    auto session = std::make_shared<Session>();
    session->type = INTERNET_HANDLE_TYPE_INTERNET;
    session->flags = dwFlags;
    session->userAgent = lpszAgent ? lpszAgent : "";
    switch (dwAccessType) {
    case INTERNET_OPEN_TYPE_DIRECT: break;
    case INTERNET_OPEN_TYPE_PRECONFIG: readPreconfiguredProxy(*session); break;
    case INTERNET_OPEN_TYPE_PROXY:
        if (!lpszProxy || !*lpszProxy) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        session->proxy = lpszProxy;
        session->bypass = lpszProxyBypass ? lpszProxyBypass : "";
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HINTERNET handle = addObject(session, nullptr);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

HINTERNET WINAPI InternetConnectA(HINTERNET hInternet, LPCSTR lpszServerName, INTERNET_PORT nServerPort,
                                  LPCSTR lpszUserName, LPCSTR lpszPassword, DWORD dwService, DWORD dwFlags,
                                  DWORD_PTR dwContext) {
    auto session = objectAs<Session>(hInternet);
    if (!session) return nullptr;
    if (!lpszServerName || !*lpszServerName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto connection = std::make_shared<Connection>();
    connection->service = dwService;
    connection->host = lpszServerName;
    connection->flags = dwFlags;
    connection->context = dwContext;
    connection->userName = lpszUserName ? lpszUserName : "";
    connection->password = lpszPassword ? lpszPassword : "";
    switch (dwService) {
    case INTERNET_SERVICE_HTTP:
        connection->type = INTERNET_HANDLE_TYPE_CONNECT_HTTP;
        connection->port = nServerPort ? nServerPort : INTERNET_DEFAULT_HTTP_PORT;
        break;
    case INTERNET_SERVICE_GOPHER:
        connection->type = INTERNET_HANDLE_TYPE_CONNECT_GOPHER;
        connection->port = nServerPort ? nServerPort : INTERNET_DEFAULT_GOPHER_PORT;
        break;
    case INTERNET_SERVICE_FTP:
        connection->type = INTERNET_HANDLE_TYPE_CONNECT_FTP;
        connection->port = nServerPort ? nServerPort : INTERNET_DEFAULT_FTP_PORT;
        if (connection->userName.empty()) {
            connection->userName = "anonymous";
            if (connection->password.empty()) connection->password = "guest@";
        }
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HINTERNET handle = addObject(connection, session);
    if (dwService == INTERNET_SERVICE_FTP) {
        // An FTP connection logs on at once, as on Windows, and learns its start folder.
        connection->share = curl_share_init();
        curl_share_setopt(connection->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
        CURL* easy = newEasy(connection, baseUrl(*connection, false) + "/");
        curl_easy_setopt(easy, CURLOPT_SHARE, connection->share);
        curl_easy_setopt(easy, CURLOPT_USERNAME, connection->userName.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, connection->password.c_str());
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        reportStatus(connection, INTERNET_STATUS_CONNECTING_TO_SERVER);
        const CURLcode result = curl_easy_perform(easy);
        char* entry = nullptr;
        if (result == CURLE_OK && curl_easy_getinfo(easy, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry)
            connection->cwd = entry;
        curl_easy_cleanup(easy);
        if (result != CURLE_OK) {
            InternetCloseHandle(handle);
            SetLastError(result == CURLE_REMOTE_ACCESS_DENIED ? ERROR_INTERNET_LOGIN_FAILURE : errorOf(result));
            return nullptr;
        }
        reportStatus(connection, INTERNET_STATUS_CONNECTED_TO_SERVER);
    }
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI InternetCloseHandle(HINTERNET hInternet) {
    auto object = objectOf(hInternet);
    if (!object) return FALSE;
    if (auto request = std::dynamic_pointer_cast<Request>(object)) {
        bool ok = true;
        if (request->transfer) {
            reportStatus(request, INTERNET_STATUS_CLOSING_CONNECTION);
            ok = request->transfer->finish();
            request->transfer.reset();
            reportStatus(request, INTERNET_STATUS_CONNECTION_CLOSED);
        }
        if (auto owner = request->ftpOwner.lock()) owner->busy = false;
        closeTree(hInternet);
        if (!ok) {
            SetLastError(ERROR_INTERNET_EXTENDED_ERROR);
            return FALSE;
        }
        return TRUE;
    }
    closeTree(hInternet);
    return TRUE;
}

BOOL WINAPI InternetGetLastResponseInfoA(LPDWORD lpdwError, LPSTR lpszBuffer, LPDWORD lpdwBufferLength) {
    if (!lpdwError || !lpdwBufferLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpdwError = lastResponseCode;
    if (!lpszBuffer || *lpdwBufferLength <= lastResponseText.size()) {
        *lpdwBufferLength = static_cast<DWORD>(lastResponseText.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpszBuffer, lastResponseText.c_str(), lastResponseText.size() + 1);
    *lpdwBufferLength = static_cast<DWORD>(lastResponseText.size());
    return TRUE;
}

INTERNET_STATUS_CALLBACK WINAPI InternetSetStatusCallback(HINTERNET hInternet,
                                                          INTERNET_STATUS_CALLBACK lpfnInternetCallback) {
    auto object = objectOf(hInternet);
    if (!object) return INTERNET_INVALID_STATUS_CALLBACK;
    INTERNET_STATUS_CALLBACK previous = object->statusCallback;
    object->statusCallback = lpfnInternetCallback;
    return previous;
}

}  // extern "C"
