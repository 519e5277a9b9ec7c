// The dialog entry points of the Windows build: dialogs from in-memory templates, comctl32's
// wizard sheets, and the keyboard of modeless ones.
#include <windows.h>

#include <commctrl.h>

#include "win32_dialog.h"
#include "win32_sheet.h"

namespace ui {

bool startDialogs() {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
}

int runModal(const DialogTemplate& dialog, DialogHandler& handler, HWND owner) {
    if (!startDialogs()) return -1;
    win32::Win32Dialog d(dialog, handler, nullptr);
    const INT_PTR r = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), d.resource(), owner,
                                              &win32::Win32Dialog::dialogProc, reinterpret_cast<LPARAM>(&d));
    d.detach();
    // Not ended by the dialog: a quit message ended the system's loop, whose answer (IDOK) would
    // read as the user's.
    if (r != -1 && !d.ended()) return 0;
    return static_cast<int>(r);
}

std::unique_ptr<Dialog> createModeless(const DialogTemplate& dialog, DialogHandler& handler, HWND owner) {
    if (!startDialogs()) return nullptr;
    auto d = std::make_unique<win32::Win32Dialog>(dialog, handler, nullptr, true);
    HWND hwnd = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), d->resource(), owner,
                                           &win32::Win32Dialog::dialogProc, reinterpret_cast<LPARAM>(d.get()));
    if (!hwnd) return nullptr;
    ShowWindow(hwnd, SW_SHOW);
    return d;
}

Dialog* findDialog(HWND hwnd) { return win32::Win32Dialog::ofWindow(hwnd); }

bool isDialogMessage(MSG& message) {
    for (win32::Win32Sheet* sheet : win32::Win32Sheet::openSheets())
        if (sheet->dialogMessage(message)) return true;
    return win32::Win32Dialog::dialogMessage(message);
}

int runSheet(const SheetTemplate& sheet, SheetHandler* handler, HWND owner) {
    if (!startDialogs()) return -1;
    win32::Win32Sheet s(sheet, handler);
    return s.run(owner);
}

std::unique_ptr<Sheet> createSheet(const SheetTemplate& sheet, SheetHandler* handler, HWND owner) {
    if (!startDialogs()) return nullptr;
    auto s = std::make_unique<win32::Win32Sheet>(sheet, handler);
    if (!s->open(owner)) return nullptr;
    return s;
}

Sheet* findSheet(HWND hwnd) { return win32::Win32Sheet::ofWindow(hwnd); }

}  // namespace ui
