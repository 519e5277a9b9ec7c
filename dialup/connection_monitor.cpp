// Dialling the provider, following the dial and noticing connections: the connection monitor.
#include "connection_monitor.h"

#include <cstdlib>
#include <ctime>

#include "ras_api.h"
#include "ras_calls.h"
#include "text.h"
#include "trace.h"

namespace {

constexpr char kMonitorClass[] = "LumoraConnectionMonitor";
constexpr UINT kIdsProviderName = 100;   // the program's table: the provider's name
constexpr UINT kIdsUserNameSuffix = 121;
constexpr DWORD kErrorAuthenticationFailure = 691;
constexpr DWORD kRasDialOptions = 0x1002;  // RDEOPT_PausedStates | RDEOPT_CustomDial
// RASCS_StartAuthentication: the state Windows NT and later report before authenticating.
constexpr unsigned kStartAuthentication = 19;

std::string loadText(UINT id) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

// The string table entry of each state; 0 for the states without a text.
UINT stateTextId(unsigned state) {
    if (state <= RASCS_Projected) {
        static constexpr UINT kIds[] = {136, 137, 135, 138, 139, 131, 140, 141, 142, 143,
                                        144, 145, 146, 147, 148, 149, 150, 151, 152};
        return kIds[state];
    }
    switch (state) {
    case RASCS_Interactive: return 153;
    case RASCS_RetryAuthentication: return 154;
    case RASCS_CallbackSetByCaller: return 155;
    case RASCS_PasswordExpired: return 132;
    case RASCS_Connected: return 133;
    case RASCS_Disconnected: return 134;
    default: return 0;
    }
}

BOOL CALLBACK findLogonPrompt(HWND hwnd, LPARAM found) {
    char title[256] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::string(title).find("Benutzeranmeldung") == std::string::npos) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

}  // namespace

bool logonPromptShown() {
    bool prompt = false;
    EnumWindows(&findLogonPrompt, reinterpret_cast<LPARAM>(&prompt));
    return prompt;
}

std::string rasErrorText(DWORD error) {
    char text[512] = {};
    if (!loadRasApi() || !rasApi().pRasGetErrorStringA ||
        rasApi().pRasGetErrorStringA(error, text, sizeof text) != 0)
        return "unknown RAS error";
    return text;
}

std::string rasStateText(unsigned state) {
    const UINT id = stateTextId(state);
    if (id == 0) return std::string();
    std::string text = loadText(id);
    if (state == RASCS_ConnectDevice) return text + loadText(kIdsProviderName) + "...";
    if (state == RASCS_DeviceConnected) return text + loadText(kIdsProviderName);
    return text;
}

bool openConnection(const char* entryName, const char* userName, const char* password,
                    HWND notify, HRASCONN* handle, bool signupMode) {
    if (!loadRasApi()) return false;
    RASDIALPARAMSA params{};
    copyText(params.szEntryName, sizeof params.szEntryName, entryName);
    if (!getEntryDialParams(entryName, &params)) {
        traceLine("getEntryDialParams failed\n");
        return false;
    }
    std::string user = userName;
    if (!signupMode) {
        const std::string suffix = loadText(kIdsUserNameSuffix);
        if (suffix != " ") user += suffix;
    }
    copyText(params.szUserName, sizeof params.szUserName, user.c_str());
    copyText(params.szPassword, sizeof params.szPassword, password);
    traceLine("openConnection()\n");
    traceLine("entry name: %s\n", entryName);
    traceLine(" user name: %s\n", params.szUserName);
    // The password is never written to the trace in clear.
    traceLine("  password: %s\n", traceMask(params.szPassword).c_str());
    *handle = nullptr;
    // A remote-access library may lack the dial function; that is a dial that cannot start.
    if (!rasApi().pRasDialA) {
        traceLine("RasDialA is not available\n");
        return false;
    }

    RASDIALEXTENSIONS extensions{};
    RASDIALEXTENSIONS* useExtensions = nullptr;
    RASENTRYA* entry = nullptr;
    DWORD entrySize = 0;
    if (getEntryProperties(entryName, &entry, &entrySize)) std::free(entry);
    if (entrySize >= kRasEntryWindows2000Size) {
        traceLine("entry is a version 5 entry (%lu bytes): dialling with extensions\n",
                  static_cast<unsigned long>(entrySize));
        extensions.dwSize = kRasDialExtensionsSize;
        extensions.dwfOptions = kRasDialOptions;
        useExtensions = &extensions;
    }
    const DWORD result = rasApi().pRasDialA(useExtensions, nullptr, &params, 0xFFFFFFFF, notify, handle);
    if (result != 0 && *handle) {
        hangUpConnection(*handle);
        *handle = nullptr;
    }
    traceLine("open connection returns: %d\n", static_cast<int>(result));
    return result == 0;
}

CConnectionMonitor::~CConnectionMonitor() { destroy(); }

