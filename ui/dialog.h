// Dialogs built from templates (dialog_template.h), modal or modeless, on the toolkit of the build
// (GTK on Linux, Win32 dialogs on Windows). A dialog is a message window: hwnd() is a window of
// user32 that timers (SetTimer(hwnd(), ...)), posted and sent messages and broadcast registered
// messages reach; they arrive at the dialog's DialogHandler. Its controls are read and set by their
// template id. Texts are Windows-1252 on this side; the toolkit converts them at its boundary.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bitmap.h"
#include "dialog_template.h"

namespace ui {

class Dialog;
class Sheet;

// What a control reports to its dialog's handler.
enum class CommandEvent {
    Clicked,           // a button, check box or radio button was pressed
    Changed,           // an edit's text changed (by the user or by setText)
    SelectionChanged,  // a drop-down or sorted list's selection changed by the user
    DoubleClicked,     // a sorted list's item
};

// What a list view reports to its dialog's handler.
enum class NotifyEvent {
    ItemChanged,    // the selection moved (item = the newly selected item, -1 for none)
    ItemActivated,  // double click or Enter on an item
};

class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    // The controls exist and hold their template texts; the window is not shown yet.
    virtual void onInit(Dialog&) {}
    // A control's event. True when handled; an unhandled IDOK or IDCANCEL ends a dialog (not a
    // sheet's page) with that id. Enter presses the default button (IDOK without one), Escape and
    // the window's close box give IDCANCEL, whether such a button exists or not.
    virtual bool onCommand(Dialog&, int /*id*/, CommandEvent) { return false; }
    virtual void onNotify(Dialog&, int /*id*/, NotifyEvent, int /*item*/) {}
    // A timer of the dialog's window (SetTimer(dialog.hwnd(), id, ...)).
    virtual void onTimer(Dialog&, UINT_PTR /*id*/) {}
    // Any other message sent or posted to the dialog's window: registered messages (also
    // broadcast ones), WM_USER and WM_APP ranges. True when handled; `result` answers a sent one.
    virtual bool onMessage(Dialog&, UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) {
        return false;
    }
    // The dialog ends with `result` (a modal one before its loop returns it, a modeless one
    // before its window goes).
    virtual void onEnd(Dialog&, int /*result*/) {}
};

class Dialog {
public:
    virtual ~Dialog() = default;

    virtual HWND hwnd() const = 0;
    virtual const DialogTemplate& dialogTemplate() const = 0;
    // The sheet this dialog is a page of, or null.
    virtual Sheet* sheet() = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual std::string caption() = 0;

    // Controls by template id. An unknown id, or a call that does not fit the control's class,
    // reads empty, false or -1 and changes nothing.
    virtual std::string text(int id) = 0;
    virtual void setText(int id, const std::string& text) = 0;  // an edit keeps its text limit
    virtual bool checked(int id) = 0;
    virtual void setChecked(int id, bool checked) = 0;  // a radio button clears its group's others

    // Item lists of drop-down lists, sorted lists and list views. addItem returns the new item's
    // index (where a sorted list put it); `icon` indexes the list view's small icons.
    virtual int addItem(int id, const std::string& text, int icon = -1) = 0;
    virtual void clearItems(int id) = 0;
    virtual int itemCount(int id) = 0;
    virtual std::string itemText(int id, int index, int column = 0) = 0;
    virtual void setItemText(int id, int index, int column, const std::string& text) = 0;
    // The first item whose text equals `text` (case-insensitively), or -1.
    virtual int findItem(int id, const std::string& text) = 0;
    virtual int selection(int id) = 0;  // -1 for none
    virtual void setSelection(int id, int index) = 0;  // -1 clears it
    // List views: a report column (`width` in pixels, -1 fills the rest of the list's width) and
    // the small icons items refer to, from icon handles (drawn at 16x16; the list keeps its own
    // copies, so shared icons stay with their owner). A null handle is an empty place.
    virtual void addColumn(int id, const std::string& title, int width) = 0;
    virtual void setSmallIcons(int id, const std::vector<HICON>& icons) = 0;
    // A sorted list's tab stops, in dialog units from the list's left edge, as the system's list
    // boxes take them: a tab in an item's text moves on to the first stop right of the text
    // before it; past the last stop the next multiple of 32 units follows (of the stop itself
    // when there is only one). Without stops tabs go to every 32 units.
    virtual void setTabStops(int id, const std::vector<int>& stops) = 0;

    virtual void setProgressRange(int id, int low, int high) = 0;
    virtual void setProgress(int id, int position) = 0;  // clamped to the range
    virtual int progress(int id) = 0;

    // A Picture shows the bitmap scaled into its rectangle.
    virtual void setBitmap(int id, const Bitmap& bitmap) = 0;

    virtual void enable(int id, bool enabled) = 0;
    virtual bool isEnabled(int id) = 0;
    virtual void show(int id, bool visible) = 0;
    virtual bool isShown(int id) = 0;
    virtual void setFocus(int id) = 0;
    virtual int focusedControl() = 0;  // -1 when no control of the dialog has the focus
    // The control's rectangle in the dialog's client area, in pixels.
    virtual RECT controlRect(int id) = 0;
    virtual BaseUnits baseUnits() = 0;

    // Presses a button, check box or radio button as a click of the user does.
    virtual void press(int id) = 0;
    // Ends the dialog: a modal one returns `result`, a modeless one destroys its window (hwnd()
    // becomes null); a sheet's page ends its sheet.
    virtual void end(int result) = 0;
};

// False when the build's toolkit cannot show dialogs (no display).
bool startDialogs();
// Shows the dialog and runs the message loop until it ends; its result, or -1 when it could not
// be made. `owner` is disabled meanwhile. A quit message ends it with 0 (and is posted again for
// the loop outside).
int runModal(const DialogTemplate& dialog, DialogHandler& handler, HWND owner = nullptr);
// A shown modeless dialog; null when it could not be made. Destroying it destroys its window.
std::unique_ptr<Dialog> createModeless(const DialogTemplate& dialog, DialogHandler& handler,
                                       HWND owner = nullptr);
// The dialog (or sheet page) of this process behind a window, or null.
Dialog* findDialog(HWND hwnd);
// A message loop that runs modeless dialogs or sheets passes each message here first: true when
// it was a dialog's keyboard message and has been handled (Tab, Enter, Escape on Windows).
bool isDialogMessage(MSG& message);

}  // namespace ui
