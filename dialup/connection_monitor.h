// The connection monitor: a hidden top-level window of the browser center that dials the
// provider's entry asynchronously, follows the dial through the remote-access service's
// "RasDialEvent" notifications, watches for the system's logon prompt while authenticating and
// notices, once a second, connections made or ended outside the browser center. It also holds the
// update queue: it starts the updater for one queued file at a time and receives its reports.
#pragma once

#include <windows.h>

#include <ras.h>

#include <list>
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
    // The program folder (ending in a backslash) and the program name.
    virtual std::string installDir() = 0;
    virtual std::string programName() = 0;
    // Interval of the update queue's timer.
    virtual unsigned updatePeriodMs() = 0;
    // An update unpacked the skin of that name: its definition is read again and replaces the
    // stored one (and the layout of the windows showing it).
    virtual void skinUpdated(const std::string& skinName) = 0;
};

// One file in the update queue.
struct UpdateEntry {
    // The file's key in the list; for a skin archive the key without ".dat", the skin's name.
    std::string name;
    std::string localPath;
    std::string remoteUrl;
    // Ties the updater's messages to the entry; unique in the queue.
    unsigned identifier = 0;
    bool started = false;
};

// The German progress text of a connection state (string table entries 131 to 155).
std::string rasStateText(unsigned state);

// The system's text of a remote-access error, "unknown RAS error" when it has none.
std::string rasErrorText(DWORD error);
// True while the system's logon prompt ("Benutzeranmeldung") is shown.
bool logonPromptShown();

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

    // The update queue. Queues `fileName` of the update list: fetched from the update base URL
    // (string 104) + program name + "/" + file into the program folder; programs and libraries
    // under "_" + name, since the file itself may be in use.
    void requestFileUpdate(const std::string& fileName);
    void enqueueUpdate(const std::string& remote, const std::string& local,
                       const std::string& name, bool onlyIfNew);
    void startNextUpdate();
    void onUpdateStart(unsigned identifier, DWORD percent);
    void onUpdateEnd(unsigned identifier);
    void onUpdateFail(unsigned identifier);
    // Queues every file the list names with a version that sorts after the recorded one.
    void queueUpdateFiles(const std::string& listPath);
    const std::list<UpdateEntry>& updateQueue() const { return m_UpdateQueue; }
    // How long the updater's own replacement may wait for the updater to let its file go.
    void setReplaceWaitLimit(DWORD milliseconds) { m_ReplaceWaitLimit = milliseconds; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void hangUpDial();
    std::list<UpdateEntry>::iterator findUpdate(unsigned identifier);
    // Moves the fetched "_tnupdate.exe" onto the updater's file once the updater has ended.
    void replaceUpdater(const UpdateEntry& entry);

    ConnectionHost* m_Host = nullptr;
    HWND m_hWnd = nullptr;
    HRASCONN m_hRasConn = nullptr;
    UINT m_RasDialEvent = 0;
    std::string m_LastConnectedEntries;

    UINT m_UpdateStartMessage = 0;
    UINT m_UpdateEndMessage = 0;
    UINT m_UpdateFailMessage = 0;
    std::list<UpdateEntry> m_UpdateQueue;
    DWORD m_ReplaceWaitLimit = 30 * 1000;
};
