// Building the wizard sheet from the page list.
#include "orvane_dlg.h"

#include "orvane_app.h"
#include "wizard_data.h"

namespace {

constexpr UINT IDS_WIZARD_CAPTION = 108;

}  // namespace

COrvaneDlg::COrvaneDlg(COrvaneApp& app) : m_App(app) {
    const CPageRecords& r = app.block().m_Pages;
    m_Pages.push_back(std::make_unique<COptionStp>(app, r.option));
    m_Pages.push_back(std::make_unique<CLicenceStp>(app, r.licence));
    m_Pages.push_back(std::make_unique<CPrufeStp>(app, r.prufe));
    m_Pages.push_back(std::make_unique<CGeratStp>(app, r.gerat));
    m_Pages.push_back(std::make_unique<CGeratFaulStp>(app, r.geratFaul));
    m_Pages.push_back(std::make_unique<COrtStp>(app, r.ort));
    m_Pages.push_back(std::make_unique<CKnotenStp>(app, r.knoten));
    auto member = std::make_unique<CMemberStp>(app, r.member);
    const CMemberStp& memberPage = *member;
    m_Pages.push_back(std::move(member));
    m_Pages.push_back(std::make_unique<CUserDataStp>(app, r.userData, memberPage));
    m_Pages.push_back(std::make_unique<CBrowserStp>(app, r.browser));
    m_Pages.push_back(std::make_unique<CProgressStp>(app, r.progress));
    m_Pages.push_back(std::make_unique<CRebootStp>(app, r.reboot));
    m_Pages.push_back(std::make_unique<CProductStp>(app, r.product));
    m_Pages.push_back(std::make_unique<CContractStp>(app, r.contract));
    m_Pages.push_back(std::make_unique<CWelcomeStp>(app, r.welcome));
    m_Pages.push_back(std::make_unique<CRegionStp>(app, r.region));
}

OvDialog& COrvaneDlg::page(PageId id) { return *m_Pages[static_cast<size_t>(id)]; }

bool COrvaneDlg::create() {
    const CWizardData& data = theWizardData;
    ui::SheetTemplate sheet;
    sheet.caption = loadString(IDS_WIZARD_CAPTION);
    sheet.buttonTexts = {data.m_BackCaption, data.m_NextCaption, data.m_FinishCaption, data.m_CancelCaption,
                         data.m_HelpCaption};
    const std::vector<PageId>& pages = m_App.pages();
    for (size_t i = 0; i < pages.size(); ++i) {
        OvDialog& handler = page(pages[i]);
        handler.setPlace(static_cast<int>(i), static_cast<int>(pages.size()));
        sheet.pages.push_back({&handler.dialogTemplate(), &handler});
    }
    sheet.startPage = m_App.startPage();
    sheet.titleBar = data.m_CaptionFlag != 0;
    sheet.topmost = true;
    sheet.position = [this](SIZE window) { return m_App.wizardPosition(window); };
    sheet.icon = m_App.icon();
    m_Sheet = ui::createSheet(sheet, this);
    return m_Sheet != nullptr;
}

bool COrvaneDlg::onMessage(ui::Sheet& sheet, UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != kPressNext) return false;
    sheet.pressButton(ui::WizardButton::Next);
    return true;
}
