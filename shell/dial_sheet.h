// The dial sheet "Dialog Fallback": four pages in wizard mode that offer what the dial pages offer
// when they cannot be shown. Page 0 asks whether the customer has an account, page 1 takes the
// account and dials, page 2 dials a new customer, page 3 sets the dialling location and the
// device. The pages carry their own buttons; the sheet's wizard buttons stay hidden.
#pragma once

#include <memory>
#include <string>

#include "sheet.h"

class CLmrApp;
class DialPageServices;
class CSheet;

class CDialPage0 : public ui::PageHandler {
public:
    explicit CDialPage0(CSheet& sheet) : m_Sheet(sheet) {}
    bool onSetActive(ui::Sheet& sheet, ui::Dialog& page) override;
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;

private:
    CSheet& m_Sheet;
};

class CDialPage1 : public ui::PageHandler {
public:
    explicit CDialPage1(CSheet& sheet) : m_Sheet(sheet) {}
    bool onSetActive(ui::Sheet& sheet, ui::Dialog& page) override;
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;

    std::string m_UserName;
    std::string m_Password;
    bool m_SavePassword = true;

private:
    void onConnect(ui::Dialog& page);

    CSheet& m_Sheet;
};

class CDialPage1b : public ui::PageHandler {
public:
    explicit CDialPage1b(CSheet& sheet) : m_Sheet(sheet) {}
    bool onSetActive(ui::Sheet& sheet, ui::Dialog& page) override;
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;

private:
    CSheet& m_Sheet;
};

class CDialPage2 : public ui::PageHandler {
public:
    explicit CDialPage2(CSheet& sheet) : m_Sheet(sheet) {}
    bool onSetActive(ui::Sheet& sheet, ui::Dialog& page) override;
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;

private:
    // Takes the page's values into the sheet and leaves the page: a sheet of this page alone
    // ends with `oneResult`, otherwise the page the customer came from comes back.
    void leave(ui::Dialog& page, bool takeValues, int oneResult);

    CSheet& m_Sheet;
};

class CSheet {
public:
    static constexpr int kPageChoice = 0;
    static constexpr int kPageAccount = 1;
    static constexpr int kPageNewCustomer = 2;
    static constexpr int kPageConfiguration = 3;

    // The values the pages share, from the settings and the current telephony location.
    CSheet(CLmrApp& app, DialPageServices& services);

    // Runs the four pages from `startPage`; IDOK, IDCANCEL or -1 when no dialog can be shown.
    int run(int startPage);
    // Runs the configuration page alone.
    int runConfiguration();

    CLmrApp& app() { return m_App; }
    DialPageServices& services() { return m_Services; }
    bool onePage() const { return m_OnePage; }

    std::string m_DeviceName;
    int m_CountryId = -1;
    std::string m_OutsideAccess;
    std::string m_AreaCode;
    // 1: the customer already has an account; 0: a new customer.
    int m_ExistingCustomer = 0;

    CDialPage0 m_Page0;
    CDialPage1 m_Page1;
    CDialPage1b m_Page1b;
    CDialPage2 m_Page2;

private:
    int runPages(const ui::SheetTemplate& sheet);

    CLmrApp& m_App;
    DialPageServices& m_Services;
    bool m_OnePage = false;
};
