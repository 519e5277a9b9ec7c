// A dialog or property sheet page on Win32: the template as an in-memory DLGTEMPLATE, its controls
// the system's own, reached with GetDlgItem; the dialog procedure passes the messages to the
// handler (and, for a page, the sheet's notifications to the page's handler).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <vector>

#include "dialog.h"
#include "dib.h"
#include "sheet.h"

namespace ui::win32 {

class Win32Sheet;

class Win32Dialog final : public Dialog {
public:
    // A modeless dialog is listed for dialogMessage while it exists.
    Win32Dialog(const DialogTemplate& dialog, DialogHandler& handler, Win32Sheet* sheet,
                bool modeless = false);
    ~Win32Dialog() override;
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    // The DLGTEMPLATE of this dialog (a page's when it belongs to a sheet).
    const DLGTEMPLATE* resource() const { return reinterpret_cast<const DLGTEMPLATE*>(resource_.data()); }
    // The procedure of a dialog (WM_INITDIALOG's lParam is the Win32Dialog) and of a sheet page
    // (its lParam is the PROPSHEETPAGEA, whose own lParam is the Win32Dialog).
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK pageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Forgets the window (after DestroyWindow or the end of a modal run).
    void detach() { hwnd_ = nullptr; }
    // Whether end() ended it (a quit message ends the system's dialog loop without).
    bool ended() const { return ended_; }
    // The dialog of this process behind a window, or null.
    static Win32Dialog* ofWindow(HWND hwnd);
    // A modeless dialog takes its keyboard messages; true when one did.
    static bool dialogMessage(MSG& msg);

    HWND hwnd() const override { return hwnd_; }
    const DialogTemplate& dialogTemplate() const override { return template_; }
    Sheet* sheet() override;
    void setCaption(const std::string& caption) override;
    std::string caption() override;
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
    BaseUnits baseUnits() override;
    void press(int id) override;
    void end(int result) override;

private:
    // A bitmap as a bottom-up 24-bit DIB for StretchDIBits.
    const ControlTemplate* tmpl(int id) const { return template_.control(id); }
    HWND item(int id) const { return hwnd_ && tmpl(id) ? GetDlgItem(hwnd_, id) : nullptr; }
    bool is(int id, ControlClass kind) const;
    void command(int id, CommandEvent event);
    INT_PTR init(HWND hwnd);
    INT_PTR handle(UINT msg, WPARAM wParam, LPARAM lParam);
    // Answers a message of the dialog procedure with a result of its own.
    INT_PTR answer(LRESULT result);
    INT_PTR notify(const NMHDR& header);

    DialogTemplate template_;
    DialogHandler& handler_;
    Win32Sheet* sheet_;
    bool modeless_;
    std::vector<WORD> resource_;
    HWND hwnd_ = nullptr;
    std::map<int, Dib> pictures_;
    std::map<int, std::pair<int, int>> ranges_;
    bool focusSet_ = false;
    bool ended_ = false;
};

}  // namespace ui::win32
