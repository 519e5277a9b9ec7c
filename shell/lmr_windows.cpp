// Making the browser center's skinned windows.
#include "lmr_windows.h"

#include "lmr_dlg.h"
#include "trace.h"

void CLmrWindows::enableControlContainment() {
    started_ = toolkit_.start();
    if (!started_) traceLine("the user interface cannot be started (no display?)\n");
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
