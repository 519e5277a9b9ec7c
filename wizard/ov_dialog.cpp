// The base page's rules and the cancel question.
#include "ov_dialog.h"

#include <utility>

#include "orvane_app.h"
#include "trace.h"
#include "user_choice.h"
#include "wizard_data.h"

namespace {

using ui::WizardButton;

// The cancel question's Cancel button has an id of its own, so that Escape or the close box
// (which end the dialog with IDCANCEL) keep the wizard running.
constexpr int IDC_CANCEL_CONFIRM = 1053;

class CCancelDlg : public ui::DialogHandler {
public:
    explicit CCancelDlg(const ui::Bitmap& icon) : m_Icon(icon) {}
    bool confirmed = false;
    void onInit(ui::Dialog& d) override {
        if (!m_Icon.empty()) d.setBitmap(IDC_CANCEL_ICON, m_Icon);
        d.setCaption(theWizardData.m_ProviderTitle);
        d.setText(IDC_CANCEL_TEXT, theWizardData.m_CancelText);
        d.setText(IDC_CANCEL_BACK, theWizardData.m_BackCaption);
        d.setText(IDC_CANCEL_CONFIRM, theWizardData.m_CancelCaption);
    }
    bool onCommand(ui::Dialog& d, int id, ui::CommandEvent) override {
        if (id == IDC_CANCEL_CONFIRM) {
            theUserChoice.m_AbnormalEnd = true;
            confirmed = true;
            d.end(IDCANCEL);
            return true;
        }
        if (id == IDC_CANCEL_BACK) {
            d.end(IDC_CANCEL_BACK);
            return true;
        }
        return false;
    }

private:
    const ui::Bitmap& m_Icon;
};

ui::DialogTemplate cancelDialog() {
    ui::DialogTemplate dialog = cancelTemplate();
    for (ui::ControlTemplate& control : dialog.controls)
        if (control.id == IDCANCEL) control.id = IDC_CANCEL_CONFIRM;
    return dialog;
}

}  // namespace

const WizardMessages& wizardMessages() {
    static const WizardMessages messages{RegisterWindowMessageA("WM_TRIGGER_PROGRESS"),
                                         RegisterWindowMessageA("WM_TRIGGER_BITMAP"),
                                         RegisterWindowMessageA("WM_CLOSE_PROGRESS"),
                                         RegisterWindowMessageA("WM_CLOSE_REBOOT")};
    return messages;
}

OvDialog::OvDialog(COrvaneApp& app, int resourceId, const PageLayout& layout)
    : m_App(app), m_Template(pageTemplate(resourceId, layout)) {}

OvDialog::OvDialog(COrvaneApp& app, ui::DialogTemplate dialog) : m_App(app), m_Template(std::move(dialog)) {}

void OvDialog::setRecord(DWORD order, const std::string& title, const CDibDoc& side) {
    m_Order = order;
    m_Title = title;
    m_Side = side;
}

bool OvDialog::onSetActive(ui::Sheet& sheet, ui::Dialog& page) {
    // Back only after the page the wizard started (or resumed) at.
    const int start = m_App.startPage();
    const bool back = m_Index != 0 && m_Index != start && start < static_cast<int>(m_Order) - 1;
    sheet.showButton(WizardButton::Back, back);
    sheet.enableButton(WizardButton::Back, back);
    if (m_Index + 1 < m_Count) {
        sheet.showButton(WizardButton::Finish, false);
        sheet.showButton(WizardButton::Next, true);
        sheet.enableButton(WizardButton::Next, true);
        sheet.setDefaultButton(WizardButton::Next);
        sheet.focusButton(WizardButton::Next);
    } else {
        sheet.showButton(WizardButton::Next, false);
        sheet.placeButton(WizardButton::Finish, WizardButton::Help);
        sheet.showButton(WizardButton::Finish, true);
        sheet.enableButton(WizardButton::Finish, true);
        sheet.setDefaultButton(WizardButton::Finish);
        sheet.focusButton(WizardButton::Finish);
    }
    sheet.showButton(WizardButton::Cancel, true);
    sheet.enableButton(WizardButton::Cancel, true);
    sheet.showButton(WizardButton::Help, false);
    page.setText(IDC_PAGE_TITLE, m_Title);
    if (m_Side.present()) {
        ui::Bitmap side;
        if (ui::decodePackedBitmap(m_Side.packed().data(), m_Side.packed().size(), side))
            page.setBitmap(IDC_SIDE_BITMAP, side);
    }
    // The page's own work follows the base rules; it may still refuse to be shown.
    const bool shown = activate(sheet, page);
    traceLine("page %d (index %d) %s\n", m_Template.resourceId, m_Index, shown ? "shown" : "skipped");
    return shown;
}

int OvDialog::onWizardNext(ui::Sheet& sheet, ui::Dialog& page) {
    const int answer = next(sheet, page);
    if (answer != ui::kStay) theUserChoice.writeVariables();
    return answer;
}

int OvDialog::onWizardBack(ui::Sheet& sheet, ui::Dialog& page) {
    back(sheet, page);
    theUserChoice.writeVariables();
    return ui::kGoOn;
}

bool OvDialog::onWizardFinish(ui::Sheet& sheet, ui::Dialog& page) {
    if (!finish(sheet, page)) return false;
    theUserChoice.writeVariables();
    return true;
}

bool OvDialog::askCancel(HWND owner) {
    CCancelDlg question(m_App.icon());
    static const ui::DialogTemplate dialog = cancelDialog();
    traceLine("cancel question\n");
    ui::runModal(dialog, question, owner);
    traceLine("cancel %s\n", question.confirmed ? "confirmed" : "declined");
    return question.confirmed;
}

bool OvDialog::onQueryCancel(ui::Sheet& sheet, ui::Dialog&) { return askCancel(sheet.hwnd()); }

void OvDialog::onReset(ui::Sheet&, ui::Dialog&) {
    theUserChoice.m_AbnormalEnd = true;
    PostQuitMessage(0);
}

bool OvDialog::onMessage(ui::Dialog& page, UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
    const WizardMessages& m = wizardMessages();
    if (message == m.triggerProgress) triggerProgress(page);
    else if (message == m.triggerBitmap) triggerBitmap(page, wParam);
    else if (message == m.closeProgress) closeProgress(page);
    else if (message != m.closeReboot) return pageMessage(page, message, wParam, lParam);
    return true;  // the restart's message is received and ignored
}
