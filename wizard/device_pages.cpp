// The device choice, device list and location pages: the modem search's finding, the ISDN device
// and the installed dial devices from the detection library, the user's decision recorded in the
// user's choices, and the telephony location read and written back.
#include "device_search.h"
#include "modem_installation.h"
#include "orvane_app.h"
#include "pages.h"
#include "telephony_binding.h"
#include "telephony_location.h"
#include "trace.h"
#include "user_choice.h"
#include "wizard_data.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int IDC_STANDARD_MODEM = IDC_CHOICE1;
constexpr int IDC_ISDN = IDC_CHOICE1 + 1;
constexpr int IDC_MANUAL = IDC_CHOICE1 + 2;
constexpr int IDC_REPEAT = IDC_BUTTON1;
constexpr int IDC_PROPERTIES = IDC_BUTTON1;
constexpr int IDC_MODEM_WIZARD = IDC_BUTTON1 + 1;
constexpr int IDC_TONE = IDC_CHOICE1;
constexpr int IDC_PULSE = IDC_CHOICE1 + 1;
constexpr int IDC_AREA_CODE = IDC_EDIT1;
constexpr int IDC_OUTSIDE_LINE = IDC_EDIT1 + 1;
constexpr int kLocationDigits = 6;
// The dial-up engine needs a moment after its device list changed before it is asked again.
constexpr DWORD kDeviceSettleMs = 500;

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

// The repeat search's thread to its page: one step per port, then the end.
constexpr UINT kSearchStep = WM_APP + 20;
constexpr UINT kSearchEnded = WM_APP + 21;

}  // namespace

CGeratStp::CGeratStp(COrvaneApp& app, const CGeratRecord& record)
    : OvDialog(app, 133, {2, 3, 0, false, false, 0, false, true, 1}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

CGeratStp::~CGeratStp() {
    if (m_Search.joinable()) m_Search.join();
}

void CGeratStp::findIsdnDevice() {
    CUserChoice& choice = theUserChoice;
    std::string name;
    choice.m_IsdnInUse = m_App.dialDevices().findListedIsdnDevice(name);
    choice.m_IsdnDevice = name;
}

bool CGeratStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    CDialDevices& devices = m_App.dialDevices();
    if (!choice.m_ComPort) {
        removeStandardModem(devices);
        choice.m_DialDevice.clear();
    }
    if (!devices.isBound()) devices.bind();
    devices.rebuild();
    Sleep(kDeviceSettleMs);
    findIsdnDevice();
    const bool modem = choice.m_ComPort != 0, isdn = !choice.m_IsdnDevice.empty();
    const size_t pair = static_cast<size_t>(deviceFindingIndex(modem, isdn));
    page.setText(IDC_PAGE_TEXT, format(m_Record.m_Findings[pair], choice.m_ComPort, choice.m_IsdnDevice));
    page.setText(IDC_PAGE_TEXT + 1, format(m_Record.m_Hints[pair], 0, theWizardData.m_ProviderTitle));
    for (int i = 0; i < 3; ++i) page.setText(IDC_CHOICE1 + i, m_Record.m_ChoiceCaptions[static_cast<size_t>(i)]);
    page.setText(IDC_REPEAT, m_Record.m_RepeatCaption);
    page.show(IDC_PROGRESS, false);
    page.enable(IDC_STANDARD_MODEM, modem);
    page.enable(IDC_ISDN, isdn);
    page.setChecked(isdn ? IDC_ISDN : modem ? IDC_STANDARD_MODEM : IDC_MANUAL, true);
    traceLine("device choice: port %lu, ISDN device \"%s\", finding %zu\n",
              static_cast<unsigned long>(choice.m_ComPort), choice.m_IsdnDevice.c_str(), pair);
    sheet.enableButton(ui::WizardButton::Back, false);
    sheet.focusButton(ui::WizardButton::Next);
    return true;
}

