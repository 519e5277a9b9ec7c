// Making the browser center's skinned windows (CLmrDlg) on the user-interface toolkit.
#pragma once

#include "dial_page.h"
#include "skinned_window.h"
#include "window_seam.h"

class CLmrApp;

class CLmrWindows : public WindowFactory {
public:
    // `dialServices` serve the settings page of every window.
    CLmrWindows(ui::Toolkit& toolkit, SkinStore& skins, DialPageServices& dialServices)
        : toolkit_(toolkit), skins_(skins), dialServices_(dialServices) {}
    // The application the windows report to; set once it exists, before the first window.
    void attach(CLmrApp& app) { app_ = &app; }

    LmrWindow* createDialog(const SkinLayout& layout, int windowNumber) override;
    // The location bar completes from its own list of typed URLs; there is no shell library to
    // bind or release.
    void bindAutoComplete() override {}
    void releaseShellLibrary() override {}
    void enableControlContainment() override;
    bool windowsAvailable() const override { return started_; }
    bool dialogsAvailable() const override { return dialogsStarted_; }

private:
    ui::Toolkit& toolkit_;
    SkinStore& skins_;
    DialPageServices& dialServices_;
    CLmrApp* app_ = nullptr;
    bool started_ = false;
    bool dialogsStarted_ = false;
};
