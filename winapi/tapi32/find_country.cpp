// Looking a country up by its identifier.
#include "countries.h"

#include <algorithm>

namespace winapi::tapi {

const Country* findCountry(DWORD id) {
    const Country* end = kCountries + kCountryCount;
    const Country* found = std::lower_bound(
        kCountries, end, id, [](const Country& c, DWORD wanted) { return c.id < wanted; });
    return found != end && found->id == id ? found : nullptr;
}

}  // namespace winapi::tapi
