// The browser center's run with plain dialogs.
#include "dialog_fallback.h"

#include <windows.h>

#include <cstdio>

#include "app.h"
#include "dial_page.h"
#include "dial_progress.h"
#include "dial_sheet.h"
#include "fallback_dialogs.h"
#include "ras_calls.h"
#include "registry.h"
#include "resource.h"
#include "signup_seam.h"
#include "string_resources.h"
#include "trace.h"

namespace {

constexpr UINT_PTR kAnswerTimer = 1;
constexpr int kDefaultAnswerSeconds = 20;

// The hang-up question answers "Schliessen" itself when nobody has answered in time, so that a
// connection nobody looks after does not stay up.
class HangUpQuestion : public ui::DialogHandler {
public:
    void onInit(ui::Dialog& dialog) override {
        int seconds = loadResourceNumber(IDS_HANG_UP_QUESTION_WAIT);
        if (seconds <= 0) seconds = kDefaultAnswerSeconds;
        SetTimer(dialog.hwnd(), kAnswerTimer, static_cast<UINT>(seconds) * 1000, nullptr);
    }
    void onTimer(ui::Dialog& dialog, UINT_PTR id) override {
        if (id != kAnswerTimer) return;
        KillTimer(dialog.hwnd(), kAnswerTimer);
        dialog.end(IDOK);
    }
};

// A dialog with nothing to decide: its OK ends it.
class Notice : public ui::DialogHandler {};

}  // namespace

void CDialogFallback::handleDialogFallback() {
    CLmrApp& app = *app_;
    CLmrSettings& settings = app.settings();
    if (app.instanceCount() > 1) {
        traceLine("handleDialogFallback() - this is not the first instance. Closing application\n");
        askToCloseConnection();
        return;
    }

    if (app.getStoredStartupMode() == "3") {
        CSheet configuration(app, services_);
        if (configuration.runConfiguration() != IDOK) return;
        storeSheetValues(configuration);
        // The configuration is done: the rest of the run is in the mode of the customer's account.
        settings.setStoredStartupMode(settings.readStartupMode());
    }
    const std::string modeBefore = app.getStoredStartupMode();

    CSheet sheet(app, services_);
    int startPage = CSheet::kPageAccount;
    if (app.isSignupMode()) {
        hangUp();
        startPage = CSheet::kPageChoice;
        sheet.m_Page1.m_SavePassword = true;
    } else {
        sheet.m_Page1.m_UserName = settings.userName();
        sheet.m_Page1.m_Password = settings.password();
        sheet.m_Page1.m_SavePassword = settings.readSavePassword() == "1";
    }
    if (sheet.run(startPage) != IDOK) return;

    traceLine("Fallback parameters\n");
    traceLine("Entryname: %s\n", settings.entryName().c_str());
    traceLine(" Username: %s\n", settings.userName().c_str());
    traceLine(" Password: %s\n", traceMask(settings.password().c_str()).c_str());
    traceLine("   Number: %s\n", settings.phoneNumber().c_str());
    storeSheetValues(sheet);

    CDialProgress progress(settings, app.isSignupMode());
    progress.run();
    const bool connected = app.connectionIsActive();
    regWriteString(("Software\\Tarnwell\\AutoDial\\" + settings.entryName()).c_str(), "Connected",
                   connected ? "1" : "0");
    if (connected) browseWhileConnected();

    const std::string modeNow = app.readStartupMode();
    if (modeNow != modeBefore && modeNow == "0") {
        hangUp();
        Notice notice;
        ui::runModal(kSignupSuccess, notice);
    } else if (app.isSignupMode() && app.connectionIsActive()) {
        hangUp();
        Notice notice;
        ui::runModal(kSignupFailure, notice);
    } else {
        askToCloseConnection();
    }
}

void CDialogFallback::askToCloseConnection() {
    const std::string connected = getConnectedEntries();
    if (connected.empty()) return;
    HangUpQuestion question;
    if (ui::runModal(kHangUpQuestion, question) == IDOK) {
        traceLine("closing the connection...\"%s\"\n", connected.c_str());
        closeActiveConnections();
    } else {
        traceLine("not closing the connection\n");
    }
}

void CDialogFallback::hangUp() {
    if (!getConnectedEntries().empty()) closeActiveConnections();
}

void CDialogFallback::storeSheetValues(const CSheet& sheet) {
    char country[16];
    std::snprintf(country, sizeof country, "%d", sheet.m_CountryId);
    services_.saveTapiSetting(country, sheet.m_AreaCode, sheet.m_OutsideAccess,
                              sheet.m_OutsideAccess);
    CLmrSettings& settings = app_->settings();
    settings.setDeviceName(sheet.m_DeviceName);
    settings.saveDeviceName();
    services_.makeAutoDial(settings);
}

void CDialogFallback::browseWhileConnected() {
    CLmrApp& app = *app_;
    app.startTrayMonitor();
    if (app.isSignupMode()) {
        const std::string signupPage = pagePath(app.settings().readSignupUrl());
        signup_.patchSignupHtml(signupPage);
        openInStandardBrowser(signupPage);
    } else if (!(app.startedAsDialer() && browser_.browserWindowOpen())) {
        openInStandardBrowser(pagePath(app.settings().readStartUrl()));
    }
    while (browser_.browserWindowOpen() && app.connectionIsActive()) framework_.pumpAndSleep(100);
}

void CDialogFallback::openInStandardBrowser(const std::string& page) {
    browser_.launchStandardBrowser(page);
}

std::string CDialogFallback::pagePath(const std::string& page) const {
    return page.find("./") != std::string::npos ? app_->paths().installDir + page : page;
}
