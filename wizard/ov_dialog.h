// The base of every wizard page: the side picture, the Back/Next/Finish/Cancel rules, the
// variables file written whenever the user moves on, and the cancel question.
#pragma once

#include "dib_doc.h"
#include "sheet.h"
#include "wizard_dialogs.h"

#include <string>

class COrvaneApp;

class OvDialog : public ui::PageHandler {
public:
    OvDialog(COrvaneApp& app, int resourceId, const PageLayout& layout);
    // A page whose controls do not follow the common layout.
    OvDialog(COrvaneApp& app, ui::DialogTemplate dialog);

    // What the configuration gives every page.
    void setRecord(DWORD order, const std::string& title, const CDibDoc& side);
    DWORD order() const { return m_Order; }
    const ui::DialogTemplate& dialogTemplate() const { return m_Template; }
    // The page's place in the sheet and the sheet's page count, known when the sheet is built.
    void setPlace(int index, int count) {
        m_Index = index;
        m_Count = count;
    }

    bool onSetActive(ui::Sheet& sheet, ui::Dialog& page) final;
    int onWizardNext(ui::Sheet& sheet, ui::Dialog& page) final;
    int onWizardBack(ui::Sheet& sheet, ui::Dialog& page) final;
    bool onWizardFinish(ui::Sheet& sheet, ui::Dialog& page) final;
    bool onQueryCancel(ui::Sheet& sheet, ui::Dialog& page) override;
    void onReset(ui::Sheet& sheet, ui::Dialog& page) override;
    bool onMessage(ui::Dialog& page, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) final;

    // The cancel question (dialog 129); true when the user confirmed cancelling.
    bool askCancel(HWND owner);

protected:
    // The page's own activation, before the base rules; false: not shown.
    virtual bool activate(ui::Sheet&, ui::Dialog&) { return true; }
    // The page's own part of Next and Back: ui::kGoOn, ui::kStay or a page's resource id. The
    // base then writes the variables file (unless the page stays).
    virtual int next(ui::Sheet&, ui::Dialog&) { return ui::kGoOn; }
    virtual void back(ui::Sheet&, ui::Dialog&) {}
    virtual bool finish(ui::Sheet&, ui::Dialog&) { return true; }
    // The helpers' registered messages, forwarded by the wizard window to the active page.
    virtual void triggerProgress(ui::Dialog&) {}
    virtual void triggerBitmap(ui::Dialog&, WPARAM) {}
    virtual void closeProgress(ui::Dialog&) {}
    // Any other message posted or sent to the page (WM_APP and above); true when handled.
    virtual bool pageMessage(ui::Dialog&, UINT, WPARAM, LPARAM) { return false; }

    COrvaneApp& m_App;
    DWORD m_Order = 0;
    std::string m_Title;
    CDibDoc m_Side;

private:
    ui::DialogTemplate m_Template;
    int m_Index = 0;
    int m_Count = 0;
};

// Posted to the wizard window: press Next once the page on show is in place.
inline constexpr UINT kPressNext = WM_APP + 1;

// The four registered messages of the helper programs.
struct WizardMessages {
    UINT triggerProgress, triggerBitmap, closeProgress, closeReboot;
};
const WizardMessages& wizardMessages();
