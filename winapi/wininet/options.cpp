// wininet: InternetQueryOptionA and InternetSetOptionA. Number options live on the handle (a new
// handle starts with its parent's); a NULL handle stands for the process's defaults. Sizes and
// buffer protocols are WinInet's: a too small buffer gets ERROR_INSUFFICIENT_BUFFER and the size.
#include "internet.h"

#include "transfer.h"

#include <cstring>

namespace {

using namespace wininet;

// The process's options, which a NULL handle queries and sets.
InternetObject& processDefaults() {
    static InternetObject defaults;
    return defaults;
}

bool isNumberOption(DWORD option) {
    switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
    case INTERNET_OPTION_CONNECT_RETRIES:
    case INTERNET_OPTION_CONNECT_BACKOFF:
    case INTERNET_OPTION_CONTROL_SEND_TIMEOUT:
    case INTERNET_OPTION_CONTROL_RECEIVE_TIMEOUT:
    case INTERNET_OPTION_DATA_SEND_TIMEOUT:
    case INTERNET_OPTION_DATA_RECEIVE_TIMEOUT:
    case INTERNET_OPTION_READ_BUFFER_SIZE:
    case INTERNET_OPTION_WRITE_BUFFER_SIZE:
    case INTERNET_OPTION_KEEP_CONNECTION:
    case INTERNET_OPTION_OFFLINE_MODE:
    case INTERNET_OPTION_SECURITY_FLAGS: return true;
    default: return false;
    }
}

