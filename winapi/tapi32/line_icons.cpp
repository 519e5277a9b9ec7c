// tapi32: lineGetIcon, the line devices' icons. A modem shows a modem, an ISDN adapter an ISDN
// card, any other line a telephone; the icons are drawn for this library (line_icons.py) and
// compiled into it. Like icons a provider loads from its resources, each is made once and shared:
// every caller gets the same handle and nobody destroys it.
#include <windows.h>

#include <ras.h>
#include <tapi.h>

#include "device_list.h"
#include "exports.h"
#include "icons.h"

#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>

namespace winapi::tapi {

extern const unsigned char kModemIcon[], kIsdnIcon[], kLineIcon[];
extern const std::size_t kModemIconSize, kIsdnIconSize, kLineIconSize;

namespace {

// The size LoadIcon gives a provider's icon (the system's large icon size).
constexpr int kIconSize = 32;

enum Kind { Modem, Isdn, OtherLine, kKinds };

HICON sharedIcon(Kind kind) {
    static std::once_flag made[kKinds];
    static HICON icons[kKinds] = {};
    std::call_once(made[kind], [kind] {
        switch (kind) {
        case Modem: icons[kind] = iconFromFile(kModemIcon, kModemIconSize, kIconSize); break;
        case Isdn: icons[kind] = iconFromFile(kIsdnIcon, kIsdnIconSize, kIconSize); break;
        default: icons[kind] = iconFromFile(kLineIcon, kLineIconSize, kIconSize); break;
        }
    });
    return icons[kind];
}

// The line itself ("tapi/line", or no class) is the only device class whose icon a line has.
bool lineClass(LPCSTR deviceClass) {
    return !deviceClass || !*deviceClass || lstrcmpiA(deviceClass, "tapi/line") == 0;
}

}  // namespace

}  // namespace winapi::tapi

using namespace winapi::tapi;

TAPI_EXPORT LONG WINAPI lineGetIcon(DWORD dwDeviceID, LPCSTR lpszDeviceClass, HICON* lphIcon) {
    if (!lphIcon) return static_cast<LONG>(LINEERR_INVALPOINTER);
    if (!lineClass(lpszDeviceClass)) return static_cast<LONG>(LINEERR_INVALDEVICECLASS);
    const auto devices = winapi::ras::listDevices();
    if (dwDeviceID >= devices.size()) return static_cast<LONG>(LINEERR_BADDEVICEID);
    const std::string& type = devices[dwDeviceID].first;
    const Kind kind = lstrcmpiA(type.c_str(), RASDT_Modem) == 0  ? Modem
                      : lstrcmpiA(type.c_str(), RASDT_Isdn) == 0 ? Isdn
                                                                  : OtherLine;
    HICON icon = sharedIcon(kind);
    if (!icon) return static_cast<LONG>(LINEERR_RESOURCEUNAVAIL);
    *lphIcon = icon;
    return 0;
}
