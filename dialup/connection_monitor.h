// The connection monitor: a hidden top-level window of the browser center that dials the
// provider's entry asynchronously, follows the dial through the remote-access service's
// "RasDialEvent" notifications, watches for the system's logon prompt while authenticating and
// notices, once a second, connections made or ended outside the browser center.
#pragma once

#include <windows.h>

#include <ras.h>

#include <string>

// What the monitor needs of the application object.
class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;
    virtual bool dialupInUse() = 0;
    virtual bool isSignupMode() = 0;
    virtual std::string entryName() = 0;
    virtual std::string userName() = 0;
    virtual std::string password() = 0;
    virtual void setLastConnectionError(const std::string& text) = 0;
    virtual void showPopup(const std::string& page) = 0;
    virtual void closePopup() = 0;
    // Sets "IDC_RAS_STATUS" of the page the popup shows; does nothing without a popup.
    virtual void setPopupStatus(const std::string& text) = 0;
    virtual void onConnected() = 0;
    virtual void onDisconnected() = 0;
};

// The German progress text of a connection state (string table entries 131 to 155).
std::string rasStateText(unsigned state);

// Starts an asynchronous dial of the entry whose progress is posted to `notify`; true when it was
// started. `handle` is the dial's handle (null after a failed start).
bool openConnection(const char* entryName, const char* userName, const char* password,
                    HWND notify, HRASCONN* handle, bool signupMode);

class CConnectionMonitor {
public:
    static constexpr UINT_PTR kPollTimer = 1;
    static constexpr UINT_PTR kUpdateTimer = 2;
    static constexpr UINT_PTR kLogonPromptTimer = 5;

    CConnectionMonitor() = default;
    ~CConnectionMonitor();
    CConnectionMonitor(const CConnectionMonitor&) = delete;
    CConnectionMonitor& operator=(const CConnectionMonitor&) = delete;

    // Creates the hidden window, starts the poll and seeds the random generator.
    bool create(ConnectionHost& host);
    void destroy();
    HWND hwnd() const { return m_hWnd; }
    bool dialInProgress() const { return m_hRasConn != nullptr; }

    void toggleConnection();
    void onRasDialEvent(unsigned state, DWORD error);
    void onTimer(UINT_PTR timerId);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void hangUpDial();
    static std::string errorText(DWORD error);

    ConnectionHost* m_Host = nullptr;
    HWND m_hWnd = nullptr;
    HRASCONN m_hRasConn = nullptr;
    UINT m_RasDialEvent = 0;
    std::string m_LastConnectedEntries;
};
