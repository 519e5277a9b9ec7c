// Writing the provider's entry with the custom-dial library and registering it for AutoDial.
#include "auto_dial.h"

#include <windows.h>

#include <ras.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ras_api.h"
#include "ras_calls.h"
#include "registry.h"
#include "trace.h"

namespace {

constexpr const char* kLibraryFile = "Ardial32.DLL";
constexpr const char* kHandlerFunction = "TNAutoDialHandlerA";
constexpr const char* kInternetSettings =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kRemoteAccess = "RemoteAccess\\";

template <size_t N>
void copyText(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text ? text : "");
}

// Sixteen bytes a line: offset, hex bytes.
void traceHexDump(const void* data, DWORD size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (DWORD line = 0; line < size; line += 16) {
        char text[16 * 3 + 16] = {};
        int used = std::snprintf(text, sizeof text, "%04x:", static_cast<unsigned>(line));
        for (DWORD i = line; i < size && i < line + 16; ++i)
            used += std::snprintf(text + used, sizeof text - static_cast<size_t>(used), " %02x",
                                  bytes[i]);
        traceLine("%s\n", text);
    }
}

}  // namespace

void splitPhoneNumber(const std::string& phone, std::string& country, std::string& area,
                      std::string& number) {
    country.clear();
    area.clear();
    const size_t open = phone.find('(');
    if (open == std::string::npos) {
        number = phone;
        return;
    }
    // The digits after the leading "+", as a number.
    country = std::to_string(std::atoi(phone.c_str() + 1));
    const size_t close = phone.find(')', open + 1);
    if (close == std::string::npos) {
        number = phone;
        return;
    }
    area = phone.substr(open + 1, close - open - 1);
    const size_t rest = phone.find_first_not_of(' ', close + 1);
    number = rest == std::string::npos ? std::string() : phone.substr(rest);
}

bool writeRasEntry(const char* entryName, const char* number, const char* area,
                   const char* country, const char* deviceName, const char* libraryPath,
                   const char* functionName) {
    RASENTRYA* entry = nullptr;
    DWORD size = 0;
    if (!getEntryProperties("", &entry, &size)) return false;
    traceLine("rasEntrySize: %d bytes\n", static_cast<int>(size));
    traceHexDump(entry, size);
    if (size < kRasEntryWindows2000Size) {
        copyText(entry->szAutodialDll, libraryPath);
        copyText(entry->szAutodialFunc, functionName);
    } else {
        entry->dwType = RASET_Phone;
        traceLine("MAX_PATH = %d, szAutodialDll = %d\n", MAX_PATH,
                  static_cast<int>(std::strlen(libraryPath ? libraryPath : "")));
        copyText(entry->szCustomDialDll, libraryPath);
        entry->szAutodialDll[0] = 0;
        entry->szAutodialFunc[0] = 0;
        entry->dwVpnStrategy = 0;
    }
    copyText(entry->szAreaCode, area);
    copyText(entry->szLocalPhoneNumber, number);
    copyText(entry->szDeviceName, deviceName);
    char type[RAS_MaxDeviceType + 1] = {};
    if (getDeviceType(deviceName, type)) copyText(entry->szDeviceType, type);
    entry->dwfOptions =
        RASEO_UseCountryAndAreaCodes | RASEO_RemoteDefaultGateway | RASEO_ModemLights;
    entry->dwfNetProtocols = RASNP_Ip;
    entry->dwFramingProtocol = RASFP_Ppp;
    entry->dwCountryID = static_cast<DWORD>(std::strtoul(country ? country : "", nullptr, 10));
    DWORD code = entry->dwCountryID;
    getCountryCode(entry->dwCountryID, &code);
    entry->dwCountryCode = code;
    traceHexDump(entry, size);
    RasApiTable& api = rasApi();
    const bool written = api.pRasSetEntryProperties &&
                         api.pRasSetEntryProperties(nullptr, entryName, entry, size, nullptr, 0) == 0;
    std::free(entry);
    return written;
}

bool makeAutoDial(const AutoDialSettings& s) {
    if (!s.useRas) return true;
    traceLine("makeAutoDial()\n");
    std::string country, area, number;
    splitPhoneNumber(s.phoneNumber, country, area, number);
    const std::string library = s.programFolder + kLibraryFile;
    writeRasEntry(s.entryName.c_str(), number.c_str(), area.c_str(), country.c_str(),
                  s.deviceName.c_str(), library.c_str(), kHandlerFunction);

    RASDIALPARAMSA params;
    if (!getEntryDialParams(s.entryName.c_str(), &params)) {
        traceLine("Warning: unable to get ras entry dial parameters\n");
        std::memset(&params, 0, kRasDialParamsSize);
        params.dwSize = kRasDialParamsSize;
        copyText(params.szEntryName, s.entryName.c_str());
    }
    params.szUserName[0] = 0;
    params.szPassword[0] = 0;
    if (!setEntryDialParams(&params))
        traceLine("Error: unable to set ras entry dial parameters\n");

    const std::string key = "Software\\Tarnwell\\AutoDial\\" + s.entryName;
    regWriteString(key.c_str(), "Name", (s.programFolder + s.programFile).c_str());
    regWriteDword(kInternetSettings, "EnableAutodial", 1);
    regWriteDword(kInternetSettings, "NoNetAutodial", 0);
    regWriteString(kRemoteAccess, "Default", s.entryName.c_str());
    regWriteString(kRemoteAccess, "InternetProfile", s.entryName.c_str());
    return true;
}
