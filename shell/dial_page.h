// The settings page "dial.htm" in the extra pane: filled from the settings when it has loaded,
// and taken over into the settings, the telephony location and the settings file when its
// connect link is followed. Also the status text of "discon.htm".
#pragma once

#include <windows.h>

#include <string>

#include "page_host.h"

class CLmrSettings;
class CPageCommands;
class SkinStore;

// What the dial page needs of telephony (the country list and the dialling location) and of
// dial-up (the devices, the AutoDial registration). The dial-up modules implement these.
class DialPageServices {
public:
    virtual ~DialPageServices() = default;
    // The dial devices, tab-separated.
    virtual std::string listRasDevices() = 0;
    virtual int maxCountryNameLength() = 0;
    // Writes the country options into the element, sorted by the window's sorted combo box;
    // false when the page has no such element.
    virtual bool setHtmlTapiCountryList(PageHost& page, const std::string& id,
                                        const std::string& selectedCountry, HWND sortingCombo,
                                        int width) = 0;
    // The location's values, as last stored by this process or as the system has them.
    virtual std::string currentCountryId() = 0;
    virtual std::string currentAreaCode() = 0;
    virtual std::string currentOutsideAccess() = 0;
    // The country id of a country name, −1 when there is none.
    virtual int getTapiCountryId(const std::string& countryName) = 0;
    virtual void saveTapiSetting(const std::string& countryId, const std::string& areaCode,
                                 const std::string& outsideAccess,
                                 const std::string& longDistanceAccess) = 0;
    // Registers the provider's entry for AutoDial from the settings.
    virtual void makeAutoDial(const CLmrSettings& settings) = 0;
};

// Replaces the element's markup by its opening tags (up to the second ">": a paragraph holding a
// select element) followed by the options of the tab-separated `items`: a first line of width + 1
// minus signs, then one option per item. With no `selected` item (null) the first line and the
// first item are selected; otherwise the item equal to it in any letter case. False (nothing
// changed) when the page has no such element.
bool setHtmlOptionList(PageHost& page, PagePane pane, const std::string& id,
                       const std::string& items, const char* selected, int width);
// The common part of the option lists: the element's opening tags, the first line of width + 1
// minus signs (selected or not), the `options` and the closing tags replace its markup.
bool replaceOptionList(PageHost& page, PagePane pane, const std::string& id, bool firstSelected,
                       int width, const std::string& options);

// An element's inner HTML as the text it shows: the markup's character references decoded, so a
// typed "&" comes back as "&" and not as "&amp;".
std::string textOfInnerHtml(const std::string& html);

class CDialPage {
public:
    CDialPage(PageHost& page, CPageCommands& commands, CLmrSettings& settings, SkinStore& skins,
              DialPageServices& services)
        : page_(page), commands_(commands), settings_(settings), skins_(skins),
          services_(services) {}

    // The window's hidden sorted combo box that orders the country list.
    void setSortingCombo(HWND combo) { sortingCombo_ = combo; }
    // A document of the extra pane has loaded.
    void OnDocumentCompleteExtra(const std::string& url);
    void fillDialPage();
    void takeOverDialSettings();

private:
    std::string text(const char* id);
    std::string value(const char* id);
    void traceDump(const char* direction);

    PageHost& page_;
    CPageCommands& commands_;
    CLmrSettings& settings_;
    SkinStore& skins_;
    DialPageServices& services_;
    HWND sortingCombo_ = nullptr;
};
