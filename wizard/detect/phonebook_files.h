// The phonebook of the region page: the region file (".pbr", one region name a line after a
// header line) and the access number file (".pbk", comma-separated: country code, region code,
// city, area code, local number), and the texts the page lists and stores.
#pragma once

#include <string>
#include <vector>

struct AccessNumber {
    std::string city;
    std::string countryCode;
    std::string areaCode;
    std::string localNumber;
};

struct Region {
    std::string code;  // the running number of its line, from 1
    std::string name;
    std::vector<AccessNumber> numbers;
};

class CPhonebook {
public:
    // Reads the region file, then the access number file; false (and no regions) when either
    // cannot be opened.
    bool load(const char* regionFile, const char* numberFile);
    const std::vector<Region>& regions() const { return m_Regions; }

    void parseRegions(const std::string& text);
    void parseNumbers(const std::string& text);

private:
    std::vector<Region> m_Regions;
};

// An access number in the number list: city, a tab, "+" country code " (" area code ") " number.
std::string accessNumberListText(const AccessNumber& number);
// A single access number: "+%s (%s) %s".
std::string accessNumberText(const AccessNumber& number);
// The selected list line split for the variables file: before the first tab "PopName", after it
// "PopNumber".
void splitAccessNumberLine(const std::string& line, std::string& popName, std::string& popNumber);
