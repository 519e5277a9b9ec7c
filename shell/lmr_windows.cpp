// Making the browser center's skinned windows.
#include "lmr_windows.h"

#include "dialog.h"
#include "lmr_dlg.h"
#include "trace.h"

void CLmrWindows::enableControlContainment() {
    started_ = toolkit_.start();
    dialogsStarted_ = ui::startDialogs();
    if (!started_)
        traceLine("the skinned window cannot be started (%s)\n",
                  dialogsStarted_ ? "no toolkit for it in this build" : "no display?");
}

LmrWindow* CLmrWindows::createDialog(const SkinLayout& layout, int windowNumber) {
    if (!app_ || !started_) {
        traceLine("creating a window (%s): no user interface\n", layout.m_SkinName.c_str());
        return nullptr;
    }
    auto* window = new CLmrDlg(*app_, skins_, dialServices_, toolkit_, layout, windowNumber);
    if (!window->handleExists()) {
        traceLine("creating a window (%s) failed\n", layout.m_SkinName.c_str());
        delete window;
        return nullptr;
    }
    return window;
}
