// Shared by the tests that drive real skinned windows on an Xvfb display: the window factory that
// remembers the windows it made, the message and toolkit pump, and what a pane has loaded.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gtk_window.h"
#include "lmr_dlg.h"
#include "lmr_windows.h"

namespace window_test {

// The windows the factory made, by handle: a window that has gone has an invalid handle.
class RecordingWindows : public WindowFactory {
public:
    RecordingWindows(ui::Toolkit& toolkit, SkinStore& skins, DialPageServices& dial)
        : real(toolkit, skins, dial) {}
    LmrWindow* createDialog(const SkinLayout& layout, int number) override {
        LmrWindow* window = real.createDialog(layout, number);
        if (auto* dialog = dynamic_cast<CLmrDlg*>(window)) made.push_back(dialog->hwnd());
        return window;
    }
    void bindAutoComplete() override { real.bindAutoComplete(); }
    void enableControlContainment() override { real.enableControlContainment(); }
    bool windowsAvailable() const override { return real.windowsAvailable(); }
    bool dialogsAvailable() const override { return real.dialogsAvailable(); }
    void releaseShellLibrary() override { real.releaseShellLibrary(); }

    // The window behind the n-th handle, null once it has gone.
    CLmrDlg* dialog(size_t n) const {
        if (n >= made.size() || !IsWindow(made[n])) return nullptr;
        return reinterpret_cast<CLmrDlg*>(GetWindowLongPtrA(made[n], GWLP_USERDATA));
    }
    // Asks every window still there to close, as the user closes them, and waits until they
    // have gone.
    void closeAll(const std::function<bool(const std::function<bool()>&)>& waitFor) {
        for (size_t n = 0; n < made.size(); ++n)
            if (CLmrDlg* window = dialog(n)) window->postClose();
        waitFor([&] {
            for (size_t n = 0; n < made.size(); ++n)
                if (dialog(n)) return false;
            return true;
        });
    }

    CLmrWindows real;
    std::vector<HWND> made;
};

// Dispatches window messages and toolkit events until `done` or the time has passed.
inline bool pumpUntil(const std::function<bool()>& done, int seconds = 15) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

inline ui::gtk::GtkSkinnedWindow* gtkOf(CLmrDlg* window) {
    return dynamic_cast<ui::gtk::GtkSkinnedWindow*>(window->ui());
}

// Whether the pane shows an address containing `part` and has finished loading it.
inline bool loaded(CLmrDlg* window, ui::PaneId pane, const char* part) {
    return window && window->ui()->currentUrl(pane).find(part) != std::string::npos &&
           !webkit_web_view_is_loading(WEBKIT_WEB_VIEW(gtkOf(window)->paneWidget(pane)));
}

}  // namespace window_test
