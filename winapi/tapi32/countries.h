// The telephony country list (generated at build time by countries.py), ordered by identifier:
// the German name, the calling code and the dialling rules of every country.
#pragma once

#include <windows.h>

#include <cstddef>

namespace winapi::tapi {

struct Country {
    DWORD id;
    DWORD code;
    const char* name;  // Windows-1252
    const char* sameAreaRule;
    const char* longDistanceRule;
    const char* internationalRule;
};

extern const Country kCountries[];
extern const size_t kCountryCount;

// The country with that identifier, nullptr when there is none.
const Country* findCountry(DWORD id);

}  // namespace winapi::tapi
