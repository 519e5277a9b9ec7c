// The system check page: its bar follows the check helper's messages, and the helper's end moves
// on (on Windows NT 4 it ends the first run with a restart).
#include "modem_probe.h"
#include "orvane_app.h"
#include "pages.h"
#include "trace.h"
#include "user_choice.h"
#include "standard_modem.h"
#include "windows_version.h"
#include "wizard_data.h"

#include <cstdio>

namespace {

constexpr int kBarLow = 1;
constexpr int kBarHigh = 50;
constexpr int kBarStep = 1;
constexpr UINT IDS_STANDARD_MODEM = 21014;
constexpr UINT IDS_RESTART_TEXT = 21015;
constexpr UINT IDS_RESTART_CAPTION = 21016;

}  // namespace

std::string loadString(UINT id) {
    char text[512] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

std::string standardModemName() {
    char name[256] = {};
    std::snprintf(name, sizeof name, loadString(IDS_STANDARD_MODEM).c_str(), theWizardData.m_ProviderTitle.c_str());
    return name;
}

CPrufeStp::CPrufeStp(COrvaneApp& app, const CPrufeRecord& record)
    : OvDialog(app, 131, {4, 0, 0, false, false, 0, false, true}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CPrufeStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    m_State = State::NotChecked;
    for (int i = 0; i < 4; ++i) page.setText(IDC_PAGE_TEXT + i, m_Record.m_Texts[static_cast<size_t>(i)]);
    page.setProgressRange(IDC_PROGRESS, kBarLow, kBarHigh);
    page.setProgress(IDC_PROGRESS, kBarLow);
    sheet.setCaption(m_Title);
    return true;
}

void CPrufeStp::triggerProgress(ui::Dialog& page) {
    const int position = page.progress(IDC_PROGRESS);
    if (position < kBarHigh + 1) page.setProgress(IDC_PROGRESS, position + kBarStep);
}

void CPrufeStp::closeProgress(ui::Dialog& page) {
    page.setProgress(IDC_PROGRESS, kBarHigh);
    m_State = theUserChoice.m_ComPort ? State::ModemFound : State::NoModem;
    m_CheckFinished = true;
    if (ui::Sheet* sheet = page.sheet()) {
        sheet->enableButton(ui::WizardButton::Next, true);
        sheet->pressButton(ui::WizardButton::Next);
    }
}

// The helper gets the short name, once, unless its command line already holds it.
void CPrufeStp::startCheckHelper() {
    CAnwendung helper = m_Record.m_CheckHelper;
    const std::string& shortName = theWizardData.m_ShortName;
    if (helper.m_CommandLine.find(shortName) == std::string::npos) helper = withArgument(helper, shortName);
    runHelper(helper);
}

int CPrufeStp::next(ui::Sheet& sheet, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    if (m_App.windowsNt() && !m_App.windows2000()) {
        choice.writeVariables();
        if (!m_HelperStarted) {
            m_HelperStarted = true;
            startCheckHelper();
        }
        if (m_CheckFinished) {
            const std::string text = m_Record.m_RestartText.empty() ? loadString(IDS_RESTART_TEXT)
                                                                    : m_Record.m_RestartText;
            const std::string caption = m_Record.m_RestartCaption.empty() ? loadString(IDS_RESTART_CAPTION)
                                                                          : m_Record.m_RestartCaption;
            traceLine("system check: restart\n");
            MessageBoxA(sheet.hwnd(), text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
            choice.m_AbnormalEnd = false;
            choice.m_Reboot = 1;
            choice.writeVariables();
            PostQuitMessage(0);
        }
        return ui::kStay;
    }
    if (m_State != State::NotChecked) return ui::kGoOn;
    // Cancel stays: a helper that never reports its end leaves the page waiting.
    sheet.enableButton(ui::WizardButton::Back, false);
    sheet.enableButton(ui::WizardButton::Next, false);
    triggerProgress(page);
    std::string command;
    choice.m_ComPort = static_cast<DWORD>(probeModemPorts([](int) {}, command));
    triggerProgress(page);
    const std::string os = choice.readOs();
    choice.m_StdModemName = standardModemName();
    // A 9x machine that the medium marks as NT gets no standard modem entries.
    if (!(isWindows9x() && os == "NT")) {
        char port[16] = {};
        std::snprintf(port, sizeof port, "COM%lu", static_cast<unsigned long>(choice.m_ComPort));
        prepareStandardModem(kStandardModemScript, port, choice.m_StdModemName.c_str());
    }
    traceLine("system check: port %lu, command \"%s\", standard modem \"%s\", OS \"%s\"\n",
              static_cast<unsigned long>(choice.m_ComPort), command.c_str(), choice.m_StdModemName.c_str(),
              os.c_str());
    choice.writeVariables();
    m_HelperStarted = true;
    startCheckHelper();
    CDialDevices& devices = m_App.dialDevices();
    devices.unbind();
    devices.bind();
    return ui::kStay;
}
