// The dial page's services as far as this build has them (see dial_services.h).
#include "dial_services.h"

#include "trace.h"

namespace {

void notAvailable(const char* operation, const std::string& argument = std::string()) {
    traceLine("%s (%s): not available in this build\n", operation, argument.c_str());
}

}  // namespace

std::string DialServicesStandIn::listRasDevices() {
    notAvailable("listRasDevices");
    return std::string();
}

bool DialServicesStandIn::setHtmlTapiCountryList(PageHost& page, const std::string& id,
                                                 const std::string& selectedCountry, int width) {
    notAvailable("setHtmlTapiCountryList", selectedCountry);
    return setHtmlOptionList(page, PagePane::Extra, id, std::string(), nullptr, width);
}

std::string DialServicesStandIn::currentCountryId() {
    notAvailable("currentCountryId");
    return std::string();
}

std::string DialServicesStandIn::currentAreaCode() {
    notAvailable("currentAreaCode");
    return std::string();
}

std::string DialServicesStandIn::currentOutsideAccess() {
    notAvailable("currentOutsideAccess");
    return std::string();
}

int DialServicesStandIn::getTapiCountryId(const std::string& countryName) {
    notAvailable("getTapiCountryId", countryName);
    return -1;
}

void DialServicesStandIn::saveTapiSetting(const std::string& countryId,
                                          const std::string& areaCode,
                                          const std::string& outsideAccess,
                                          const std::string&) {
    notAvailable("saveTapiSetting, nothing stored",
                 countryId + " " + areaCode + " " + outsideAccess);
}

void DialServicesStandIn::makeAutoDial() { notAvailable("makeAutoDial"); }
