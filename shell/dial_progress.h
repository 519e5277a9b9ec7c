// The dial progress dialog of the plain-dialog fallback: it dials the provider's entry (or hangs
// up a connection that is already up), shows each state of the dial, watches for the system's
// logon prompt and closes itself once the set of connected entries has changed. A dial that fails
// leaves its reason on the dialog, whose button then reads "OK".
#pragma once

#include <windows.h>

#include <ras.h>

#include <string>

#include "dialog.h"

class CLmrSettings;

class CDialProgress : public ui::DialogHandler {
public:
    static constexpr UINT_PTR kWatchTimer = 1;
    static constexpr UINT_PTR kLogonPromptTimer = 5;

    // `signupMode`: the dial is the signup's (no suffix is added to the user name).
    CDialProgress(CLmrSettings& settings, bool signupMode)
        : m_Settings(settings), m_SignupMode(signupMode) {}

    // Shows the dialog until the dial has ended; false when it could not be shown.
    bool run();

    void onInit(ui::Dialog& dialog) override;
    bool onCommand(ui::Dialog& dialog, int id, ui::CommandEvent event) override;
    void onTimer(ui::Dialog& dialog, UINT_PTR id) override;
    bool onMessage(ui::Dialog& dialog, UINT message, WPARAM wParam, LPARAM lParam,
                   LRESULT& result) override;

private:
    // The dial has ended without a connection: its reason stays and the button closes.
    void failed(ui::Dialog& dialog, const std::string& reason);
    void hangUpDial();

    CLmrSettings& m_Settings;
    const bool m_SignupMode;
    UINT m_RasDialEvent = 0;
    HRASCONN m_hRasConn = nullptr;
    std::string m_ConnectedAtStart;
};
