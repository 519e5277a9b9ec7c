// The internet extender's session, HTTP, multipart and option words.
#include "pxnet.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace pxnet {
namespace {

constexpr DWORD kReadBlock = 8192;
constexpr DWORD kFileBlock = 30000;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A text argument where "0", "<registry>" (any case) or nothing means "none".
const char* optionalText(const char* text) {
    if (isNone(text) || lower(text) == "<registry>") return nullptr;
    return text;
}

LONG returnHandle(const ExtenderCall& call, HINTERNET handle) {
    return call.returnNumber(static_cast<LONG>(reinterpret_cast<DWORD_PTR>(handle)));
}

const char* const kAcceptTypes[] = {"*/*", nullptr};

struct OptionKeyword {
    const char* keyword;
    DWORD option;
    bool text;
    bool setOnly;
};

const OptionKeyword kOptions[] = {
    {"connect_timeout", 2, false, false},         {"connect_retries", 3, false, false},
    {"connect_backoff", 4, false, false},         {"control_send_timeout", 5, false, false},
    {"control_receive_timeout", 6, false, false}, {"data_send_timeout", 7, false, false},
    {"data_receive_timeout", 8, false, false},    {"handle_type", 9, false, false},
    {"read_buffer_size", 12, false, false},       {"write_buffer_size", 13, false, false},
    {"parent_handle", 21, false, false},          {"keep_connection", 22, false, false},
    {"request_flags", 23, false, false},          {"extended_error", 24, false, false},
    {"offline_mode", 26, false, false},           {"cache_stream_handle", 27, false, false},
    {"username", 28, true, false},                {"password", 29, true, false},
    {"security_flags", 31, false, false},         {"datafile_name", 33, true, false},
    {"url", 34, true, false},                     {"security_certificate", 35, true, false},
    {"security_key_bitness", 36, false, false},   {"refresh", 37, false, false},
    {"version", 40, false, false},                {"user_agent", 41, true, false},
    {"context_value", 45, false, false},          {"option_refresh", 37, false, true},
};

const OptionKeyword* findOption(const char* keyword) {
    const std::string wanted = lower(keyword);
    for (const auto& option : kOptions)
        if (wanted == option.keyword) return &option;
    return nullptr;
}

// A query of any size: the buffer grows until the answer fits.
bool queryOption(HINTERNET handle, DWORD option, std::vector<char>& out) {
    DWORD size = 256;
    for (int attempt = 0; attempt < 4; ++attempt) {
        out.assign(size + 1, '\0');
        if (InternetQueryOptionA(handle, option, out.data(), &size)) {
            out.resize(size);
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    }
    return false;
}

}  // namespace

LONG ibegin(const ExtenderCall& call) {
    DWORD access = 0;
    switch (call.number(1)) {
    case 0: access = INTERNET_OPEN_TYPE_DIRECT; break;
    case 1: access = INTERNET_OPEN_TYPE_PROXY; break;
    case 2: access = INTERNET_OPEN_TYPE_PRECONFIG; break;
    default: return fail(call, 305);
    }
    const std::string agent = "Pollex Internet Extender Ver: " + std::to_string(kVersion);
    HINTERNET session = InternetOpenA(agent.c_str(), access, optionalText(call.arg(2)), optionalText(call.arg(3)), 0);
    keepError();
    return returnHandle(call, session);
}

LONG iclose(const ExtenderCall& call) {
    HINTERNET handle = handleArg(call.arg(1));
    BOOL result = FALSE;
    if (closeRememberedFind(reinterpret_cast<DWORD_PTR>(handle), result)) return call.returnNumber(result);
    if (!handleType(handle)) return fail(call, 306);
    result = InternetCloseHandle(handle);
    keepError();
    return call.returnNumber(result);
}

LONG ihostconnect(const ExtenderCall& call) {
    HINTERNET session = handleArg(call.arg(1));
    if (handleType(session) != INTERNET_HANDLE_TYPE_INTERNET) return fail(call, 311);
    DWORD service = 0, flags = 0;
    INTERNET_PORT port = 0;
    const long long kind = call.number(3);
    switch (kind) {
    case 0: service = INTERNET_SERVICE_HTTP; port = 80; break;
    case 1: service = INTERNET_SERVICE_HTTP; port = 443; break;
    case 2: service = INTERNET_SERVICE_FTP; port = 21; break;
    case 3: service = INTERNET_SERVICE_GOPHER; port = 70; break;
    case 4: service = INTERNET_SERVICE_FTP; port = 21; flags = INTERNET_FLAG_PASSIVE; break;
    default: return fail(call, 305);
    }
    std::string host = call.arg(2);
    const size_t colon = host.rfind(':');
    if (colon != std::string::npos && host.find(':') == colon) {
        port = static_cast<INTERNET_PORT>(parseNumber(host.c_str() + colon + 1));
        host.resize(colon);
    }
    const char* user = isNone(call.arg(4)) ? nullptr : call.arg(4);
    const char* password = call.arg(5);
    if (!*password || (std::strcmp(password, "0") == 0 && !user)) password = nullptr;
    if (kind == 1) flags |= INTERNET_FLAG_SECURE;
    HINTERNET connection = InternetConnectA(session, host.c_str(), port, user, password, service, flags, 0);
    keepError();
    if (kind == 1 && connection)
        return call.returnText("S" + std::to_string(reinterpret_cast<DWORD_PTR>(connection)));
    return returnHandle(call, connection);
}

LONG iurlopen(const ExtenderCall& call) {
    HINTERNET session = handleArg(call.arg(1));
    if (handleType(session) != INTERNET_HANDLE_TYPE_INTERNET) return fail(call, 311);
    const char* url = call.arg(2);
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT;
    if (lower(std::string(url).substr(0, 8)) == "https://") flags |= INTERNET_FLAG_SECURE;
    HINTERNET handle = InternetOpenUrlA(session, url, nullptr, 0, flags, 0);
    keepError();
    if (handle && state().lastError == ERROR_FILE_NOT_FOUND) {
        DWORD code = 0, size = 0;
        InternetGetLastResponseInfoA(&code, nullptr, &size);
        if (code == 0) state().lastError = 0;
    }
    return returnHandle(call, handle);
}

LONG ireaddata(const ExtenderCall& call) {
    HINTERNET handle = handleArg(call.arg(1));
    const DWORD type = handleType(handle);
    if (type != INTERNET_HANDLE_TYPE_FTP_FILE && type != INTERNET_HANDLE_TYPE_GOPHER_FILE &&
        type != INTERNET_HANDLE_TYPE_HTTP_REQUEST)
        return fail(call, 312);
    HANDLE file = CreateFileA(call.arg(2), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail(call, 307);
    std::vector<char> block;
    try {
        block.resize(kReadBlock);
    } catch (...) {
        CloseHandle(file);
        return fail(call, 308);
    }
    BOOL result = FALSE;
    for (;;) {
        DWORD got = 0, written = 0;
        result = InternetReadFile(handle, block.data(), kReadBlock, &got);
        keepError();
        if (!result || got == 0) break;
        if (!WriteFile(file, block.data(), got, &written, nullptr) || written != got) {
            keepError();
            result = FALSE;
            break;
        }
    }
    CloseHandle(file);
    return call.returnNumber(result);
}

LONG iwritedata(const ExtenderCall& call) {
    HINTERNET handle = handleArg(call.arg(1));
    if (handleType(handle) != INTERNET_HANDLE_TYPE_FTP_FILE) return fail(call, 312);
    HANDLE file = CreateFileA(call.arg(2), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail(call, 307);
    std::vector<char> block(kReadBlock);
    BOOL result = TRUE;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(file, block.data(), kReadBlock, &got, nullptr)) {
            keepError();
            result = FALSE;
            break;
        }
        if (got == 0) break;
        result = InternetWriteFile(handle, block.data(), got, &written);
        keepError();
        if (!result) break;
    }
    CloseHandle(file);
    return call.returnNumber(result);
}

LONG icontent(const ExtenderCall& call, bool file) {
    const unsigned long long address = static_cast<unsigned long long>(call.number(1));
    const long long offset = call.number(2);
    const std::string name = call.arg(3), value = call.arg(4);
    std::string part = std::string("--") + kBoundary;
    if (name.empty() && value.empty()) {
        part += "--\r\n";
    } else {
        part += "\r\nContent-Disposition: form-data; name=\"" + name + "\"";
        if (file) {
            const size_t slash = value.find_last_of("\\/");
            part += "; filename=\"" + (slash == std::string::npos ? value : value.substr(slash + 1)) + "\"\r\n" +
                    "Content-Type: text/plain";
        }
        part += "\r\n\r\n";
        if (file) {
            HANDLE in = CreateFileA(value.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            if (in == INVALID_HANDLE_VALUE) return fail(call, 307);
            std::vector<char> block(kFileBlock);
            DWORD got = 0;
            bool ok = true;
            while ((ok = ReadFile(in, block.data(), kFileBlock, &got, nullptr)) && got > 0) part.append(block.data(), got);
            CloseHandle(in);
            if (!ok) return fail(call, 307);
        } else {
            part += value;
        }
        part += "\r\n";
    }
    if (offset < 0 || !call.inHostBuffer(address + static_cast<unsigned long long>(offset), part.size()))
        return fail(call, 309);
    std::memcpy(reinterpret_cast<char*>(static_cast<DWORD_PTR>(address + static_cast<unsigned long long>(offset))),
                part.data(), part.size());
    return call.returnNumber(static_cast<LONG>(offset + static_cast<long long>(part.size())));
}

LONG ihttpinit(const ExtenderCall& call) {
    bool secure = false;
    HINTERNET connection = handleArg(call.arg(1), &secure);
    if (handleType(connection) != INTERNET_HANDLE_TYPE_CONNECT_HTTP) return fail(call, 313);
    const std::string verb = lower(call.arg(2));
    if (verb != "get" && verb != "post" && verb != "put") return fail(call, 310);
    std::string upper = verb;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT;
    if (secure) flags |= INTERNET_FLAG_SECURE;
    const long long bits = call.number(5);
    if (bits & 1) flags |= INTERNET_FLAG_IGNORE_CERT_DATE_INVALID;
    if (bits & 2) flags |= INTERNET_FLAG_IGNORE_CERT_CN_INVALID;
    if (bits & 4) flags |= INTERNET_FLAG_KEEP_CONNECTION;
    LPCSTR accept[] = {kAcceptTypes[0], kAcceptTypes[1]};
    HINTERNET request = HttpOpenRequestA(connection, upper.c_str(), call.arg(3), "HTTP/1.0",
                                         isNone(call.arg(4)) ? nullptr : call.arg(4), accept, flags, 0);
    keepError();
    return returnHandle(call, request);
}

LONG ihttpopen(const ExtenderCall& call) {
    HINTERNET request = handleArg(call.arg(1));
    if (handleType(request) != INTERNET_HANDLE_TYPE_HTTP_REQUEST) return fail(call, 314);
    const unsigned long long address = static_cast<unsigned long long>(call.number(3));
    const long long length = call.number(4);
    std::string headers;
    void* data = nullptr;
    if (address != 0 && length > 0) {
        if (!call.inHostBuffer(address, static_cast<unsigned long long>(length))) return fail(call, 309);
        data = reinterpret_cast<void*>(static_cast<DWORD_PTR>(address));
        headers = std::string("Content-Type: multipart/form-data; boundary=") + kBoundary;
        if (!isNone(call.arg(2))) headers += std::string("\r\n") + call.arg(2);
    } else if (!isNone(call.arg(2))) {
        headers = call.arg(2);
    }
    const BOOL sent = HttpSendRequestA(request, headers.empty() ? nullptr : headers.c_str(),
                                       static_cast<DWORD>(headers.size()), data,
                                       data ? static_cast<DWORD>(length) : 0);
    keepError();
    if (!sent) return call.returnText("ERROR");
    char status[32] = "";
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, status, &size, nullptr)) {
        keepError();
        return call.returnText("ERROR");
    }
    return call.returnText(status);
}

