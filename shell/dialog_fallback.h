// The browser center's run with plain dialogs, for a machine whose web browser control cannot
// show the pages (or a build whose skinned window cannot start): the dial sheet, the dial with
// its progress dialog, the standard browser while the connection is up, and the question or the
// signup result at the end.
#pragma once

#include <string>

#include "dialup_seam.h"

class AppFramework;
class CLmrApp;
class CSheet;
class DialPageServices;
class SignupFile;
class StandardBrowser;

class CDialogFallback : public DialogFallback {
public:
    CDialogFallback(AppFramework& framework, DialPageServices& services, SignupFile& signup,
                    StandardBrowser& browser)
        : framework_(framework), services_(services), signup_(signup), browser_(browser) {}
    // The application the run works for; set before the application starts.
    void attach(CLmrApp& app) { app_ = &app; }

    void handleDialogFallback() override;

private:
    // Asks with the hang-up question whether to close the connection that is up, and does so.
    void askToCloseConnection();
    void hangUp();
    // Records the dialling location, the device and the AutoDial registration from the sheet.
    void storeSheetValues(const CSheet& sheet);
    // The pages of the standard browser once connected, then the wait while one is open.
    void browseWhileConnected();
    // Every page of the run reaches the standard browser here.
    void openInStandardBrowser(const std::string& page);
    // A page named relative to the program folder ("./config/...") made absolute.
    std::string pagePath(const std::string& page) const;

    AppFramework& framework_;
    DialPageServices& services_;
    SignupFile& signup_;
    StandardBrowser& browser_;
    CLmrApp* app_ = nullptr;
};