bool CGeratStp::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (id != IDC_REPEAT || event != ui::CommandEvent::Clicked || !page.sheet()) return false;
    if (m_Search.joinable()) return true;
    ui::Sheet& sheet = *page.sheet();
    for (ui::WizardButton button : {ui::WizardButton::Back, ui::WizardButton::Next, ui::WizardButton::Cancel})
        sheet.enableButton(button, false);
    sheet.enableWindow(false);
    page.show(IDC_REPEAT, false);
    page.setProgressRange(IDC_PROGRESS, 0, 3);
    page.setProgress(IDC_PROGRESS, 0);
    page.show(IDC_PROGRESS, true);
    // The search waits seconds for the ports' answers and the registry script, so it runs on a
    // thread of its own while this one goes on drawing: the bar as it steps, the disabled buttons,
    // the window when it is uncovered. The thread touches no control; its steps and its end come
    // back as messages to the page, in the order it sent them. The window takes no input
    // meanwhile, so nothing else on this thread uses the dial devices before the end.
    m_SearchModemName = standardModemName();
    const HWND target = page.hwnd();
    m_Search = std::thread([this, target] {
        m_Found = repeatModemSearch(m_App.dialDevices(), [target](int port) {
            PostMessageA(target, kSearchStep, static_cast<WPARAM>(port), 0);
        }, m_SearchModemName.c_str());
        PostMessageA(target, kSearchEnded, 0, 0);
    });
    return true;
}

bool CGeratStp::pageMessage(ui::Dialog& page, UINT message, WPARAM, LPARAM) {
    if (message == kSearchStep) page.setProgress(IDC_PROGRESS, page.progress(IDC_PROGRESS) + 1);
    else if (message == kSearchEnded) searchEnded(page);
    else return false;
    return true;
}

void CGeratStp::searchEnded(ui::Dialog& page) {
    if (!m_Search.joinable() || !page.sheet()) return;
    m_Search.join();
    ui::Sheet& sheet = *page.sheet();
    CUserChoice& choice = theUserChoice;
    choice.m_ComPort = static_cast<DWORD>(m_Found.port);
    if (m_Found.port) choice.m_StdModemName = m_SearchModemName;
    else choice.m_DialDevice.clear();
    traceLine("device search: port %d, command \"%s\"\n", m_Found.port, m_Found.acceptedCommand.c_str());
    for (ui::WizardButton button : {ui::WizardButton::Next, ui::WizardButton::Cancel})
        sheet.enableButton(button, true);
    sheet.enableWindow(true);
    activate(sheet, page);
    page.show(IDC_REPEAT, true);
}

int CGeratStp::next(ui::Sheet&, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    findIsdnDevice();
    if (page.checked(IDC_MANUAL)) {
        choice.m_InstallStdModem = false;
        choice.m_ManualDevice = true;
        choice.m_IsdnInUse = false;
        choice.m_DialDevice.clear();
    } else if (page.checked(IDC_STANDARD_MODEM)) {
        choice.m_InstallStdModem = true;
        choice.m_ManualDevice = false;
        choice.m_IsdnInUse = false;
        choice.m_DialDevice = choice.m_StdModemName;
    } else {
        choice.m_InstallStdModem = false;
        choice.m_ManualDevice = false;
        choice.m_IsdnInUse = true;
        std::string first;
        choice.m_DialDevice = m_App.dialDevices().isIsdnDevice("GETDEVICE", &first) ? first : choice.m_IsdnDevice;
    }
    return ui::kGoOn;
}

void CGeratStp::back(ui::Sheet&, ui::Dialog&) { m_App.dialDevices().rebuild(); }

