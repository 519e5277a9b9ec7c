// Filling "dial.htm" from the settings and taking the user's changes over.
#include "dial_page.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "page_commands.h"
#include "settings.h"
#include "skin_layout.h"
#include "trace.h"
#include "window_seam.h"

namespace {

constexpr PagePane kDialPane = PagePane::Extra;

std::string option(const std::string& value, const std::string& text, bool selected) {
    return "<OPTION value=\"" + value + (selected ? "\" selected>" : "\">") + text + "</OPTION>";
}

// The decimal id of a country given by name or already by its id; empty when unknown.
std::string countryIdOf(const std::string& country, DialPageServices& services) {
    if (!country.empty() && std::all_of(country.begin(), country.end(),
                                        [](char c) { return c >= '0' && c <= '9'; }))
        return country;
    const int id = services.getTapiCountryId(country);
    return id < 0 ? std::string() : std::to_string(id);
}

}  // namespace

bool replaceOptionList(PageHost& page, PagePane pane, const std::string& id, bool firstSelected,
                       int width, const std::string& options) {
    std::string html = page.elementOuterHtml(pane, id);
    if (html.empty()) return false;
    html = html.substr(0, 4095);
    // Keep the paragraph's and the select element's opening tags.
    const size_t first = html.find('>');
    const size_t second = first == std::string::npos ? first : html.find('>', first + 1);
    if (second != std::string::npos) html.erase(second + 1);
    html += option("   ", std::string(static_cast<size_t>(std::max(width, 0)) + 1, '-'),
                   firstSelected);
    html += options;
    html += "</SELECT></p>";
    page.setElementOuterHtml(pane, id, html);
    return true;
}

