// The browser choice, install option, licence, progress and restart pages. Which browsers are
// installed is the detection library's finding (the version texts in the user's choices).
#include "browser_detection.h"
#include "licence_text.h"
#include "orvane_app.h"
#include "pages.h"
#include "trace.h"
#include "user_choice.h"
#include "wizard_data.h"

#include <cstdio>

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

// The radio button of a choice. With Internet Explorer's handling off, Netscape's two choices
// move up into the first two places so that no gap is left, and Internet Explorer's go hidden
// below them.
int CBrowserStp::control(int choice) const {
    const bool swapped = !m_App.options().m_IeHandling;
    return IDC_CHOICE1 + (swapped ? (choice + 2) % kChoices : choice);
}

bool CBrowserStp::activate(ui::Sheet&, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    const bool none = choice.m_IeVersion.empty() && choice.m_NcVersion.empty();
    page.setText(IDC_PAGE_TEXT, none ? m_Record.m_NoBrowserText : m_Record.m_Instruction);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_ChoicePrompt);
    page.setText(IDC_PAGE_TEXT + 2, m_Record.m_Closing);
    const BrowserChoices ie = internetExplorerChoices(m_App.ieVersionCode());
    const BrowserChoices nc = netscapeChoices(choice.m_NcVersion.c_str());
    const std::string ncVersion =
        choice.m_NcVersion.empty() ? std::string() : netscapeCaptionVersion(choice.m_NcVersion.c_str());
    const WizardOptions& options = m_App.options();
    const struct {
        std::string caption;
        bool enabled, shown;
    } choices[kChoices] = {
        {withVersion(m_Record.m_IeConfigure, choice.m_IeVersion), ie.configureEnabled, options.m_IeHandling},
        {ie.installCaption == InstallCaption::Update ? m_Record.m_IeUpdate : m_Record.m_IeInstall, ie.installEnabled,
         options.m_IeHandling},
        {withVersion(m_Record.m_NcConfigure, ncVersion), nc.configureEnabled, options.m_NcHandling},
        {nc.installCaption == InstallCaption::Update ? m_Record.m_NcUpdate : m_Record.m_NcInstall, nc.installEnabled,
         options.m_NcHandling}};
    for (int i = 0; i < kChoices; ++i) {
        page.setText(control(i), choices[i].caption);
        page.enable(control(i), choices[i].enabled);
        page.show(control(i), choices[i].shown);
    }
    int preset = presetBrowserChoice(choice.m_DefaultBrowser, options.m_IeHandling, options.m_NcHandling,
                                     options.m_NoConfigure);
    // Without a stored choice the page can offer, an installation is preferred to configuring.
    auto offered = [&](int i) { return i >= 0 && i < kChoices && choices[i].enabled && choices[i].shown; };
    for (int fallback : {1, 3, 0, 2})
        if (!offered(preset)) preset = fallback;
    page.setChecked(control(preset), true);
    traceLine("browser choice: IE \"%s\" (code %d), Netscape \"%s\", preset %d\n", choice.m_IeVersion.c_str(),
              m_App.ieVersionCode(), choice.m_NcVersion.c_str(), preset);
    choice.writeVariables();
    return true;
}

int CBrowserStp::next(ui::Sheet& sheet, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    for (int i = 0; i < kChoices; ++i)
        if (page.checked(control(i))) choice.m_DefaultBrowser = i;
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
    readLicenceText(file.c_str(), text);
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
    const std::string line = browserInstallerCommand(theUserChoice.m_DefaultBrowser,
                                                     theWizardData.m_ShortName.c_str(), options.m_IeHandling,
                                                     options.m_NcHandling);
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
    if (!stepAnimationFrame(m_Frame, frame, frames.size())) return;
    ui::Bitmap picture;
    const std::vector<BYTE>& packed = frames[m_Frame].packed();
    if (ui::decodePackedBitmap(packed.data(), packed.size(), picture)) page.setBitmap(IDC_SIDE_BITMAP, picture);
    traceLine("progress: frame %u\n", static_cast<unsigned>(m_Frame));
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