BOOL answer(const void* data, DWORD size, LPVOID buffer, LPDWORD length) {
    if (!length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!buffer || *length < size) {
        *length = size;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, data, size);
    *length = size;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL answerNumber(DWORD value, LPVOID buffer, LPDWORD length) { return answer(&value, sizeof value, buffer, length); }

// A text option: the length without its NUL on success, with it when the buffer is too small.
BOOL answerText(const std::string& text, LPVOID buffer, LPDWORD length) {
    if (!length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!buffer || *length <= text.size()) {
        *length = static_cast<DWORD>(text.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *length = static_cast<DWORD>(text.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// The URL a handle stands for: a request's, or the server of a connection.
std::string urlOf(const std::shared_ptr<InternetObject>& object) {
    if (!object->url.empty()) return object->url;
    auto request = std::dynamic_pointer_cast<Request>(object);
    auto connection = std::dynamic_pointer_cast<Connection>(request ? request->parent.lock() : object);
    if (!connection) return "";
    return baseUrl(*connection, (object->flags & INTERNET_FLAG_SECURE) != 0) + (request ? request->object : "/");
}

}  // namespace

extern "C" {

BOOL WINAPI InternetQueryOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, LPDWORD lpdwBufferLength) {
    std::shared_ptr<InternetObject> object;
    if (hInternet) {
        object = objectOf(hInternet);
        if (!object) return FALSE;
    }
    const InternetObject& options = object ? *object : processDefaults();
    if (isNumberOption(dwOption))
        return answerNumber(options.number(dwOption, defaultNumber(dwOption)), lpBuffer, lpdwBufferLength);
    switch (dwOption) {
    case INTERNET_OPTION_VERSION: {
        const INTERNET_VERSION_INFO version{1, 2};
        return answer(&version, sizeof version, lpBuffer, lpdwBufferLength);
    }
    case INTERNET_OPTION_USER_AGENT:
        if (!object) break;
        return answerText(sessionOf(object) ? sessionOf(object)->userAgent : object->userAgent, lpBuffer,
                          lpdwBufferLength);
    }
    if (!object) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return FALSE;
    }
    switch (dwOption) {
    case INTERNET_OPTION_HANDLE_TYPE: return answerNumber(object->type, lpBuffer, lpdwBufferLength);
    case INTERNET_OPTION_PARENT_HANDLE: {
        HINTERNET parent = nullptr;
        if (auto p = object->parent.lock()) parent = p->handle;
        return answer(&parent, sizeof parent, lpBuffer, lpdwBufferLength);
    }
    case INTERNET_OPTION_CONTEXT_VALUE:
        return answer(&object->context, sizeof object->context, lpBuffer, lpdwBufferLength);
    case INTERNET_OPTION_REQUEST_FLAGS: return answerNumber(0, lpBuffer, lpdwBufferLength);
    case INTERNET_OPTION_EXTENDED_ERROR: return answerNumber(GetLastError(), lpBuffer, lpdwBufferLength);
    case INTERNET_OPTION_USERNAME: {
        auto at = object;
        while (at && at->userName.empty()) at = at->parent.lock();
        return answerText(at ? at->userName : "", lpBuffer, lpdwBufferLength);
    }
    case INTERNET_OPTION_PASSWORD: {
        auto at = object;
        while (at && at->password.empty()) at = at->parent.lock();
        return answerText(at ? at->password : "", lpBuffer, lpdwBufferLength);
    }
    case INTERNET_OPTION_URL:
        if (object->type != INTERNET_HANDLE_TYPE_HTTP_REQUEST && object->type != INTERNET_HANDLE_TYPE_FTP_FILE &&
            object->type != INTERNET_HANDLE_TYPE_GOPHER_FILE)
            break;
        return answerText(urlOf(object), lpBuffer, lpdwBufferLength);
    case INTERNET_OPTION_SECURITY_KEY_BITNESS:
        if (object->type != INTERNET_HANDLE_TYPE_HTTP_REQUEST) break;
        return answerNumber((object->flags & INTERNET_FLAG_SECURE) ? 256 : 0, lpBuffer, lpdwBufferLength);
    case INTERNET_OPTION_CACHE_STREAM_HANDLE:
    case INTERNET_OPTION_DATAFILE_NAME:
    case INTERNET_OPTION_SECURITY_CERTIFICATE:
        // Nothing is cached and no certificate text is kept.
        SetLastError(ERROR_INTERNET_ITEM_NOT_FOUND);
        return FALSE;
    default:
        SetLastError(ERROR_INTERNET_INVALID_OPTION);
        return FALSE;
    }
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return FALSE;
}

BOOL WINAPI InternetSetOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength) {
    std::shared_ptr<InternetObject> object;
    if (hInternet) {
        object = objectOf(hInternet);
        if (!object) return FALSE;
    }
    InternetObject& options = object ? *object : processDefaults();
    if (!lpBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (isNumberOption(dwOption)) {
        if (dwBufferLength != sizeof(DWORD)) {
            SetLastError(ERROR_INTERNET_BAD_OPTION_LENGTH);
            return FALSE;
        }
        options.numbers[dwOption] = *static_cast<const DWORD*>(lpBuffer);
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    const char* text = static_cast<const char*>(lpBuffer);
    switch (dwOption) {
    case INTERNET_OPTION_USERNAME: options.userName = text; break;
    case INTERNET_OPTION_PASSWORD: options.password = text; break;
    case INTERNET_OPTION_USER_AGENT:
        options.userAgent = text;
        if (auto session = object ? sessionOf(object) : nullptr) session->userAgent = text;
        break;
    case INTERNET_OPTION_CONTEXT_VALUE:
        if (dwBufferLength != sizeof(DWORD_PTR)) {
            SetLastError(ERROR_INTERNET_BAD_OPTION_LENGTH);
            return FALSE;
        }
        options.context = *static_cast<const DWORD_PTR*>(lpBuffer);
        break;
    case INTERNET_OPTION_REFRESH: break;  // no cached settings to read again
    case INTERNET_OPTION_HANDLE_TYPE:
    case INTERNET_OPTION_PARENT_HANDLE:
    case INTERNET_OPTION_VERSION:
    case INTERNET_OPTION_URL:
    case INTERNET_OPTION_EXTENDED_ERROR:
    case INTERNET_OPTION_SECURITY_KEY_BITNESS:
    case INTERNET_OPTION_REQUEST_FLAGS:
        SetLastError(ERROR_INTERNET_OPTION_NOT_SETTABLE);
        return FALSE;
    default:
        SetLastError(ERROR_INTERNET_INVALID_OPTION);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // extern "C"
