// The dial page's services, forwarding to dialup/.
#include "dial_services.h"

#include "auto_dial.h"
#include "country_list.h"
#include "ras_calls.h"
#include "settings.h"
#include "tapi_settings.h"
#include "text.h"
#include "trace.h"

std::string DialServices::listRasDevices() { return ::listRasDevices(); }

int DialServices::maxCountryNameLength() { return ::maxCountryNameLength(); }

bool DialServices::setHtmlTapiCountryList(PageHost& page, const std::string& id,
                                          const std::string& selectedCountry, HWND sortingCombo,
                                          int width) {
    traceLine("setHtmlTapiCountryList()\n");
    if (page.elementOuterHtml(PagePane::Extra, id).empty()) return false;
    const bool noneSelected = selectedCountry.empty();
    traceLine("creating first line: \"%s\"\n",
              std::string(static_cast<size_t>(width < 0 ? 0 : width) + 1, '-').c_str());
    return replaceOptionList(page, PagePane::Extra, id, noneSelected, width,
                             countryOptionsHtml(noneSelected ? nullptr : selectedCountry.c_str(),
                                                sortingCombo));
}

std::string DialServices::currentCountryId() { return currentTapiCountryId(); }

std::string DialServices::currentAreaCode() { return currentTapiAreaCode(); }

std::string DialServices::currentOutsideAccess() { return currentTapiOutsideAccess(); }

int DialServices::getTapiCountryId(const std::string& countryName) {
    return ::getTapiCountryId(countryName.c_str());
}

void DialServices::saveTapiSetting(const std::string& countryId, const std::string& areaCode,
                                   const std::string& outsideAccess,
                                   const std::string& longDistanceAccess) {
    ::saveTapiSetting(countryId.c_str(), areaCode.c_str(), outsideAccess.c_str(),
                      longDistanceAccess.c_str());
}

void DialServices::makeAutoDial(const CLmrSettings& settings) {
    AutoDialSettings s;
    s.useRas = settings.useRas();
    s.entryName = settings.entryName();
    s.phoneNumber = settings.phoneNumber();
    s.deviceName = settings.deviceName();
    s.programFolder = paths_.installDir;
    s.programFile = lowerText(paths_.fileName);
    ::makeAutoDial(s);
}
