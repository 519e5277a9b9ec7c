// The dial page's services over the dial-up modules: the devices of the system, the telephony
// country list and dialling location, and the AutoDial registration of the provider's entry.
// They also give the application the area code it reads at start-up.
#pragma once

#include "app_paths.h"
#include "dial_page.h"
#include "dialup_seam.h"

class DialServices : public DialPageServices, public TelephonyLocations {
public:
    explicit DialServices(const AppPaths& paths) : paths_(paths) {}

    std::string listRasDevices() override;
    int maxCountryNameLength() override;
    bool setHtmlTapiCountryList(PageHost& page, const std::string& id,
                                const std::string& selectedCountry, HWND sortingCombo,
                                int width) override;
    std::string currentCountryId() override;
    std::string currentAreaCode() override;
    std::string currentOutsideAccess() override;
    int getTapiCountryId(const std::string& countryName) override;
    void saveTapiSetting(const std::string& countryId, const std::string& areaCode,
                         const std::string& outsideAccess,
                         const std::string& longDistanceAccess) override;
    void makeAutoDial(const CLmrSettings& settings) override;

private:
    AppPaths paths_;
};
