// The wizard sheet on Win32: a property sheet of comctl32 in wizard mode whose pages are
// Win32Dialogs. The sheet's window is subclassed once its first page starts, so that registered
// messages reaching it go on to the active page.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "sheet.h"
#include "win32_dialog.h"

namespace ui::win32 {

class Win32Sheet final : public Sheet {
public:
    Win32Sheet(const SheetTemplate& sheet, SheetHandler* handler);
    ~Win32Sheet() override;
    Win32Sheet(const Win32Sheet&) = delete;
    Win32Sheet& operator=(const Win32Sheet&) = delete;

    // Runs the sheet modally: IDOK, IDCANCEL or -1.
    int run(HWND owner);
    // Shows it modeless; false when comctl32 could not make it.
    bool open(HWND owner);
    // A modeless sheet takes its keyboard messages; true when it did. A sheet that has ended
    // meanwhile is closed.
    bool dialogMessage(MSG& msg);
    static Win32Sheet* ofWindow(HWND hwnd);
    static const std::vector<Win32Sheet*>& openSheets();

    // From the pages' dialog procedure.
    PageHandler& handlerOf(const Win32Dialog& page);
    int indexOf(const Win32Dialog& page) const;
    void attach(HWND sheetWindow);
    void activated(int index) { active_ = index; }
    bool ending() const { return ending_; }
    void outcome(int result) {
        outcome_ = result;
        decided_ = true;
    }

    HWND hwnd() const override { return hwnd_; }
    void setCaption(const std::string& caption) override;
    std::string caption() override;
    RECT windowRect() override;
    void showWindow(bool visible) override;
    bool isWindowShown() override;
    void enableWindow(bool enabled) override;
    int pageCount() override { return static_cast<int>(pages_.size()); }
    Dialog& page(int index) override { return *pages_[static_cast<size_t>(index)]; }
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

private:
    static LRESULT CALLBACK sheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    PROPSHEETHEADERA header(HWND owner, bool modeless);
    void finished();
    HWND button(WizardButton b) const;

    SheetTemplate template_;
    SheetHandler* handler_;
    std::vector<std::unique_ptr<Win32Dialog>> pages_;
    std::vector<PROPSHEETPAGEA> sheetPages_;
    HWND hwnd_ = nullptr;
    WNDPROC sheetProc_ = nullptr;
    HICON icon_ = nullptr;
    int active_ = -1;
    bool ending_ = false;
    int endResult_ = IDCANCEL;
    int outcome_ = IDCANCEL;
    bool decided_ = false;  // Finish or Cancel went ahead
    bool ended_ = false;
};

}  // namespace ui::win32
