// The wizard sheet on GTK: one window holding the active page above a separator and the row of
// Back, Next, Finish, Cancel and Help; a user32 window that forwards registered messages to the
// active page. Pages are made the first time they are about to be shown.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <memory>
#include <vector>

#include "gtk_dialog.h"
#include "sheet.h"

namespace ui::gtk {

class GtkSheet final : public Sheet, public MessageTarget {
public:
    GtkSheet(const SheetTemplate& sheet, SheetHandler* handler);
    ~GtkSheet() override;
    GtkSheet(const GtkSheet&) = delete;
    GtkSheet& operator=(const GtkSheet&) = delete;

    // Makes the window and shows the start page (or the first after it that agrees); false when
    // the window cannot be made or no page agrees.
    bool create();
    GtkWidget* window() const { return window_; }
    bool ended() const { return ended_; }
    int result() const { return result_; }

    HWND hwnd() const override { return hwnd_; }
    void setCaption(const std::string& caption) override;
    std::string caption() override { return caption_; }
    RECT windowRect() override;
    void showWindow(bool visible) override;
    bool isWindowShown() override;
    void enableWindow(bool enabled) override;
    // Moves the window where the template's position puts it (nothing without one).
    void place();
    int pageCount() override { return static_cast<int>(pages_.size()); }
    Dialog& page(int index) override;
    int activePage() override { return active_; }
    bool setActivePage(int index) override;
    int pageIndex(int resourceId) override;
    void showButton(WizardButton button, bool visible) override;
    bool isButtonShown(WizardButton button) override;
    void enableButton(WizardButton button, bool enabled) override;
    bool isButtonEnabled(WizardButton button) override;
    void setButtonText(WizardButton button, const std::string& text) override;
    std::string buttonText(WizardButton button) override;
    void setDefaultButton(WizardButton button) override;
    void focusButton(WizardButton button) override;
    void placeButton(WizardButton button, WizardButton place) override;
    void pressButton(WizardButton button) override;
    void end(int result) override;

    LRESULT message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Page {
        const DialogTemplate* tmpl = nullptr;
        PageHandler* handler = nullptr;
        std::unique_ptr<GtkDialog> dialog;
    };

    GtkDialog* made(int index);
    // Shows the first page from `index` on, in steps of `direction`, whose activation agrees.
    bool go(int index, int direction);
    void next();
    void back();
    void finish();
    void cancel();
    bool handleKey(const GdkEventKey& key);
    static void onButton(GtkButton* button, gpointer self);
    static gboolean onKey(GtkWidget*, GdkEventKey* key, gpointer self);
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self);
    static void onWindowState(GObject*, GParamSpec*, gpointer self);

    SheetTemplate template_;
    SheetHandler* handler_;
    std::vector<Page> pages_;
    HWND hwnd_ = nullptr;
    GtkWidget* window_ = nullptr;
    GtkWidget* blocker_ = nullptr;  // while the window is disabled: the grab that takes its input
    GtkWidget* pageArea_ = nullptr;
    GtkWidget* buttonRow_ = nullptr;
    std::array<GtkWidget*, 5> buttons_{};
    std::array<std::string, 5> texts_;
    std::array<int, 5> slots_{};  // x of each button's own place in the row
    WizardButton default_ = WizardButton::Next;
    std::string caption_;
    int active_ = -1;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace ui::gtk
