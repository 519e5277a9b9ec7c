// The dialog entry points of the GTK build: modal and modeless dialogs and sheets, and finding
// them by window.
#include <gtk/gtk.h>

#include "gtk_dialog.h"
#include "gtk_sheet.h"

namespace ui {
namespace {

// A dialog or sheet of this process whose window is `owner` keeps the new one above it.
void keepAbove(GtkWidget* window, HWND owner) {
    gtk::MessageTarget* target = gtk::messageTargetOf(owner);
    GtkWidget* parent = nullptr;
    if (auto* d = dynamic_cast<gtk::GtkDialog*>(target)) parent = d->window() ? d->window() : gtk_widget_get_toplevel(d->content());
    else if (auto* s = dynamic_cast<gtk::GtkSheet*>(target)) parent = s->window();
    if (parent && GTK_IS_WINDOW(parent)) gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(parent));
}

}  // namespace

bool startDialogs() { return gtk_init_check(nullptr, nullptr); }

int runModal(const DialogTemplate& dialog, DialogHandler& handler, HWND owner) {
    if (!startDialogs()) return -1;
    gtk::GtkDialog d(dialog, handler, nullptr, nullptr);
    d.setModal();
    if (!d.create()) return -1;
    // Modal: the program's other windows take no input meanwhile.
    gtk_window_set_modal(GTK_WINDOW(d.window()), TRUE);
    keepAbove(d.window(), owner);
    gtk_widget_show(d.window());
    // A quit message ends the dialog with 0, as the system's dialog loop does; the loop outside
    // gets the quit message again.
    if (!gtk::runModalLoop([&] { return d.ended(); }) && !d.ended()) return 0;
    return d.result();
}

std::unique_ptr<Dialog> createModeless(const DialogTemplate& dialog, DialogHandler& handler, HWND owner) {
    if (!startDialogs()) return nullptr;
    auto d = std::make_unique<gtk::GtkDialog>(dialog, handler, nullptr, nullptr);
    if (!d->create()) return nullptr;
    keepAbove(d->window(), owner);
    gtk_widget_show(d->window());
    return d;
}

Dialog* findDialog(HWND hwnd) { return dynamic_cast<gtk::GtkDialog*>(gtk::messageTargetOf(hwnd)); }

bool isDialogMessage(MSG&) { return false; }  // GTK's windows handle their keys themselves

int runSheet(const SheetTemplate& sheet, SheetHandler* handler, HWND owner) {
    if (!startDialogs()) return -1;
    gtk::GtkSheet s(sheet, handler);
    if (!s.create()) return -1;
    gtk_window_set_modal(GTK_WINDOW(s.window()), TRUE);
    keepAbove(s.window(), owner);
    gtk_widget_show(s.window());
    // A quit message ends the sheet with -1, as the system's sheet does.
    if (!gtk::runModalLoop([&] { return s.ended(); }) && !s.ended()) return -1;
    return s.result();
}

std::unique_ptr<Sheet> createSheet(const SheetTemplate& sheet, SheetHandler* handler, HWND owner) {
    if (!startDialogs()) return nullptr;
    auto s = std::make_unique<gtk::GtkSheet>(sheet, handler);
    if (!s->create()) return nullptr;
    keepAbove(s->window(), owner);
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
