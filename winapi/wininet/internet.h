// WinInet's handle tree on Linux: a session owns its connections, a connection its requests,
// files and finds. Every object carries WinInet's handle type and the options set on it (a child
// starts with its parent's); closing a handle closes its children first, as WinInet does.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <curl/curl.h>

#include "handles.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace wininet {

class Transfer;

class InternetObject : public winapi::KernelObject {
public:
    ~InternetObject() override;
    bool closedByCloseHandle() const override { return false; }

    DWORD type = 0;
    HINTERNET handle = nullptr;
    std::weak_ptr<InternetObject> parent;
    std::vector<HINTERNET> children;
    DWORD_PTR context = 0;
    DWORD flags = 0;
    std::map<DWORD, DWORD> numbers;  // number options
    std::string userAgent, userName, password, url;
    INTERNET_STATUS_CALLBACK statusCallback = nullptr;

    DWORD number(DWORD option, DWORD fallback) const;
};

class Session : public InternetObject {
public:
    std::string proxy, bypass;
};

class Connection : public InternetObject {
public:
    ~Connection() override;
    DWORD service = 0;
    std::string host;
    INTERNET_PORT port = 0;
    std::string cwd = "/";   // FTP: the current folder, kept here and sent with every command
    CURLSH* share = nullptr; // FTP: the one control connection shared by the handle's transfers
    bool busy = false;       // FTP: a file handle is open
};

class Request : public InternetObject {
public:
    ~Request() override;
    std::string verb = "GET", object, version = "HTTP/1.1", referrer;
    std::vector<std::string> extraHeaders;
    std::unique_ptr<Transfer> transfer;
    bool writing = false;      // an FTP upload
    std::weak_ptr<Connection> ftpOwner;
};

class FindList : public InternetObject {
public:
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
};

// The object behind a handle, or null with ERROR_INVALID_HANDLE.
std::shared_ptr<InternetObject> objectOf(HINTERNET handle);
template <class T>
std::shared_ptr<T> objectAs(HINTERNET handle, DWORD wrongTypeError = ERROR_INTERNET_INCORRECT_HANDLE_TYPE) {
    auto object = objectOf(handle);
    if (!object) return nullptr;
    auto typed = std::dynamic_pointer_cast<T>(object);
    if (!typed) SetLastError(wrongTypeError);
    return typed;
}
// Gives the object a handle under its parent (null for a session) and returns it.
HINTERNET addObject(std::shared_ptr<InternetObject> object, const std::shared_ptr<InternetObject>& parent);

// The session an object belongs to.
std::shared_ptr<Session> sessionOf(const std::shared_ptr<InternetObject>& object);

// Calls the status callback of the object (or the nearest ancestor that has one).
void reportStatus(const std::shared_ptr<InternetObject>& object, DWORD status);

// A prepared libcurl handle for a transfer of `object`: agent, proxy, time-outs, TLS checks.
CURL* newEasy(const std::shared_ptr<InternetObject>& object, const std::string& url);

// WinInet's default of a number option that is set on neither a handle nor its ancestors.
DWORD defaultNumber(DWORD option);

// libcurl's result as a WinInet error code.
DWORD errorOf(CURLcode code);

// "ftp://host:port" / "http://host:port" of a connection (with user and password for FTP).
std::string baseUrl(const Connection& connection, bool secure);

// A path made absolute against an FTP connection's current folder, with "." and ".." resolved.
std::string ftpPath(const Connection& connection, const std::string& path);

}  // namespace wininet
