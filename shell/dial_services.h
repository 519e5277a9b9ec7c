// The dial page's services. The dial devices come from the dial-up binding (DialServices).
// Telephony and the dial-up setup (the country list, the dialling location, the AutoDial
// registration) are not part of this build yet: TelephonyStandIn stands in for them and answers
// "nothing" - a country list of only its dash line, empty codes, no country id, no device - and
// traces each call; it never pretends to store.
#pragma once

#include "dial_page.h"

class TelephonyStandIn : public DialPageServices {
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

// The program's services: the devices of the system, telephony from the stand-in.
class DialServices : public TelephonyStandIn {
public:
    std::string listRasDevices() override;
};
