// The browser choice, install option, licence, progress and restart pages. Which browsers are
// installed is the detection library's finding (the version texts in the user's choices).
#include "orvane_app.h"
#include "pages.h"
#include "trace.h"
#include "user_choice.h"
#include "wizard_data.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

constexpr int kChoices = 4;  // configure IE, install IE, configure NC, install NC
constexpr int kProgressHigh = 100;

std::string withVersion(const std::string& caption, const std::string& version) {
    char text[512] = {};
    std::snprintf(text, sizeof text, caption.c_str(), version.c_str());
    return text;
}

bool internetExplorerChosen() { return theUserChoice.m_DefaultBrowser < 2; }

}  // namespace

CBrowserStp::CBrowserStp(COrvaneApp& app, const CBrowserRecord& record)
    : OvDialog(app, 149, {3, kChoices}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CBrowserStp::activate(ui::Sheet&, ui::Dialog& page) {
    const CUserChoice& choice = theUserChoice;
    const bool none = choice.m_IeVersion.empty() && choice.m_NcVersion.empty();
    page.setText(IDC_PAGE_TEXT, none ? m_Record.m_NoBrowserText : m_Record.m_Instruction);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_ChoicePrompt);
    page.setText(IDC_PAGE_TEXT + 2, m_Record.m_Closing);
    page.setText(IDC_CHOICE1, withVersion(m_Record.m_IeConfigure, choice.m_IeVersion));
    page.setText(IDC_CHOICE1 + 1, m_Record.m_IeInstall);
    page.setText(IDC_CHOICE1 + 2, withVersion(m_Record.m_NcConfigure, choice.m_NcVersion));
    page.setText(IDC_CHOICE1 + 3, m_Record.m_NcInstall);
    const WizardOptions& options = m_App.options();
    const bool configure = !options.m_NoConfigure;
    page.enable(IDC_CHOICE1, configure && !choice.m_IeVersion.empty());
    page.enable(IDC_CHOICE1 + 2, configure && !choice.m_NcVersion.empty());
    for (int i = 0; i < 2; ++i) {
        page.show(IDC_CHOICE1 + i, options.m_IeHandling);
        page.show(IDC_CHOICE1 + 2 + i, options.m_NcHandling);
    }
    int preset = choice.m_DefaultBrowser;
    if (preset < 0 || preset >= kChoices || !page.isEnabled(IDC_CHOICE1 + preset) ||
        !page.isShown(IDC_CHOICE1 + preset))
        preset = options.m_IeHandling ? 1 : 3;
    page.setChecked(IDC_CHOICE1 + preset, true);
    theUserChoice.writeVariables();
    return true;
}

int CBrowserStp::next(ui::Sheet& sheet, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    for (int i = 0; i < kChoices; ++i)
        if (page.checked(IDC_CHOICE1 + i)) choice.m_DefaultBrowser = i;
    if (choice.m_DefaultBrowser == 0 || choice.m_DefaultBrowser == 2) {
        choice.m_InstallKind = -1;
        choice.m_InstallOption = choice.m_DefaultBrowser == 0 ? "configureIE" : "configureNC";
        choice.writeVariables();
        return sheet.pageIndex(139) >= 0 ? 139 : ui::kGoOn;
    }
    return ui::kGoOn;
}

COptionStp::COptionStp(COrvaneApp& app, const COptionRecord& record)
    : OvDialog(app, 137, {3, 0, 0, false, true}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

const std::vector<CSetupData>& COptionStp::options() const {
    return internetExplorerChosen() ? m_App.block().m_IeOptions : m_App.block().m_NcOptions;
}

bool COptionStp::activate(ui::Sheet&, ui::Dialog& page) {
    page.setText(IDC_PAGE_TEXT, m_Record.m_Instruction);
    page.setText(IDC_PAGE_TEXT + 2, m_Record.m_Closing);
    // The options in the configuration's order: the last one is the manual installation.
    if (page.itemCount(IDC_LIST) == 0) page.addColumn(IDC_LIST, "", -1);
    page.clearItems(IDC_LIST);
    for (const CSetupData& option : options()) page.addItem(IDC_LIST, option.m_Name);
    int selected = page.findItem(IDC_LIST, theUserChoice.m_InstallOption);
    if (selected < 0 && page.itemCount(IDC_LIST) > 0) selected = 0;
    page.setSelection(IDC_LIST, selected);
    onNotify(page, IDC_LIST, ui::NotifyEvent::ItemChanged, selected);
    return true;
}

void COptionStp::onNotify(ui::Dialog& page, int id, ui::NotifyEvent, int) {
    if (id != IDC_LIST) return;
    const int selected = page.selection(IDC_LIST);
    const std::vector<CSetupData>& list = options();
    if (selected >= 0 && static_cast<size_t>(selected) < list.size())
        page.setText(IDC_PAGE_TEXT + 1, list[static_cast<size_t>(selected)].m_Description);
}

int COptionStp::next(ui::Sheet&, ui::Dialog& page) {
    const int selected = page.selection(IDC_LIST);
    if (selected < 0) return ui::kStay;
    theUserChoice.m_InstallOption = page.itemText(IDC_LIST, selected);
    theUserChoice.m_ManualInstall = selected + 1 == page.itemCount(IDC_LIST);
    return ui::kGoOn;
}

CLicenceStp::CLicenceStp(COrvaneApp& app, const CLicenceRecord& record)
    : OvDialog(app, 146, {1, 2}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CLicenceStp::activate(ui::Sheet&, ui::Dialog& page) {
    const std::string& file = internetExplorerChosen() ? m_Record.m_IeLicenceFile : m_Record.m_NcLicenceFile;
    std::string text;
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0 && text.size() < 65536)
            text.append(buffer, got);
        CloseHandle(handle);
    }
    page.setText(IDC_PAGE_TEXT, text);
    page.setText(IDC_CHOICE1, m_Record.m_AcceptCaption);
    page.setText(IDC_CHOICE1 + 1, m_Record.m_DeclineCaption);
    return true;
}

