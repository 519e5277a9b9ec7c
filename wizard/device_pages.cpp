// The device choice, device list and location pages. The detection library finds the modem port,
// the ISDN device and the installed dial devices and writes the location; these pages present
// what it put into the user's choices and record the user's decision.
#include "orvane_app.h"
#include "pages.h"
#include "user_choice.h"
#include "wizard_data.h"

#include <cstdio>

namespace {

constexpr int IDC_STANDARD_MODEM = IDC_CHOICE1;
constexpr int IDC_ISDN = IDC_CHOICE1 + 1;
constexpr int IDC_MANUAL = IDC_CHOICE1 + 2;

std::string format(const std::string& pattern, DWORD port, const std::string& text) {
    // The findings hold "COM%u" before "%s"; any other order is taken as the text gives it.
    char out[512] = {};
    const size_t u = pattern.find("%u"), s = pattern.find("%s");
    if (u != std::string::npos && (s == std::string::npos || u < s))
        std::snprintf(out, sizeof out, pattern.c_str(), static_cast<unsigned>(port), text.c_str());
    else if (s != std::string::npos)
        std::snprintf(out, sizeof out, pattern.c_str(), text.c_str());
    else
        return pattern;
    return out;
}

}  // namespace

CGeratStp::CGeratStp(COrvaneApp& app, const CGeratRecord& record)
    : OvDialog(app, 133, {2, 3, 0, false, false, 0, false, false, 1}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CGeratStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    if (!choice.m_ComPort) choice.m_DialDevice.clear();
    const bool modem = choice.m_ComPort != 0, isdn = !choice.m_IsdnDevice.empty();
    const size_t pair = modem && isdn ? 0 : isdn ? 1 : modem ? 2 : 3;
    page.setText(IDC_PAGE_TEXT, format(m_Record.m_Findings[pair], choice.m_ComPort, choice.m_IsdnDevice));
    page.setText(IDC_PAGE_TEXT + 1, format(m_Record.m_Hints[pair], 0, theWizardData.m_ProviderTitle));
    for (int i = 0; i < 3; ++i) page.setText(IDC_CHOICE1 + i, m_Record.m_ChoiceCaptions[static_cast<size_t>(i)]);
    page.setText(IDC_BUTTON1, m_Record.m_RepeatCaption);
    page.enable(IDC_STANDARD_MODEM, modem);
    page.enable(IDC_ISDN, isdn);
    page.setChecked(isdn ? IDC_ISDN : modem ? IDC_STANDARD_MODEM : IDC_MANUAL, true);
    sheet.enableButton(ui::WizardButton::Back, false);
    sheet.focusButton(ui::WizardButton::Next);
    return true;
}

int CGeratStp::next(ui::Sheet&, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    choice.m_IsdnInUse = !choice.m_IsdnDevice.empty();
    if (page.checked(IDC_MANUAL)) {
        choice.m_InstallStdModem = false;
        choice.m_ManualDevice = true;
        choice.m_DialDevice.clear();
    } else if (page.checked(IDC_STANDARD_MODEM)) {
        choice.m_InstallStdModem = true;
        choice.m_ManualDevice = false;
    } else {
        choice.m_InstallStdModem = false;
        choice.m_ManualDevice = false;
        choice.m_DialDevice = choice.m_IsdnDevice;
    }
    return ui::kGoOn;
}

CGeratFaulStp::CGeratFaulStp(COrvaneApp& app, const CGeratFaulRecord& record)
    : OvDialog(app, 135, {2, 0, 0, false, true, 0, false, false, 2}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CGeratFaulStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    const bool startPage = m_App.startPage() == static_cast<int>(order()) - 1;
    if (!startPage && !theUserChoice.m_ManualDevice) return false;
    page.setText(IDC_PAGE_TEXT, m_Record.m_Instruction);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_ModemWizardHint);
    page.setText(IDC_BUTTON1, m_Record.m_PropertiesCaption);
    page.setText(IDC_BUTTON1 + 1, m_Record.m_ModemWizardCaption);
    if (!m_Filled) {
        m_Filled = true;
        page.addColumn(IDC_LIST, "", -1);
        for (const std::string& device : theUserChoice.m_DialDevices) page.addItem(IDC_LIST, device);
    }
    page.enable(IDC_BUTTON1 + 1, !(m_App.windowsNt() || theUserChoice.readOs() == "NT"));
    sheet.enableButton(ui::WizardButton::Next, page.selection(IDC_LIST) >= 0);
    return true;
}

void CGeratFaulStp::onNotify(ui::Dialog& page, int id, ui::NotifyEvent, int) {
    if (id == IDC_LIST && page.sheet())
        page.sheet()->enableButton(ui::WizardButton::Next, page.selection(IDC_LIST) >= 0);
}

int CGeratFaulStp::next(ui::Sheet&, ui::Dialog& page) {
    const int selected = page.selection(IDC_LIST);
    if (selected >= 0) theUserChoice.m_DialDevice = page.itemText(IDC_LIST, selected);
    return ui::kGoOn;
}

COrtStp::COrtStp(COrvaneApp& app, const COrtRecord& record)
    : OvDialog(app, 132, {5, 2, 0, false, false, 2, false, false, 0, true}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool COrtStp::activate(ui::Sheet&, ui::Dialog& page) {
    const CUserChoice& choice = theUserChoice;
    page.setText(IDC_PAGE_TEXT, m_Record.m_CountryPrompt + " " + m_Record.m_CountryLabel);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_AreaCodePrompt + " " + m_Record.m_AreaCodeLabel);
    page.setText(IDC_PAGE_TEXT + 2, m_Record.m_OutsideLinePrompt + " " + m_Record.m_OutsideLineLabel);
    page.setText(IDC_PAGE_TEXT + 3, m_Record.m_DiallingPrompt);
    page.setText(IDC_PAGE_TEXT + 4, m_Record.m_Closing);
    page.setText(IDC_CHOICE1, m_Record.m_ToneCaption);
    page.setText(IDC_CHOICE1 + 1, m_Record.m_PulseCaption);
    // Tone dialling is preset; the location's own mode is the detection library's to set.
    if (!page.checked(IDC_CHOICE1 + 1)) page.setChecked(IDC_CHOICE1, true);
    page.setText(IDC_EDIT1, choice.m_AreaCode);
    page.setText(IDC_EDIT1 + 1, choice.m_OutsideLine);
    if (page.itemCount(IDC_LIST) == 0) page.addItem(IDC_LIST, choice.m_Country.empty() ? "Deutschland" : choice.m_Country);
    page.setSelection(IDC_LIST, 0);
    return true;
}

int COrtStp::next(ui::Sheet&, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    choice.m_AreaCode = page.text(IDC_EDIT1);
    choice.m_OutsideLine = page.text(IDC_EDIT1 + 1);
    choice.m_Pulse = page.checked(IDC_CHOICE1 + 1);
    const int country = page.selection(IDC_LIST);
    if (country >= 0) choice.m_Country = page.itemText(IDC_LIST, country);
    return ui::kGoOn;
}
