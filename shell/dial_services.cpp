// The dial page's services: the devices from the dial-up binding, telephony stand-ins.
#include "dial_services.h"

#include "ras_calls.h"
#include "trace.h"

namespace {

void notAvailable(const char* operation, const std::string& argument = std::string()) {
    traceLine("%s (%s): not available in this build\n", operation, argument.c_str());
}

}  // namespace

std::string TelephonyStandIn::listRasDevices() {
    notAvailable("listRasDevices");
    return std::string();
}

bool TelephonyStandIn::setHtmlTapiCountryList(PageHost& page, const std::string& id,
                                                 const std::string& selectedCountry, int width) {
    notAvailable("setHtmlTapiCountryList", selectedCountry);
    return setHtmlOptionList(page, PagePane::Extra, id, std::string(), nullptr, width);
}

std::string TelephonyStandIn::currentCountryId() {
    notAvailable("currentCountryId");
    return std::string();
}

std::string TelephonyStandIn::currentAreaCode() {
    notAvailable("currentAreaCode");
    return std::string();
}

std::string TelephonyStandIn::currentOutsideAccess() {
    notAvailable("currentOutsideAccess");
    return std::string();
}

int TelephonyStandIn::getTapiCountryId(const std::string& countryName) {
    notAvailable("getTapiCountryId", countryName);
    return -1;
}

void TelephonyStandIn::saveTapiSetting(const std::string& countryId,
                                          const std::string& areaCode,
                                          const std::string& outsideAccess,
                                          const std::string&) {
    notAvailable("saveTapiSetting, nothing stored",
                 countryId + " " + areaCode + " " + outsideAccess);
}

void TelephonyStandIn::makeAutoDial() { notAvailable("makeAutoDial"); }

std::string DialServices::listRasDevices() { return ::listRasDevices(); }