int CLicenceStp::next(ui::Sheet& sheet, ui::Dialog& page) {
    if (!page.checked(IDC_CHOICE1 + 1)) return ui::kGoOn;
    if (askCancel(sheet.hwnd())) sheet.end(IDCANCEL);
    return ui::kStay;
}

CProgressStp::CProgressStp(COrvaneApp& app, const CProgressRecord& record)
    : OvDialog(app, 139, {1, 0, 0, false, false, 0, false, true}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CProgressStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    m_Done = false;
    m_Frame = 0;
    theUserChoice.writeVariables();
    sheet.setCaption(m_Title);
    page.show(IDC_PROGRESS, false);
    // After the base rules the page starts the installer at once, through its own Next.
    PostMessageA(sheet.hwnd(), kPressNext, 0, 0);
    return true;
}

int CProgressStp::next(ui::Sheet& sheet, ui::Dialog& page) {
    if (m_Done) {
        page.show(IDC_PROGRESS, false);
        return ui::kGoOn;
    }
    for (ui::WizardButton button : {ui::WizardButton::Back, ui::WizardButton::Next, ui::WizardButton::Cancel})
        sheet.showButton(button, false);
    theUserChoice.writeVariables();
    page.setProgressRange(IDC_PROGRESS, 1, kProgressHigh);
    page.setProgress(IDC_PROGRESS, 1);
    page.show(IDC_PROGRESS, true);
    const WizardOptions& options = m_App.options();
    const std::string& shortName = theWizardData.m_ShortName;
    std::string line;
    switch (theUserChoice.m_DefaultBrowser) {
    case 0: line = "BR_32_IE.exe " + shortName + " configure"; break;
    case 1: line = "BR_32_IE.exe " + shortName + " install"; break;
    case 2: line = "BR_32_NC.exe " + shortName + " configure"; break;
    case 3: line = "BR_32_NC.exe " + shortName + " install"; break;
    default:
        line = (options.m_NcHandling && !options.m_IeHandling ? "BR_32_NC.exe " : "BR_32_IE.exe ") + shortName +
               " install";
    }
    runHelper({line, SW_SHOW, 0});
    m_Done = true;
    triggerProgress(page);
    return ui::kStay;
}

void CProgressStp::triggerProgress(ui::Dialog& page) {
    const int position = page.progress(IDC_PROGRESS);
    if (position < kProgressHigh) page.setProgress(IDC_PROGRESS, position + 1);
}

void CProgressStp::triggerBitmap(ui::Dialog& page, WPARAM frame) {
    const std::vector<CDibDoc>& frames = internetExplorerChosen() ? m_Record.m_IeFrames : m_Record.m_NcFrames;
    if (frame == 0 || m_Frame >= frames.size()) ++m_Frame;
    else m_Frame = frame;
    if (m_Frame >= frames.size()) return;
    ui::Bitmap picture;
    const std::vector<BYTE>& packed = frames[m_Frame].packed();
    if (ui::decodePackedBitmap(packed.data(), packed.size(), picture)) page.setBitmap(IDC_SIDE_BITMAP, picture);
}

void CProgressStp::closeProgress(ui::Dialog& page) {
    m_Done = true;
    page.setProgress(IDC_PROGRESS, kProgressHigh);
    if (ui::Sheet* sheet = page.sheet()) {
        sheet->showButton(ui::WizardButton::Next, true);
        sheet->enableButton(ui::WizardButton::Next, true);
        sheet->pressButton(ui::WizardButton::Next);
    }
}

CRebootStp::CRebootStp(COrvaneApp& app, const CRebootRecord& record)
    : OvDialog(app, 140, {2, 2}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CRebootStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    page.setText(IDC_PAGE_TEXT, m_Record.m_Text);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_Closing);
    page.setText(IDC_CHOICE1, m_Record.m_NowCaption);
    page.setText(IDC_CHOICE1 + 1, m_Record.m_LaterCaption);
    if (!page.checked(IDC_CHOICE1) && !page.checked(IDC_CHOICE1 + 1)) page.setChecked(IDC_CHOICE1, true);
    sheet.showButton(ui::WizardButton::Back, false);
    sheet.showButton(ui::WizardButton::Cancel, false);
    return true;
}

bool CRebootStp::finish(ui::Sheet& sheet, ui::Dialog& page) {
    theUserChoice.m_Reboot = page.checked(IDC_CHOICE1) ? 1 : 0;
    theUserChoice.m_AbnormalEnd = false;
    theUserChoice.writeVariables();
    sheet.end(IDOK);
    PostQuitMessage(0);
    return true;
}
