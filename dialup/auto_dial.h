// AutoDial registration: the provider's phonebook entry is rewritten from the browser center's
// settings and names the custom-dial library (Windows 2000) or its AutoDial function (earlier
// systems), so that a dial of the entry from outside reaches the browser center; the registry
// makes that entry the machine's Internet connection.
#pragma once

#include <string>

// What the registration is made from (the browser center's settings and paths).
struct AutoDialSettings {
    bool useRas = false;
    std::string entryName;
    std::string phoneNumber;  // "+49 (030) 1234 567"
    std::string deviceName;
    std::string programFolder;  // ends in a backslash
    std::string programFile;    // lower case
};

// Splits "+CC (AREA) NUMBER" into the country code (as "%d"), the area and the number; a text
// without "(" is the number alone.
void splitPhoneNumber(const std::string& phone, std::string& country, std::string& area,
                      std::string& number);
// Replaces the entry with one made of exactly these values; true when the system took it.
bool writeRasEntry(const char* entryName, const char* number, const char* area,
                   const char* country, const char* deviceName, const char* libraryPath,
                   const char* functionName);
// Always true; failures are only traced. Does nothing unless dial-up is in use.
bool makeAutoDial(const AutoDialSettings& settings);
