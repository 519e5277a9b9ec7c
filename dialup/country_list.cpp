// The country list: lookups and the options of the settings page.
#include "country_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dialog.h"
#include "tapi_info.h"
#include "trace.h"

int getTapiCountryId(const char* countryName) {
    traceLine("getTapiCountryId(%s)\n", countryName ? countryName : "");
    if (!countryName) return -1;
    TapiInfo tapi;
    tapi.EnumTapi();
    for (const TapiCountry& c : tapi.countries)
        if (c.name == countryName) return static_cast<int>(c.id);
    return -1;
}

int maxCountryNameLength() {
    TapiInfo tapi;
    tapi.EnumTapi();
    size_t longest = 0;
    for (const TapiCountry& c : tapi.countries) longest = std::max(longest, c.name.size());
    return static_cast<int>(longest);
}

std::string countryOptionsHtml(const char* selected, HWND sortingCombo) {
    TapiInfo tapi;
    tapi.EnumTapi();
    SendMessageA(sortingCombo, CB_RESETCONTENT, 0, 0);
    for (const TapiCountry& c : tapi.countries) {
        char item[300];
        std::snprintf(item, sizeof item, "%s\t%d", c.name.c_str(), static_cast<int>(c.id));
        SendMessageA(sortingCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    std::string html;
    const LRESULT count = SendMessageA(sortingCombo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(sortingCombo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == CB_ERR) continue;
        std::vector<char> item(static_cast<size_t>(length) + 1);
        SendMessageA(sortingCombo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(item.data()));
        const std::string text(item.data());
        const size_t tab = text.find('\t');
        if (tab == std::string::npos) continue;
        const std::string name = text.substr(0, tab);
        const std::string id = text.substr(tab + 1);
        const bool isSelected = selected && std::atoi(selected) == std::atoi(id.c_str());
        html += "<OPTION value=\"" + id + (isSelected ? "\" selected>" : "\">") + name +
                "</OPTION>";
    }
    return html;
}

void fillCountryCombo(ui::Dialog& dialog, int comboId, int countryId) {
    TapiInfo tapi;
    tapi.EnumTapi();
    dialog.clearItems(comboId);
    // In the user's collation, as the settings page lists them ("Ägypten" after
    // "Afghanistan"): the drop-down list keeps the order it is given.
    std::vector<const TapiCountry*> sorted;
    for (const TapiCountry& c : tapi.countries) sorted.push_back(&c);
    std::stable_sort(sorted.begin(), sorted.end(), [](const TapiCountry* a, const TapiCountry* b) {
        return lstrcmpiA(a->name.c_str(), b->name.c_str()) < 0;
    });
    int selected = -1;
    for (const TapiCountry* c : sorted) {
        const int index = dialog.addItem(comboId, c->name);
        if (static_cast<int>(c->id) == countryId) selected = index;
    }
    dialog.setSelection(comboId, selected);
}