LONG ioptionget(const ExtenderCall& call) {
    const OptionKeyword* option = findOption(call.arg(2));
    if (!option || option->setOnly) return fail(call, 302);
    HINTERNET handle = handleArg(call.arg(1));
    if (option->option == INTERNET_OPTION_PARENT_HANDLE) {
        HINTERNET parent = nullptr;
        DWORD size = sizeof parent;
        if (!InternetQueryOptionA(handle, option->option, &parent, &size)) {
            keepError();
            return call.returnText("ERROR");
        }
        if (!parent) return call.returnText("TOPLEVELHANDLE");
        return returnHandle(call, parent);
    }
    std::vector<char> answer;
    if (!queryOption(handle, option->option, answer)) {
        keepError();
        return call.returnText("ERROR");
    }
    if (option->text) return call.returnText(std::string(answer.data(), strnlen(answer.data(), answer.size())));
    if (option->option == INTERNET_OPTION_VERSION && answer.size() == sizeof(INTERNET_VERSION_INFO)) {
        INTERNET_VERSION_INFO version;
        std::memcpy(&version, answer.data(), sizeof version);
        return call.returnText(std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion));
    }
    switch (answer.size()) {
    case 1: return call.returnNumber(static_cast<unsigned char>(answer[0]));
    case 2: {
        WORD value;
        std::memcpy(&value, answer.data(), sizeof value);
        return call.returnNumber(value);
    }
    case 4: {
        DWORD value;
        std::memcpy(&value, answer.data(), sizeof value);
        return call.returnNumber(static_cast<LONG>(value));
    }
    default: return fail(call, 303);
    }
}

