// The dial progress dialog.
#include "dial_progress.h"

#include "connection_monitor.h"
#include "fallback_dialogs.h"
#include "ras_calls.h"
#include "resource.h"
#include "settings.h"
#include "string_resources.h"
#include "trace.h"

namespace {

constexpr DWORD kErrorAuthenticationFailure = 691;
// RASCS_StartAuthentication: the state Windows NT and later report before authenticating.
constexpr unsigned kStartAuthentication = 19;

}  // namespace

bool CDialProgress::run() { return ui::runModal(kDialProgress, *this) != -1; }

void CDialProgress::onInit(ui::Dialog& dialog) {
    m_RasDialEvent = RegisterWindowMessageA("RasDialEvent");
    m_ConnectedAtStart = getConnectedEntries();
    SetTimer(dialog.hwnd(), kWatchTimer, 1000, nullptr);
    if (!m_ConnectedAtStart.empty()) {
        traceLine("a connection is up already: hanging it up instead of dialling\n");
        closeActiveConnections();
        return;
    }
    if (!openConnection(m_Settings.entryName().c_str(), m_Settings.userName().c_str(),
                        m_Settings.password().c_str(), dialog.hwnd(), &m_hRasConn,
                        m_SignupMode)) {
        traceLine("Unable to open connection: %s\n", m_Settings.entryName().c_str());
        m_hRasConn = nullptr;
        failed(dialog, loadResourceString(IDS_DIAL_FAILED));
    }
}

void CDialProgress::failed(ui::Dialog& dialog, const std::string& reason) {
    dialog.setText(IDC_DIAL_STATUS, reason);
    dialog.setText(IDCANCEL, "OK");
}

void CDialProgress::hangUpDial() {
    if (m_hRasConn) hangUpConnection(m_hRasConn);
    m_hRasConn = nullptr;
}

bool CDialProgress::onCommand(ui::Dialog& dialog, int id, ui::CommandEvent event) {
    if (id != IDCANCEL || event != ui::CommandEvent::Clicked) return false;
    if (m_hRasConn) {
        hangUpDial();
        dialog.setText(IDC_DIAL_STATUS, loadResourceString(IDS_DIAL_CANCELLED));
    } else if (!getConnectedEntries().empty()) {
        closeActiveConnections();
    }
    dialog.end(IDCANCEL);
    return true;
}

void CDialProgress::onTimer(ui::Dialog& dialog, UINT_PTR id) {
    if (id == kWatchTimer) {
        if (m_Settings.useRas() && getConnectedEntries() != m_ConnectedAtStart) {
            KillTimer(dialog.hwnd(), kWatchTimer);
            KillTimer(dialog.hwnd(), kLogonPromptTimer);
            dialog.end(IDOK);
        }
        return;
    }
    if (id != kLogonPromptTimer) return;
    KillTimer(dialog.hwnd(), kLogonPromptTimer);
    if (!m_hRasConn) return;
    if (!logonPromptShown()) {
        SetTimer(dialog.hwnd(), kLogonPromptTimer, 500, nullptr);
        return;
    }
    hangUpDial();
    failed(dialog, rasErrorText(kErrorAuthenticationFailure));
}

bool CDialProgress::onMessage(ui::Dialog& dialog, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT&) {
    if (message == 0 || message != m_RasDialEvent) return false;
    const auto state = static_cast<unsigned>(wParam);
    const auto error = static_cast<DWORD>(lParam);
    // Only the dial of this dialog is followed; a late event of a dial given up is not.
    if (!m_hRasConn) return true;
    if (state & RASCS_PAUSED) {
        traceLine("in paused state\n");
        hangUpDial();
        failed(dialog, loadResourceString(IDS_DIAL_FAILED));
        return true;
    }
    if (error != 0) {
        const std::string text = rasErrorText(error);
        traceLine("RAS Error #%d - %s\n", static_cast<int>(error), text.c_str());
        hangUpDial();
        failed(dialog, text);
        return true;
    }
    if (state == RASCS_Connected) {
        m_Settings.setLastConnectionError(std::string());
        m_hRasConn = nullptr;
    } else if (state == kStartAuthentication) {
        SetTimer(dialog.hwnd(), kLogonPromptTimer, 500, nullptr);
    }
    const std::string text = rasStateText(state);
    traceLine("RAS State #%d - %s\n", static_cast<int>(state), text.c_str());
    // A state without a text of its own leaves the last one standing.
    if (!text.empty()) dialog.setText(IDC_DIAL_STATUS, text);
    return true;
}
