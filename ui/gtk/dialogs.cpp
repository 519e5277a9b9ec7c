// The dialog entry points of the GTK build: modal and modeless dialogs and sheets, and finding
// them by window.
#include <gtk/gtk.h>

#include "gtk_dialog.h"
#include "gtk_sheet.h"

namespace ui {

bool startDialogs() { return gtk_init_check(nullptr, nullptr); }

int runModal(const DialogTemplate& dialog, DialogHandler& handler, HWND) {
    if (!startDialogs()) return -1;
    gtk::GtkDialog d(dialog, handler, nullptr, nullptr);
    d.setModal();
    if (!d.create()) return -1;
    gtk_window_set_modal(GTK_WINDOW(d.window()), TRUE);
    gtk_widget_show(d.window());
    // A quit message ends the dialog as Cancel would; the loop outside sees the quit again.
    if (!gtk::runModalLoop([&] { return d.ended(); }) && !d.ended()) d.end(IDCANCEL);
    return d.result();
}

std::unique_ptr<Dialog> createModeless(const DialogTemplate& dialog, DialogHandler& handler, HWND) {
    if (!startDialogs()) return nullptr;
    auto d = std::make_unique<gtk::GtkDialog>(dialog, handler, nullptr, nullptr);
    if (!d->create()) return nullptr;
    gtk_widget_show(d->window());
    return d;
}

Dialog* findDialog(HWND hwnd) { return dynamic_cast<gtk::GtkDialog*>(gtk::messageTargetOf(hwnd)); }

bool isDialogMessage(MSG&) { return false; }  // GTK's windows handle their keys themselves

int runSheet(const SheetTemplate& sheet, SheetHandler* handler, HWND) {
    if (!startDialogs()) return -1;
    gtk::GtkSheet s(sheet, handler);
    if (!s.create()) return -1;
    gtk_window_set_modal(GTK_WINDOW(s.window()), TRUE);
    gtk_widget_show(s.window());
    if (!gtk::runModalLoop([&] { return s.ended(); }) && !s.ended()) s.end(IDCANCEL);
    return s.result();
}

std::unique_ptr<Sheet> createSheet(const SheetTemplate& sheet, SheetHandler* handler, HWND) {
    if (!startDialogs()) return nullptr;
    auto s = std::make_unique<gtk::GtkSheet>(sheet, handler);
    if (!s->create()) return nullptr;
    gtk_widget_show(s->window());
    return s;
}

Sheet* findSheet(HWND hwnd) {
    gtk::MessageTarget* target = gtk::messageTargetOf(hwnd);
    if (auto* sheet = dynamic_cast<gtk::GtkSheet*>(target)) return sheet;
    if (auto* page = dynamic_cast<gtk::GtkDialog*>(target)) return page->sheet();
    return nullptr;
}

}  // namespace ui