bool setHtmlOptionList(PageHost& page, PagePane pane, const std::string& id,
                       const std::string& items, const char* selected, int width) {
    const bool noneGiven = selected == nullptr;
    std::string options;
    bool first_item = true;
    size_t start = 0;
    while (start <= items.size() && !items.empty()) {
        const size_t tab = items.find('\t', start);
        const std::string item = items.substr(start, tab == std::string::npos ? tab : tab - start);
        const bool isSelected =
            noneGiven ? first_item : lstrcmpiA(item.c_str(), selected) == 0;
        options += option(item, item, isSelected);
        first_item = false;
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return replaceOptionList(page, pane, id, noneGiven, width, options);
}

std::string textOfInnerHtml(const std::string& html) {
    static const std::pair<const char*, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''},
        {"&nbsp;", '\xA0'}};
    std::string text;
    text.reserve(html.size());
    for (size_t i = 0; i < html.size();) {
        bool decoded = false;
        if (html[i] == '&') {
            for (const auto& [entity, c] : kEntities) {
                if (html.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                    text += c;
                    i += std::char_traits<char>::length(entity);
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded) text += html[i++];
    }
    return text;
}

std::string CDialPage::text(const char* id) { return textOfInnerHtml(page_.elementText(kDialPane, id)); }

std::string CDialPage::value(const char* id) { return page_.elementAttribute(kDialPane, id, "value"); }

void CDialPage::traceDump(const char* direction) {
    traceLine("============================================= start of %s\n", direction);
    traceLine("STARTUP settings\n");
    traceLine("  CTN_START_MODE: %s\n", text("CTN_START_MODE").c_str());
    traceLine("  CTN_START_URL: %s\n", text("CTN_START_URL").c_str());
    traceLine("RAS settings\n");
    traceLine("  CTN_RAS_DEVICE_NAME: \"%s\"\n", text("CTN_RAS_DEVICE_NAME").c_str());
    traceLine("  CTN_PHONE_NUMBER: %s\n", text("CTN_PHONE_NUMBER").c_str());
    traceLine("  CTN_USER_NAME: %s\n", text("CTN_USER_NAME").c_str());
    traceLine("  CTN_PASSWORD: %s\n", traceMask(text("CTN_PASSWORD").c_str()).c_str());
    traceLine("  CTN_SAVE_PASSWORD: %s\n", text("CTN_SAVE_PASSWORD").c_str());
    traceLine("TAPI settings\n");
    traceLine("  CTN_COUNTRY_NAME: %s\n", text("CTN_COUNTRY_NAME").c_str());
    traceLine("  CTN_OKZ: %s\n", value("CTN_OKZ").c_str());
    traceLine("  CTN_AKZ: %s\n", value("CTN_AKZ").c_str());
    traceLine("============================================= end of %s\n", direction);
}

void CDialPage::OnDocumentCompleteExtra(const std::string& url) {
    traceLine("OnDocumentCompleteExtra (%s)\n", url.c_str());
    if (url.find("discon.htm") != std::string::npos) {
        const std::string& error = settings_.lastConnectionError();
        traceLine("discon.htm loaded. Now setting RAS ERROR message: %s\n", error.c_str());
        page_.setElementText(kDialPane, "IDC_RAS_ERROR", error);
    }
    // The document a command link of the extra pane brought is not filled.
    if (commands_.takeCommandNavigation()) return;
    if (url.find("dial.htm") != std::string::npos) fillDialPage();
}

void CDialPage::fillDialPage() {
    page_.setElementText(kDialPane, "CTN_START_MODE", settings_.storedStartupMode());
    page_.setElementText(kDialPane, "CTN_START_URL", settings_.readStartUrl());
    page_.setElementText(kDialPane, "CTN_PHONE_NUMBER", settings_.phoneNumber());
    page_.setElementText(kDialPane, "CTN_USER_NAME", settings_.userName());
    page_.setElementText(kDialPane, "CTN_PASSWORD", settings_.password());
    page_.setElementText(kDialPane, "CTN_SAVE_PASSWORD",
                         settings_.readSavePassword() == "1" ? "1" : "0");

    const std::string devices = services_.listRasDevices();
    int deviceWidth = 0;
    for (size_t start = 0; start < devices.size();) {
        const size_t tab = std::min(devices.find('\t', start), devices.size());
        deviceWidth = std::max(deviceWidth, static_cast<int>(tab - start));
        start = tab + 1;
    }
    const int countryWidth = services_.maxCountryNameLength();
    const int width = std::max(deviceWidth, countryWidth);
    traceLine("maximum line length in RAS_DEVICE_LIST: %d\n", deviceWidth);
    traceLine("maximum line length in COUNTRY_LIST   : %d\n", countryWidth);
    traceLine("maximum line length of both lists     : %d\n", width);
    services_.setHtmlTapiCountryList(page_, "CTN_COUNTRYLIST", services_.currentCountryId(),
                                     sortingCombo_, width);
    const std::string& device = settings_.deviceName();
    setHtmlOptionList(page_, kDialPane, "CTN_RAS_DEVICE_LIST", devices,
                      device.empty() ? nullptr : device.c_str(), width);

    page_.setElementAttribute(kDialPane, "CTN_OKZ", "value", services_.currentAreaCode());
    page_.setElementAttribute(kDialPane, "CTN_AKZ", "value", services_.currentOutsideAccess());
    traceDump("writing");
}

void CDialPage::takeOverDialSettings() {
    const std::string mode = text("CTN_START_MODE");
    if (mode.empty()) {
        page_.showPopup("aufbauen.htm");
        return;
    }
    traceDump("reading");
    const std::string device = text("CTN_RAS_DEVICE_NAME");
    const std::string areaCode = value("CTN_OKZ");
    const std::string access = value("CTN_AKZ");
    const std::string country = countryIdOf(text("CTN_COUNTRY_NAME"), services_);
    services_.saveTapiSetting(country, areaCode, access, access);
    settings_.setDeviceName(device);
    settings_.saveDeviceName();

    if (mode == "3") {
        traceLine("StartupMode = 3 --> showing \"dial.htm\" again. Configuration completed.\n");
        const std::string next = settings_.readStartupMode();
        traceLine("now switching to StartupMode: %s\n", next.c_str());
        // The configuration is over: the dial page must not come up as a configuration again
        // for the rest of the run, but in the mode the customer's account has.
        settings_.setStoredStartupMode(next);
        SkinLayout layout;
        if (skins_.readSkinIni(settings_.readDefaultSkin(), layout)) {
            page_.closePopup();
            services_.makeAutoDial(settings_);
        } else {
            commands_.clearCommandNavigation();
            page_.showPopup("dial.htm");
        }
        return;
    }

    settings_.setSignupRequested(text("CTN_OPT_STATE") == "3");
    settings_.saveStartupMode(mode);
    settings_.saveStartUrl(text("CTN_START_URL"));
    settings_.setPhoneNumber(text("CTN_PHONE_NUMBER"));
    settings_.savePhoneNumber();
    settings_.setUserName(value("TEMP1"));
    settings_.saveUserName();
    settings_.setPassword(value("TEMP2"));
    settings_.savePasswordChoice(text("CTN_SAVE_PASSWORD") == "1");
    services_.makeAutoDial(settings_);
    page_.showPopup("aufbauen.htm");
}
