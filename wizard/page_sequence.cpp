// Building the page list and the resume rule.
#include "page_sequence.h"

namespace {

constexpr DWORD kLastOrder = 99;

}  // namespace

const char* pageClassName(PageId page) {
    static const char* const names[] = {
        "COptionStp", "CLicenceStp", "CPrufeStp", "CGeratStp", "CGeratFaulStp", "COrtStp",
        "CKnotenStp", "CMemberStp", "CUserDataStp", "CBrowserStp", "CProgressStp", "CRebootStp",
        "CProductStp", "CContractStp", "CWelcomeStp", "CRegionStp"};
    return names[static_cast<int>(page)];
}

std::vector<PageId> pageSequence(const ConfigBlock& block, bool windows2000) {
    using P = PageId;
    if (block.m_Version < 10)
        return {P::Member, P::UserData, P::Browser, P::Prufe, P::Gerat, P::GeratFaul, P::Ort, P::Knoten,
                P::Option, P::Licence, P::Progress, P::Reboot, P::Product, P::Contract, P::Welcome,
                P::Region};
    const CPageRecords& r = block.m_Pages;
    std::vector<PageId> pages;
    for (DWORD n = 1; n <= kLastOrder; ++n) {
        // The first page of this list with the number n is placed; its followers travel with it.
        if (r.option.m_Order == n) {
            pages.insert(pages.end(), {P::Option, P::Licence});
        } else if (r.prufe.m_Order == n) {
            pages.push_back(P::Prufe);
            if (!windows2000) pages.insert(pages.end(), {P::Gerat, P::GeratFaul});
        } else if (r.member.m_Order == n) {
            pages.push_back(P::Member);
        } else if (r.userData.m_Order == n) {
            pages.push_back(P::UserData);
        } else if (r.ort.m_Order == n) {
            if (!windows2000) pages.push_back(P::Ort);
        } else if (r.knoten.m_Order == n) {
            pages.push_back(P::Knoten);
        } else if (r.browser.m_Order == n) {
            pages.push_back(P::Browser);
        } else if (r.progress.m_Order == n) {
            pages.push_back(P::Progress);
        } else if (r.reboot.m_Order == n) {
            pages.push_back(P::Reboot);
        } else if (r.product.m_Order == n) {
            pages.push_back(P::Product);
        } else if (r.contract.m_Order == n) {
            pages.push_back(P::Contract);
        } else if (r.welcome.m_Order == n) {
            pages.push_back(P::Welcome);
        } else if (r.region.m_Order == n) {
            pages.push_back(P::Region);
        }
    }
    return pages;
}

int resumeStartPage(int startPage, bool windowsNt, const std::string& os, const CPageRecords& pages,
                    CUserChoice& choice) {
    if (!(windowsNt || os == "NT")) return startPage;
    if (startPage != static_cast<int>(pages.gerat.m_Order) - 1) return startPage;
    choice.m_InstallStdModem = false;
    choice.m_ManualDevice = true;
    choice.m_DialDevice.clear();
    choice.writeVariables();
    return static_cast<int>(pages.geratFaul.m_Order) - 1;
}
