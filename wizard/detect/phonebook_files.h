// The phonebook of the region page: the region file (".pbr", one region name a line after a
// header line) and the access number file (".pbk", comma-separated: country code, region code,
// city, area code, local number), and the texts the page lists and stores; the node page's node
// list file.
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

// A name from outside (the installation medium) that may name a file of the current folder: not
// empty, no folder, drive or parent folder in it, no control characters.
bool isPlainFileName(const std::string& name);

// The node list file: comma-separated lines, each listed as its first field (the node's name)
// left-aligned in 25 characters, a tab, then its further fields separated by tabs. Empty lines
// are skipped. Nothing when `name` is not a plain file name, the file cannot be read or it is
// larger than kNodeListFileLimit.
inline constexpr size_t kNodeListFileLimit = 1 << 20;
std::vector<std::string> readNodeListFile(const std::string& name);
