// A stand-in for the dial page's services, for as long as this build has neither the dial-up
// binding (the device list) nor telephony and dial-up setup (the country list, the dialling
// location, the AutoDial registration). It answers "nothing": no device, a country list of only
// its dash line, empty codes, no country id; it traces each call and never pretends to store.
#pragma once

#include "dial_page.h"

class DialServicesStandIn : public DialPageServices {
public:
    std::string listRasDevices() override;
    int maxCountryNameLength() override { return 0; }
    bool setHtmlTapiCountryList(PageHost& page, const std::string& id,
                                const std::string& selectedCountry, int width) override;
    std::string currentCountryId() override;
    std::string currentAreaCode() override;
    std::string currentOutsideAccess() override;
    int getTapiCountryId(const std::string& countryName) override;
    void saveTapiSetting(const std::string& countryId, const std::string& areaCode,
                         const std::string& outsideAccess,
                         const std::string& longDistanceAccess) override;
    void makeAutoDial() override;
};