LONG ioptionset(const ExtenderCall& call) {
    const OptionKeyword* option = findOption(call.arg(2));
    if (!option) return fail(call, 302);
    HINTERNET handle = handleArg(call.arg(1));
    BOOL result = FALSE;
    if (option->text) {
        if (option->option != INTERNET_OPTION_USERNAME && option->option != INTERNET_OPTION_PASSWORD &&
            option->option != INTERNET_OPTION_USER_AGENT)
            return fail(call, 301);
        std::string value = call.arg(3);
        result = InternetSetOptionA(handle, option->option, value.data(), static_cast<DWORD>(value.size() + 1));
    } else {
        DWORD value = static_cast<DWORD>(call.number(3));
        result = InternetSetOptionA(handle, option->option, &value, sizeof value);
    }
    keepError();
    return call.returnNumber(result);
}

LONG igetresponse(const ExtenderCall& call) {
    DWORD code = 0, size = 0;
    InternetGetLastResponseInfoA(&code, nullptr, &size);
    if (size <= 1) return call.returnText("NONE");
    std::vector<char> text(size + 1, '\0');
    if (!InternetGetLastResponseInfoA(&code, text.data(), &size) || size == 0) return call.returnText("NONE");
    std::string response(text.data(), size);
    while (!response.empty() && (response.back() == '\n' || response.back() == '\r')) response.pop_back();
    return call.returnText(std::to_string(code) + ": " + response);
}

LONG ihttpheaders(const ExtenderCall& call) {
    HINTERNET request = handleArg(call.arg(1));
    const DWORD type = handleType(request);
    if (type != INTERNET_HANDLE_TYPE_FTP_FILE && type != INTERNET_HANDLE_TYPE_GOPHER_FILE &&
        type != INTERNET_HANDLE_TYPE_HTTP_REQUEST)
        return fail(call, 312);
    std::vector<char> headers(1024);
    DWORD size = static_cast<DWORD>(headers.size());
    BOOL ok = HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS, headers.data(), &size, nullptr);
    if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        headers.resize(size + 2);
        size = static_cast<DWORD>(headers.size());
        ok = HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS, headers.data(), &size, nullptr);
    }
    keepError();
    if (!ok) return call.returnText("ERROR");
    std::string text(headers.data(), size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    std::replace(text.begin(), text.end(), '\0', '\t');
    return call.returnText(text);
}

}  // namespace pxnet
