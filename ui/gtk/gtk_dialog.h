// A dialog or sheet page on GTK: native widgets in a fixed layout at the template's dialog-unit
// rectangles, and a user32 window through which timers and messages reach the handler. A dialog
// has a window of its own; a page's content is placed into its sheet's window.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog.h"
#include "dialog_support.h"

namespace ui::gtk {

class GtkDialog final : public Dialog, public MessageTarget {
public:
    // `sheet` and `parent` (the sheet's window) for a page, null for a dialog.
    GtkDialog(const DialogTemplate& dialog, DialogHandler& handler, Sheet* sheet, HWND parent);
    ~GtkDialog() override;
    GtkDialog(const GtkDialog&) = delete;
    GtkDialog& operator=(const GtkDialog&) = delete;

    // A page's content goes into `host` (a fixed layout of its sheet), hidden; call before create().
    void setHost(GtkWidget* host) { host_ = host; }
    // Makes the window and the controls and calls the handler's onInit; false when the window
    // cannot be made.
    bool create();
    // A dialog's own window (null for a page) and the widget holding the controls.
    GtkWidget* window() const { return window_; }
    GtkWidget* content() const { return content_; }
    // A modal dialog keeps its window until its loop has returned; a modeless one loses it when
    // it ends, as a destroyed window on Windows.
    void setModal() { modal_ = true; }
    bool ended() const { return ended_; }
    int result() const { return result_; }
    // The keys a dialog handles itself: Tab, Enter, Escape. True when handled.
    bool handleKey(const GdkEventKey& key);
    // The widgets Tab visits, in template order (a radio group once).
    std::vector<GtkWidget*> tabStopWidgets();
    // The id of the control holding `widget`, or -1.
    int controlOf(GtkWidget* widget);

    HWND hwnd() const override { return hwnd_; }
    const DialogTemplate& dialogTemplate() const override { return template_; }
    Sheet* sheet() override { return sheet_; }
    void setCaption(const std::string& caption) override;
    std::string caption() override { return caption_; }
    std::string text(int id) override;
    void setText(int id, const std::string& text) override;
    bool checked(int id) override;
    void setChecked(int id, bool checked) override;
    int addItem(int id, const std::string& text, int icon) override;
    void clearItems(int id) override;
    int itemCount(int id) override;
    std::string itemText(int id, int index, int column) override;
    void setItemText(int id, int index, int column, const std::string& text) override;
    int findItem(int id, const std::string& text) override;
    int selection(int id) override;
    void setSelection(int id, int index) override;
    void addColumn(int id, const std::string& title, int width) override;
    void setSmallIcons(int id, const std::vector<HICON>& icons) override;
    void setTabStops(int id, const std::vector<int>& stops) override;
    void setProgressRange(int id, int low, int high) override;
    void setProgress(int id, int position) override;
    int progress(int id) override;
    void setBitmap(int id, const Bitmap& bitmap) override;
    void enable(int id, bool enabled) override;
    bool isEnabled(int id) override;
    void show(int id, bool visible) override;
    bool isShown(int id) override;
    void setFocus(int id) override;
    int focusedControl() override;
    RECT controlRect(int id) override;
    BaseUnits baseUnits() override { return units_; }
    void press(int id) override;
    void end(int result) override;

    LRESULT message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Control {
        const ControlTemplate* tmpl = nullptr;
        GtkWidget* outer = nullptr;  // what the layout holds
        GtkWidget* widget = nullptr;  // the button, entry, combo, tree view ...
        GtkListStore* store = nullptr;
        GtkCellRenderer* tabbedCell = nullptr;  // a sorted list's text, drawn with its tab stops
        int columns = 0;
        int low = 0, high = 100, position = 0;
        GdkPixbuf* picture = nullptr;
        std::vector<GdkPixbuf*> icons;
        GtkWidget* noGroupChoice = nullptr;  // the hidden member that leaves a radio group unchecked
        std::string text;  // the text set, for controls that show it as a label
    };

    Control* find(int id);
    Control* findWidget(GtkWidget* widget);
    GtkWidget* makeWidget(Control& control, GtkWidget*& radioGroup);
    void command(int id, CommandEvent event);
    // Programmatic changes do not report to the handler, as Windows sends no notification for them.
    void quietly(const std::function<void()>& change);
    std::vector<Control*> tabStops();
    bool isTabStop(const Control& control);

    static void onClicked(GtkButton* button, gpointer self);
    static void onEditChanged(GtkWidget* widget, gpointer self);
    static void onComboChanged(GtkComboBox* combo, gpointer self);
    static void onSelectionChanged(GtkTreeSelection* selection, gpointer self);
    static void onRowActivated(GtkTreeView* view, GtkTreePath*, GtkTreeViewColumn*, gpointer self);
    static gboolean onDrawPicture(GtkWidget* widget, cairo_t* cr, gpointer self);
    static gboolean onLabelMnemonic(GtkWidget* label, gboolean, gpointer);
    static gboolean onKey(GtkWidget*, GdkEventKey* key, gpointer self);
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self);

    DialogTemplate template_;
    DialogHandler& handler_;
    Sheet* sheet_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    GtkWidget* host_ = nullptr;
    GtkWidget* window_ = nullptr;
    GtkWidget* content_ = nullptr;
    BaseUnits units_;
    std::string caption_;
    std::vector<Control> controls_;
    int quiet_ = 0;
    bool modal_ = false;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace ui::gtk