CGeratFaulStp::CGeratFaulStp(COrvaneApp& app, const CGeratFaulRecord& record)
    : OvDialog(app, 135, {2, 0, 0, false, true, 0, false, false, 2}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CGeratFaulStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    const bool startPage = m_App.startPage() == static_cast<int>(order()) - 1;
    if (!startPage && !theUserChoice.m_ManualDevice) return false;
    page.setText(IDC_PAGE_TEXT, m_Record.m_Instruction);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_ModemWizardHint);
    page.setText(IDC_PROPERTIES, m_Record.m_PropertiesCaption);
    page.setText(IDC_MODEM_WIZARD, m_Record.m_ModemWizardCaption);
    if (!m_Filled) {
        m_Filled = true;
        page.addColumn(IDC_LIST, "", -1);
    }
    fill(page);
    page.enable(IDC_MODEM_WIZARD, !(m_App.windowsNt() || theUserChoice.readOs() == "NT"));
    sheet.enableButton(ui::WizardButton::Next, page.selection(IDC_LIST) >= 0);
    // The arrow keys choose a device at once.
    page.setFocus(IDC_LIST);
    return true;
}

// The list follows the dial-up engine's devices as they are now, each with the icon the telephony
// library gives its line device (the same place in the same list of devices). A device without
// one (no library, or a library that draws none) is listed without an icon.
void CGeratFaulStp::fill(ui::Dialog& page) {
    closeDialEngineWindow();
    CDialDevices& devices = m_App.dialDevices();
    if (!devices.isBound()) devices.bind();
    devices.rebuild();
    std::vector<HICON> icons;  // each icon once: devices of a kind share theirs
    std::vector<int> iconOf;
    for (size_t i = 0; i < devices.names().size(); ++i) {
        HICON icon = nullptr;
        if (callGetIcon(static_cast<DWORD>(i), &icon) != 0 || !icon) {
            iconOf.push_back(-1);
            continue;
        }
        const auto known = std::find(icons.begin(), icons.end(), icon);
        iconOf.push_back(static_cast<int>(known - icons.begin()));
        if (known == icons.end()) icons.push_back(icon);
    }
    page.setSmallIcons(IDC_LIST, icons);
    page.clearItems(IDC_LIST);
    for (size_t i = 0; i < devices.names().size(); ++i) page.addItem(IDC_LIST, devices.names()[i], iconOf[i]);
    const int chosen = page.findItem(IDC_LIST, theUserChoice.m_DialDevice);
    if (chosen >= 0) page.setSelection(IDC_LIST, chosen);
    traceLine("device list: %zu devices, %zu with a telephony icon\n", devices.names().size(),
              static_cast<size_t>(std::count_if(iconOf.begin(), iconOf.end(), [](int i) { return i >= 0; })));
}

void CGeratFaulStp::choose(ui::Dialog& page) {
    const int selected = page.selection(IDC_LIST);
    CUserChoice& choice = theUserChoice;
    if (selected >= 0) {
        choice.m_DialDevice = page.itemText(IDC_LIST, selected);
        choice.m_IsdnInUse = m_App.dialDevices().isIsdnDevice(choice.m_DialDevice.c_str());
    }
    if (page.sheet()) page.sheet()->enableButton(ui::WizardButton::Next, selected >= 0);
}

void CGeratFaulStp::showProperties(ui::Dialog& page) {
    const int selected = page.selection(IDC_LIST);
    if (selected < 0) return;
    const std::string line =
        "modcfg.exe " + std::to_string(selected) + " \"" + page.itemText(IDC_LIST, selected) + "\"";
    runHelper({line, SW_HIDE, 1});
}

void CGeratFaulStp::onNotify(ui::Dialog& page, int id, ui::NotifyEvent event, int) {
    if (id != IDC_LIST) return;
    choose(page);
    if (event == ui::NotifyEvent::ItemActivated) showProperties(page);
}

bool CGeratFaulStp::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (event != ui::CommandEvent::Clicked) return false;
    if (id == IDC_PROPERTIES) {
        showProperties(page);
        return true;
    }
    if (id == IDC_MODEM_WIZARD && page.sheet()) {
        // The system's modem installation, with the wizard out of the way until it has ended.
        startModemInstallation(page.sheet()->hwnd(), page.hwnd());
        return true;
    }
    return false;
}

