// The dial sheet and its pages.
#include "dial_sheet.h"

#include <cstdlib>

#include "app.h"
#include "country_list.h"
#include "dial_page.h"
#include "fallback_dialogs.h"
#include "ras_calls.h"
#include "resource.h"
#include "string_resources.h"
#include "trace.h"

namespace {

// The pages bring their own buttons.
void hideWizardButtons(ui::Sheet& sheet) {
    for (ui::WizardButton button : {ui::WizardButton::Back, ui::WizardButton::Next,
                                    ui::WizardButton::Finish, ui::WizardButton::Cancel,
                                    ui::WizardButton::Help})
        sheet.showButton(button, false);
}

bool clicked(ui::CommandEvent event) { return event == ui::CommandEvent::Clicked; }

}  // namespace

bool CDialPage0::onSetActive(ui::Sheet& sheet, ui::Dialog&) {
    hideWizardButtons(sheet);
    return true;
}

bool CDialPage0::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (!clicked(event)) return false;
    if (id == IDC_EXISTING_CUSTOMER) {
        m_Sheet.m_ExistingCustomer = 1;
        page.sheet()->setActivePage(CSheet::kPageAccount);
        return true;
    }
    if (id == IDC_NEW_CUSTOMER) {
        m_Sheet.m_ExistingCustomer = 0;
        page.sheet()->setActivePage(CSheet::kPageNewCustomer);
        return true;
    }
    if (id == IDCANCEL) {
        page.sheet()->end(IDCANCEL);
        return true;
    }
    return false;
}

bool CDialPage1::onSetActive(ui::Sheet& sheet, ui::Dialog& page) {
    hideWizardButtons(sheet);
    page.setText(IDC_USER_NAME, m_UserName);
    page.setText(IDC_PASSWORD, m_Password);
    page.setChecked(IDC_SAVE_PASSWORD, m_SavePassword);
    return true;
}

bool CDialPage1::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (!clicked(event)) return false;
    switch (id) {
    case IDOK:
        onConnect(page);
        return true;
    case IDC_OPTIONS:
        // What was typed is kept for the return from the configuration page.
        m_UserName = page.text(IDC_USER_NAME);
        m_Password = page.text(IDC_PASSWORD);
        m_SavePassword = page.checked(IDC_SAVE_PASSWORD);
        page.sheet()->setActivePage(CSheet::kPageConfiguration);
        return true;
    case IDCANCEL:
        page.sheet()->end(IDCANCEL);
        return true;
    default:
        return false;
    }
}

void CDialPage1::onConnect(ui::Dialog& page) {
    m_UserName = page.text(IDC_USER_NAME);
    m_Password = page.text(IDC_PASSWORD);
    m_SavePassword = page.checked(IDC_SAVE_PASSWORD);

    CLmrApp& app = m_Sheet.app();
    CLmrSettings& settings = app.settings();
    settings.setUserName(m_UserName);
    settings.saveUserName();
    settings.setPassword(m_Password);
    settings.savePasswordChoice(m_SavePassword);
    if (app.isSignupMode()) {
        // The customer has an account already: the signup is over before it began.
        settings.setPhoneNumber(loadResourceString(IDS_SIGNUP_PHONE_NUMBER));
        settings.savePhoneNumber();
        settings.saveStartupMode("0");
        settings.setStoredStartupMode("0");
    }
    page.sheet()->end(IDOK);
}

bool CDialPage1b::onSetActive(ui::Sheet& sheet, ui::Dialog&) {
    hideWizardButtons(sheet);
    return true;
}

bool CDialPage1b::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (!clicked(event)) return false;
    switch (id) {
    case IDOK:
        m_Sheet.app().settings().saveStartupMode("1");
        page.sheet()->end(IDOK);
        return true;
    case IDC_OPTIONS:
        page.sheet()->setActivePage(CSheet::kPageConfiguration);
        return true;
    case IDCANCEL:
        page.sheet()->end(IDCANCEL);
        return true;
    default:
        return false;
    }
}

bool CDialPage2::onSetActive(ui::Sheet& sheet, ui::Dialog& page) {
    hideWizardButtons(sheet);
    fillCountryCombo(page, IDC_COUNTRY, m_Sheet.m_CountryId);
    page.setText(IDC_AREA_CODE, m_Sheet.m_AreaCode);
    page.setText(IDC_OUTSIDE_ACCESS, m_Sheet.m_OutsideAccess);
    page.clearItems(IDC_DEVICE);
    fillDeviceCombo(page, IDC_DEVICE);
    for (int i = 0, n = page.itemCount(IDC_DEVICE); i < n; ++i) {
        if (page.itemText(IDC_DEVICE, i).find(m_Sheet.m_DeviceName) != std::string::npos) {
            page.setSelection(IDC_DEVICE, i);
            break;
        }
    }
    return true;
}

bool CDialPage2::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (!clicked(event)) return false;
    if (id == IDC_CONFIG_OK) {
        leave(page, true, IDOK);
        return true;
    }
    if (id == IDC_CONFIG_CANCEL) {
        leave(page, false, IDCANCEL);
        return true;
    }
    return false;
}

void CDialPage2::leave(ui::Dialog& page, bool takeValues, int oneResult) {
    if (takeValues) {
        m_Sheet.m_OutsideAccess = page.text(IDC_OUTSIDE_ACCESS);
        m_Sheet.m_AreaCode = page.text(IDC_AREA_CODE);
        const int device = page.selection(IDC_DEVICE);
        m_Sheet.m_DeviceName = device < 0 ? std::string() : page.itemText(IDC_DEVICE, device);
        const int country = page.selection(IDC_COUNTRY);
        m_Sheet.m_CountryId = m_Sheet.services().getTapiCountryId(
            country < 0 ? std::string() : page.itemText(IDC_COUNTRY, country));
    }
    ui::Sheet& sheet = *page.sheet();
    if (m_Sheet.onePage()) {
        sheet.end(oneResult);
        return;
    }
    sheet.setActivePage(m_Sheet.m_ExistingCustomer ? CSheet::kPageAccount
                                                   : CSheet::kPageNewCustomer);
}

CSheet::CSheet(CLmrApp& app, DialPageServices& services)
    : m_Page0(*this), m_Page1(*this), m_Page1b(*this), m_Page2(*this), m_App(app),
      m_Services(services) {
    m_ExistingCustomer = app.isSignupMode() ? 0 : 1;
    m_AreaCode = services.currentAreaCode();
    m_OutsideAccess = services.currentOutsideAccess();
    const std::string country = services.currentCountryId();
    m_CountryId = country.empty() ? -1 : std::atoi(country.c_str());
    m_DeviceName = app.settings().deviceName();
}

int CSheet::runPages(const ui::SheetTemplate& sheet) {
    const int result = ui::runSheet(sheet);
    traceLine("Dialog Fallback sheet ends with %d\n", result);
    return result;
}

int CSheet::run(int startPage) {
    m_OnePage = false;
    ui::SheetTemplate sheet;
    sheet.caption = "Dialog Fallback";
    sheet.pages = {{&kDialPage0, &m_Page0},
                   {&kDialPage1, &m_Page1},
                   {&kDialPage1b, &m_Page1b},
                   {&kDialPage2, &m_Page2}};
    sheet.startPage = startPage;
    return runPages(sheet);
}

int CSheet::runConfiguration() {
    m_OnePage = true;
    ui::SheetTemplate sheet;
    sheet.caption = "Dialog Fallback";
    sheet.pages = {{&kDialPage2, &m_Page2}};
    return runPages(sheet);
}
