// The dial-in node pages: the node list the configuration carries, and the region page over the
// phonebook files named by the variable "kundek". The node chosen goes to "PopName"/"PopNumber".
#include "orvane_app.h"
#include "pages.h"
#include "trace.h"
#include "user_choice.h"

namespace {

constexpr const char* kPhonebookKey = "kundek";
// The node list's columns: the name, then the node's further texts.
const std::vector<int> kNodeTabStops = {111, 100};
// The number list's columns: the city, then the number.
const std::vector<int> kNumberTabStops = {110};

}  // namespace

CKnotenStp::CKnotenStp(COrvaneApp& app, const CKnotenRecord& record)
    : OvDialog(app, 134, {2, 0, 0, true}), m_Record(record) {
    setRecord(record.m_Order, record.m_Title, record.m_Side);
}

bool CKnotenStp::activate(ui::Sheet& sheet, ui::Dialog& page) {
    page.setText(IDC_PAGE_TEXT, m_Record.m_Instruction);
    page.setText(IDC_PAGE_TEXT + 1, m_Record.m_Closing);
    page.clearItems(IDC_LIST);
    for (const CKnoten& node : m_Record.m_Nodes) page.addItem(IDC_LIST, node.m_Name);
    if (m_Record.m_Nodes.empty())
        for (const std::string& line : readNodeListFile(m_NodeListFile)) page.addItem(IDC_LIST, line);
    page.setTabStops(IDC_LIST, kNodeTabStops);
    page.setSelection(IDC_LIST, page.findItem(IDC_LIST, theUserChoice.m_ChosenNode.m_Name));
    sheet.enableButton(ui::WizardButton::Next, page.selection(IDC_LIST) >= 0);
    page.setFocus(IDC_LIST);
    return true;
}

bool CKnotenStp::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (id != IDC_LIST || event != ui::CommandEvent::SelectionChanged) return false;
    if (page.sheet()) page.sheet()->enableButton(ui::WizardButton::Next, page.selection(IDC_LIST) >= 0);
    return true;
}

int CKnotenStp::next(ui::Sheet&, ui::Dialog& page) {
    const int selected = page.selection(IDC_LIST);
    if (selected < 0) return ui::kStay;
    const std::string name = page.itemText(IDC_LIST, selected);
    CUserChoice& choice = theUserChoice;
    for (const CKnoten& node : m_Record.m_Nodes)
        if (node.m_Name == name) choice.m_ChosenNode = node;
    // The node's display name: its second text before its name.
    const CKnoten& node = choice.m_ChosenNode;
    choice.m_NodeName = node.m_Text2.empty() ? node.m_Name : node.m_Text2 + " " + node.m_Name;
    return ui::kGoOn;
}

CRegionStp::CRegionStp(COrvaneApp& app, const CRegionRecord& record)
    : OvDialog(app, regionTemplate(154)), m_Record(record) {
    setRecord(record.m_Order, "", record.m_Side);
}

bool CRegionStp::activate(ui::Sheet&, ui::Dialog& page) {
    for (size_t i = 0; i < m_Record.m_Texts.size(); ++i)
        page.setText(IDC_PAGE_TEXT + static_cast<int>(i), m_Record.m_Texts[i]);
    if (m_Loaded) return true;
    m_Loaded = true;
    char book[256] = {};
    GetPrivateProfileStringA("variables", kPhonebookKey, "", book, sizeof book, theUserChoice.m_VariablesFile.c_str());
    // The name comes from the installation medium: only a plain name in the current folder.
    const std::string name = book;
    const bool loaded = isPlainFileName(name) && m_Phonebook.load((name + ".pbr").c_str(), (name + ".pbk").c_str());
    page.setTabStops(IDC_REGION_NUMBERS, kNumberTabStops);
    for (const Region& region : m_Phonebook.regions()) page.addItem(IDC_LIST, region.name);
    if (page.itemCount(IDC_LIST) > 0) page.setSelection(IDC_LIST, 0);
    traceLine("region page: phonebook \"%s\" %s, %zu regions\n", name.c_str(), loaded ? "loaded" : "not loaded",
              m_Phonebook.regions().size());
    showNumbers(page);
    return true;
}

// The number list: the selected region's access numbers as city and number.
void CRegionStp::showNumbers(ui::Dialog& page) {
    page.clearItems(IDC_REGION_NUMBERS);
    const int region = page.selection(IDC_LIST);
    if (region < 0 || static_cast<size_t>(region) >= m_Phonebook.regions().size()) return;
    for (const AccessNumber& number : m_Phonebook.regions()[static_cast<size_t>(region)].numbers)
        page.addItem(IDC_REGION_NUMBERS, accessNumberListText(number));
    if (page.itemCount(IDC_REGION_NUMBERS) > 0) page.setSelection(IDC_REGION_NUMBERS, 0);
}

bool CRegionStp::onCommand(ui::Dialog& page, int id, ui::CommandEvent event) {
    if (id != IDC_LIST || event != ui::CommandEvent::SelectionChanged) return false;
    showNumbers(page);
    return true;
}

int CRegionStp::next(ui::Sheet&, ui::Dialog& page) {
    const int selected = page.selection(IDC_REGION_NUMBERS);
    const std::string line = selected >= 0 ? page.itemText(IDC_REGION_NUMBERS, selected) : std::string();
    CUserChoice& choice = theUserChoice;
    splitAccessNumberLine(line, choice.m_NodeName, choice.m_PopNumber);
    choice.m_ChosenNode.m_Name = choice.m_NodeName;
    return ui::kGoOn;
}