bool CGeratFaulStp::pageMessage(ui::Dialog& page, UINT message, WPARAM, LPARAM) {
    if (message != kModemInstallationEnded || !page.sheet()) return false;
    endModemInstallation(page.sheet()->hwnd());
    // The installed modem is among the dial devices now.
    fill(page);
    choose(page);
    page.setFocus(IDC_LIST);
    return true;
}

int CGeratFaulStp::next(ui::Sheet&, ui::Dialog& page) {
    choose(page);
    return page.selection(IDC_LIST) >= 0 ? ui::kGoOn : ui::kStay;
}

COrtStp::COrtStp(COrvaneApp& app, const COrtRecord& record)
    : OvDialog(app, locationTemplate(132, kLocationDigits)), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool COrtStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    page.setText(IDC_PAGE_TEXT, m_Record.m_CountryPrompt);
    page.setText(IDC_LOCATION_LABEL1, m_Record.m_CountryLabel);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_AreaCodePrompt);
    page.setText(IDC_LOCATION_LABEL1 + 1, m_Record.m_AreaCodeLabel);
    page.setText(IDC_PAGE_TEXT + 2, m_Record.m_OutsideLinePrompt);
    page.setText(IDC_LOCATION_LABEL1 + 2, m_Record.m_OutsideLineLabel);
    page.setText(IDC_PAGE_TEXT + 3, m_Record.m_DiallingPrompt);
    page.setText(IDC_PAGE_TEXT + 4, m_Record.m_Closing);
    page.setText(IDC_TONE, m_Record.m_ToneCaption);
    page.setText(IDC_PULSE, m_Record.m_PulseCaption);

    const LocationRecord location = readCurrentLocation();
    page.clearItems(IDC_LIST);
    m_CountryIds.clear();
    int selected = -1;
    for (const TapiCountryItem& country : readTapiCountries()) {
        char text[300] = {};
        std::snprintf(text, sizeof text, "%s (%lu)", country.name.c_str(),
                      static_cast<unsigned long>(country.countryCode));
        const int index = page.addItem(IDC_LIST, text);
        m_CountryIds.push_back(country.countryId);
        if (country.countryId == location.countryId) selected = index;
    }
    page.setSelection(IDC_LIST, selected);
    page.setText(IDC_AREA_CODE, location.areaCode);
    page.setText(IDC_OUTSIDE_LINE, location.outsideAccess);
    page.setChecked(location.toneFlag ? IDC_TONE : IDC_PULSE, true);
    traceLine("location: \"%s\", country %lu, area code \"%s\"%s\n", location.name.c_str(),
              static_cast<unsigned long>(location.countryId), location.areaCode.c_str(),
              location.noLocation ? ", none set up" : "");
    sheet.enableButton(ui::WizardButton::Next, true);
    sheet.focusButton(ui::WizardButton::Next);
    return true;
}

int COrtStp::next(ui::Sheet&, ui::Dialog& page) {
    CUserChoice& choice = theUserChoice;
    choice.m_AreaCode = page.text(IDC_AREA_CODE);
    choice.m_OutsideLine = page.text(IDC_OUTSIDE_LINE);
    choice.m_Pulse = page.checked(IDC_PULSE);
    const int country = page.selection(IDC_LIST);
    DWORD countryId = 0;
    if (country >= 0) {
        choice.m_Country = page.itemText(IDC_LIST, country);
        if (static_cast<size_t>(country) < m_CountryIds.size()) countryId = m_CountryIds[static_cast<size_t>(country)];
    }
    LocationRecord location = readCurrentLocation();
    // Without a country list the location keeps its own country.
    applyLocationChoice(location, choice.m_AreaCode, choice.m_OutsideLine,
                        country >= 0 ? countryId : location.countryId, choice.m_Pulse);
    writeLocation(location);
    choice.writeLocationVariables();
    return ui::kGoOn;
}
