// What the GTK dialogs and sheets share: their user32 message windows, the modal message loop,
// the dialog font's base units, and the conversion of control texts to widget labels.
#pragma once

#include <gtk/gtk.h>
#include <windows.h>

#include <functional>
#include <string>

#include "bitmap.h"
#include "dialog_template.h"

namespace ui::gtk {

// The object behind a dialog's or sheet's user32 window.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual LRESULT message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

// A window of user32 whose messages go to `target`: top-level (broadcasts reach it) without a
// parent, else a child of `parent`. Null when user32 cannot make one.
HWND createMessageWindow(MessageTarget& target, const std::string& caption, HWND parent);
// The target behind one of these windows, or null for any other window.
MessageTarget* messageTargetOf(HWND hwnd);
// Stops the window's messages reaching its target and destroys it.
void destroyMessageWindow(HWND hwnd);

// Runs the thread's message loop until `ended` is set; a quit message ends the loop too (and is
// posted again for the loop outside), answering false.
bool runModalLoop(const std::function<bool()>& ended);

// A fixed layout for a dialog's or page's controls that asks for no more than its minimum size:
// a control's wish for more room (a wrapping label's whole text on one line, a drop-down list's
// longest item) must not grow the window past its template, as the control gets only its
// rectangle anyway.
GtkWidget* templateLayoutNew();

// The base units of a template's font on this screen.
BaseUnits baseUnitsOf(const DialogTemplate& dialog);
// Applies the template's font to a dialog's content and the compact control style that lets
// controls take exactly their template sizes.
void styleDialogContent(GtkWidget* content, const DialogTemplate& dialog);

// A new pixbuf of the bitmap's pixels (the caller's reference), or null for an empty one.
GdkPixbuf* pixbufOf(const Bitmap& bitmap);
// A new pixbuf (with alpha) of an icon's pixels, or null when the handle is no icon.
GdkPixbuf* pixbufOfIcon(HICON icon);

// A control text (Windows-1252, "&" marking the mnemonic, "&&" a literal "&") as a GTK mnemonic
// label in UTF-8.
std::string mnemonicLabel(const std::string& text);
// A control text without its mnemonic marks, in UTF-8.
std::string plainLabel(const std::string& text);

}  // namespace ui::gtk