bool CConnectionMonitor::create(ConnectionHost& host) {
    if (m_hWnd) return true;
    m_Host = &host;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &CConnectionMonitor::windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kMonitorClass;
    RegisterClassA(&wc);  // fails harmlessly when a monitor was made before in this process
    m_RasDialEvent = RegisterWindowMessageA("RasDialEvent");
    m_UpdateStartMessage = RegisterWindowMessageA("WM_TN_UPDATE_START");
    m_UpdateEndMessage = RegisterWindowMessageA("WM_TN_UPDATE_END");
    m_UpdateFailMessage = RegisterWindowMessageA("WM_TN_UPDATE_FAIL");
    m_hWnd = CreateWindowExA(0, kMonitorClass, "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, wc.hInstance, this);
    if (!m_hWnd) return false;
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(m_hWnd, kPollTimer, 1000, nullptr);
    // The update queue draws its identifiers from the run-time generator.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return true;
}

void CConnectionMonitor::destroy() {
    if (!m_hWnd) return;
    KillTimer(m_hWnd, kPollTimer);
    KillTimer(m_hWnd, kUpdateTimer);
    KillTimer(m_hWnd, kLogonPromptTimer);
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    m_UpdateQueue.clear();
}

LRESULT CALLBACK CConnectionMonitor::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    auto* self = reinterpret_cast<CConnectionMonitor*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) {
        if (message == self->m_RasDialEvent && message != 0) {
            self->onRasDialEvent(static_cast<unsigned>(wParam), static_cast<DWORD>(lParam));
            return 0;
        }
        if (message == WM_TIMER &&
            (wParam == kPollTimer || wParam == kUpdateTimer || wParam == kLogonPromptTimer)) {
            self->onTimer(wParam);
            return 0;
        }
        if (message != 0 && message == self->m_UpdateStartMessage) {
            self->onUpdateStart(static_cast<unsigned>(wParam), static_cast<DWORD>(lParam));
            return 0;
        }
        if (message != 0 && message == self->m_UpdateEndMessage) {
            self->onUpdateEnd(static_cast<unsigned>(wParam));
            return 0;
        }
        if (message != 0 && message == self->m_UpdateFailMessage) {
            self->onUpdateFail(static_cast<unsigned>(wParam));
            return 0;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void CConnectionMonitor::hangUpDial() {
    if (m_hRasConn) hangUpConnection(m_hRasConn);
    m_hRasConn = nullptr;
}

void CConnectionMonitor::toggleConnection() {
    const std::string connected = getConnectedEntries();
    if (!connected.empty()) {
        traceLine("terminating connection...\n");
        closeActiveConnections();
    } else if (m_hRasConn) {
        traceLine("already involved in connecting\n");
        hangUpDial();
        m_Host->closePopup();
    } else {
        const std::string entry = m_Host->entryName();
        if (openConnection(entry.c_str(), m_Host->userName().c_str(), m_Host->password().c_str(),
                           m_hWnd, &m_hRasConn, m_Host->isSignupMode())) {
            traceLine("connecting...\n");
        } else {
            m_hRasConn = nullptr;
            m_Host->showPopup("discon.htm");
            traceLine("Unable to open connection: %s\n", entry.c_str());
        }
    }
}

void CConnectionMonitor::onRasDialEvent(unsigned state, DWORD error) {
    if (state & RASCS_PAUSED) {
        traceLine("in paused state\n");
        hangUpDial();
        m_Host->showPopup("discon.htm");
        return;
    }
    traceLine("not in paused state\n");
    if (error == 0) {
        if (state == RASCS_Connected) {
            m_Host->setLastConnectionError(std::string());
            m_hRasConn = nullptr;
        } else if (state == kStartAuthentication) {
            traceLine("RASCS_StartAuthentication detected...now starting timer 5\n");
            SetTimer(m_hWnd, kLogonPromptTimer, 500, nullptr);
        }
        const std::string text = rasStateText(state);
        m_Host->setPopupStatus(text);
        traceLine("RAS State #%d - %s\n", static_cast<int>(state), text.c_str());
        return;
    }
    const std::string text = rasErrorText(error);
    traceLine("RAS Error #%d - %s\n", static_cast<int>(error), text.c_str());
    if (!m_hRasConn) return;
    m_Host->setLastConnectionError(text);
    hangUpDial();
    m_Host->showPopup("discon.htm");
}

void CConnectionMonitor::onTimer(UINT_PTR timerId) {
    if (timerId == kPollTimer) {
        if (!m_Host->dialupInUse()) return;
        const std::string connected = getConnectedEntries();
        if (connected == m_LastConnectedEntries) return;
        if (!connected.empty()) {
            m_Host->onConnected();
        } else {
            m_Host->onDisconnected();
        }
        m_LastConnectedEntries = connected;
    } else if (timerId == kUpdateTimer) {
        // With dial-up the queue runs only while a connection is up; on a LAN always.
        if (!m_Host->dialupInUse() || !getConnectedEntries().empty()) startNextUpdate();
    } else if (timerId == kLogonPromptTimer) {
        KillTimer(m_hWnd, kLogonPromptTimer);
        if (!m_hRasConn) return;
        if (!logonPromptShown()) {
            SetTimer(m_hWnd, kLogonPromptTimer, 500, nullptr);
            return;
        }
        hangUpDial();
        m_Host->setLastConnectionError(rasErrorText(kErrorAuthenticationFailure));
        m_Host->showPopup("discon.htm");
    }
}
