// Dialogs of a build whose toolkit backend is not in yet: nothing can be shown.
#include "sheet.h"

namespace ui {

bool startDialogs() { return false; }
int runModal(const DialogTemplate&, DialogHandler&, HWND) { return -1; }
std::unique_ptr<Dialog> createModeless(const DialogTemplate&, DialogHandler&, HWND) { return nullptr; }
Dialog* findDialog(HWND) { return nullptr; }
bool isDialogMessage(MSG&) { return false; }
int runSheet(const SheetTemplate&, SheetHandler*, HWND) { return -1; }
std::unique_ptr<Sheet> createSheet(const SheetTemplate&, SheetHandler*, HWND) { return nullptr; }
Sheet* findSheet(HWND) { return nullptr; }

}  // namespace ui
