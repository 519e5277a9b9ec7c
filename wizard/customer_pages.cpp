// The pages of other provider configurations: new or existing customer, user data, products,
// contract and welcome.
#include "orvane_app.h"
#include "pages.h"
#include "user_choice.h"

#include <algorithm>

namespace {

constexpr int kUserFields = 4;

}  // namespace

CMemberStp::CMemberStp(COrvaneApp& app, const CMemberRecord& record)
    : OvDialog(app, 148, {2, 2}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CMemberStp::activate(ui::Sheet&, ui::Dialog& page) {
    page.setText(IDC_PAGE_TEXT, m_Record.m_Instruction);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_Closing);
    page.setText(IDC_CHOICE1, m_Record.m_NewCaption);
    page.setText(IDC_CHOICE1 + 1, m_Record.m_ExistingCaption);
    // The new-customer choice is preset; later visits show what the customer chose.
    if (!page.checked(IDC_CHOICE1 + 1)) page.setChecked(IDC_CHOICE1, true);
    return true;
}

int CMemberStp::next(ui::Sheet&, ui::Dialog& page) {
    theUserChoice.m_ExistingCustomer = page.checked(IDC_CHOICE1 + 1);
    return ui::kGoOn;
}

CUserDataStp::CUserDataStp(COrvaneApp& app, const CUserDataRecord& record, const CMemberStp& member)
    : OvDialog(app, 130, {4, 0, 0, false, false, kUserFields + 1, record.m_Masking != 0}),
      m_Record(record), m_Member(member) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CUserDataStp::activate(ui::Sheet&, ui::Dialog& page) {
    for (int i = 0; i <= kUserFields; ++i) page.setText(IDC_EDIT1 + i, "");
    // A new customer who has just said so has no user data yet.
    if (m_Member.order() > 0 && m_Member.order() == order() - 1 && !theUserChoice.m_ExistingCustomer)
        return false;
    page.setText(IDC_PAGE_TEXT, m_Record.m_Instruction);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_UserLabel);
    page.setText(IDC_PAGE_TEXT + 2, m_Record.m_PasswordLabel);
    page.setText(IDC_PAGE_TEXT + 3, m_Record.m_Closing);
    for (int i = 1; i < kUserFields; ++i) page.show(IDC_EDIT1 + i, m_Record.m_SingleField == 0);
    page.setText(IDC_EDIT1, m_Record.m_DefaultUser);
    page.setText(IDC_EDIT1 + kUserFields, m_Record.m_DefaultPassword);
    check(page);
    return true;
}

// The four fields are joined with no separator.
std::string CUserDataStp::userName(ui::Dialog& page) {
    std::string name;
    const int fields = m_Record.m_SingleField ? 1 : kUserFields;
    for (int i = 0; i < fields; ++i) name += page.text(IDC_EDIT1 + i);
    return name;
}

// Text beyond the maximum is cut; Next only while every field fits its limits.
void CUserDataStp::check(ui::Dialog& page) {
    const int fields = m_Record.m_SingleField ? 1 : kUserFields;
    bool ok = true;
    for (int i = 0; i <= kUserFields; ++i) {
        const bool password = i == kUserFields;
        if (!password && i >= fields) continue;
        const size_t low = password ? m_Record.m_PasswordMin : m_Record.m_UserMin;
        const size_t high = password ? m_Record.m_PasswordMax : m_Record.m_UserMax;
        std::string text = page.text(IDC_EDIT1 + i);
        if (text.size() > high) {
            text.resize(high);
            page.setText(IDC_EDIT1 + i, text);
        }
        if (password && !m_Record.m_PasswordRequired) continue;
        ok = ok && text.size() >= low && text.size() <= high;
    }
    if (ui::Sheet* sheet = page.sheet()) sheet->enableButton(ui::WizardButton::Next, ok);
}

bool CUserDataStp::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (event != ui::CommandEvent::Changed || id < IDC_EDIT1 || id > IDC_EDIT1 + kUserFields) return false;
    check(page);
    return true;
}

int CUserDataStp::next(ui::Sheet&, ui::Dialog& page) {
    theUserChoice.m_UserName = userName(page);
    theUserChoice.m_Password = page.text(IDC_EDIT1 + kUserFields);
    return ui::kGoOn;
}

CProductStp::CProductStp(COrvaneApp& app, const CProductRecord& record)
    : OvDialog(app, 150, {2, 0, 2}), m_Record(record) {
    setRecord(record.m_Order, "", record.m_Side);
}

bool CProductStp::activate(ui::Sheet&, ui::Dialog& page) {
    page.setText(IDC_PAGE_TEXT, m_Record.m_Texts[0]);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_Texts[3]);
    page.setText(IDC_CHOICE1, m_Record.m_Texts[1]);
    page.setText(IDC_CHOICE1 + 1, m_Record.m_Texts[2]);
    page.setChecked(IDC_CHOICE1, theUserChoice.m_Rebirth);
    page.setChecked(IDC_CHOICE1 + 1, theUserChoice.m_Mixman);
    return true;
}

int CProductStp::next(ui::Sheet&, ui::Dialog& page) {
    theUserChoice.m_Rebirth = page.checked(IDC_CHOICE1);
    theUserChoice.m_Mixman = page.checked(IDC_CHOICE1 + 1);
    return ui::kGoOn;
}

CTextsStp::CTextsStp(COrvaneApp& app, int resourceId, std::vector<std::string> texts, DWORD order,
                     const CDibDoc& side)
    : OvDialog(app, resourceId, {static_cast<int>(std::max<size_t>(texts.size(), 1))}),
      m_Texts(std::move(texts)) {
    setRecord(order, "", side);
}

bool CTextsStp::activate(ui::Sheet&, ui::Dialog& page) {
    for (size_t i = 0; i < m_Texts.size(); ++i) page.setText(IDC_PAGE_TEXT + static_cast<int>(i), m_Texts[i]);
    return true;
}

CContractStp::CContractStp(COrvaneApp& app, const CContractRecord& record)
    : CTextsStp(app, 151, {record.m_Texts.begin(), record.m_Texts.end()}, record.m_Order, record.m_Side) {}

CWelcomeStp::CWelcomeStp(COrvaneApp& app, const CWelcomeRecord& record)
    : CTextsStp(app, 152, {record.m_Text}, record.m_Order, record.m_Side) {}
