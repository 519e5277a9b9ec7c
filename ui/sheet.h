// Property sheets in wizard mode: pages (dialog templates with their handlers) shown one at a time
// above a row of Back, Next, Finish, Cancel and Help buttons. Pages decide which buttons show, are
// enabled, are the default and have the focus; a page whose activation refuses is skipped in the
// direction of travel; Next and Back go on, stay, or jump to a page. The sheet is a message
// window: registered messages that reach it are posted on to the active page.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialog.h"

namespace ui {

enum class WizardButton { Back, Next, Finish, Cancel, Help };

// Answers of Next and Back besides a page's resource id.
constexpr int kGoOn = 0;
constexpr int kStay = -1;

class PageHandler : public DialogHandler {
public:
    // The page is about to be shown; false skips it in the direction of travel.
    virtual bool onSetActive(Sheet&, Dialog& /*page*/) { return true; }
    // The page is about to be left (Next, Back, Finish); false keeps it.
    virtual bool onKillActive(Sheet&, Dialog& /*page*/) { return true; }
    // kGoOn, kStay or the resource id of the page to go to.
    virtual int onWizardNext(Sheet&, Dialog& /*page*/) { return kGoOn; }
    virtual int onWizardBack(Sheet&, Dialog& /*page*/) { return kGoOn; }
    // True ends the sheet with IDOK.
    virtual bool onWizardFinish(Sheet&, Dialog& /*page*/) { return true; }
    // Cancel pressed: true lets the sheet end with IDCANCEL, after onReset.
    virtual bool onQueryCancel(Sheet&, Dialog& /*page*/) { return true; }
    virtual void onReset(Sheet&, Dialog& /*page*/) {}
    virtual void onHelp(Sheet&, Dialog& /*page*/) {}
};

// Messages to the sheet's own window.
class SheetHandler {
public:
    virtual ~SheetHandler() = default;
    // Registered and application (WM_APP and above) messages. True when handled; an unhandled
    // registered message is posted on to the active page.
    virtual bool onMessage(Sheet&, UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) {
        return false;
    }
    virtual void onTimer(Sheet&, UINT_PTR /*id*/) {}
    // The sheet ends with IDOK or IDCANCEL (a modeless one before its window goes).
    virtual void onEnd(Sheet&, int /*result*/) {}
};

struct SheetPage {
    const DialogTemplate* page = nullptr;  // outlives the sheet
    PageHandler* handler = nullptr;
};

struct SheetTemplate {
    std::string caption;
    // Captions of Back, Next, Finish, Cancel, Help (in WizardButton order); empty for the
    // toolkit's own.
    std::array<std::string, 5> buttonTexts;
    std::vector<SheetPage> pages;
    int startPage = 0;
    bool titleBar = true;
    bool topmost = false;
    // Where the window's top left goes on the screen, given the window's outer size; empty: the
    // toolkit's choice (centred).
    std::function<POINT(SIZE)> position;
    Bitmap icon;  // the window's icon; none when empty
};

class Sheet {
public:
    virtual ~Sheet() = default;

    virtual HWND hwnd() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual std::string caption() = 0;
    // The window's outer rectangle on the screen.
    virtual RECT windowRect() = 0;
    // Hides or shows the whole window; it keeps its page and state meanwhile.
    virtual void showWindow(bool visible) = 0;
    virtual bool isWindowShown() = 0;
    // Takes the window's input away (clicks, keys, its close box) or gives it back; meanwhile it
    // stays on show as it is and goes on drawing what its pages change.
    virtual void enableWindow(bool enabled) = 0;

    virtual int pageCount() = 0;
    virtual Dialog& page(int index) = 0;
    virtual int activePage() = 0;  // -1 before the first page is shown
    // Shows the page at `index` as a move forward (or back, when it lies before the active one)
    // does, skipping refusing pages; false when none would show.
    virtual bool setActivePage(int index) = 0;
    virtual int pageIndex(int resourceId) = 0;  // -1 for none

    virtual void showButton(WizardButton button, bool visible) = 0;
    virtual bool isButtonShown(WizardButton button) = 0;
    virtual void enableButton(WizardButton button, bool enabled) = 0;
    virtual bool isButtonEnabled(WizardButton button) = 0;
    virtual void setButtonText(WizardButton button, const std::string& text) = 0;
    virtual std::string buttonText(WizardButton button) = 0;
    // Enter presses the default button.
    virtual void setDefaultButton(WizardButton button) = 0;
    virtual void focusButton(WizardButton button) = 0;
    // Puts `button` where `place` stands in the button row (Finish in Help's place).
    virtual void placeButton(WizardButton button, WizardButton place) = 0;
    // Presses a sheet button as the user does (nothing when it is hidden or disabled).
    virtual void pressButton(WizardButton button) = 0;

    // Ends the sheet with IDOK or IDCANCEL without asking the page.
    virtual void end(int result) = 0;
};

// Runs the sheet until it ends; IDOK (Finish or end(IDOK)), IDCANCEL, or -1 when it could not be
// made, no page would show or a quit message ended it (posted again for the loop outside).
int runSheet(const SheetTemplate& sheet, SheetHandler* handler = nullptr, HWND owner = nullptr);
// A shown modeless sheet; null when it could not be made.
std::unique_ptr<Sheet> createSheet(const SheetTemplate& sheet, SheetHandler* handler = nullptr,
                                   HWND owner = nullptr);
// The sheet of this process behind a window (the sheet's or one of its pages'), or null.
Sheet* findSheet(HWND hwnd);

}  // namespace ui
