// The member table of RASENTRY and the conversions through it.
#include "entry_fields.h"

#include <cstddef>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace winapi::ras {
namespace {

constexpr DWORD kSize95 = offsetof(RASENTRYA, dwSubEntries);
constexpr DWORD kSizeNt4 = offsetof(RASENTRYA, dwType);
constexpr DWORD kSize2000 = sizeof(RASENTRYA);
static_assert(kSize95 == 1768 && kSizeNt4 == 1796 && kSize2000 == 2088);

enum class Kind { Number, Text, Address, Guid };

struct Field {
    const char* key;
    Kind kind;
    size_t offset;
    size_t size;
};

#define RAS_FIELD(key, kind, member) \
    { key, kind, offsetof(RASENTRYA, member), sizeof(RASENTRYA::member) }

constexpr Field kFields[] = {
    RAS_FIELD("Options", Kind::Number, dwfOptions),
    RAS_FIELD("CountryID", Kind::Number, dwCountryID),
    RAS_FIELD("CountryCode", Kind::Number, dwCountryCode),
    RAS_FIELD("AreaCode", Kind::Text, szAreaCode),
    RAS_FIELD("PhoneNumber", Kind::Text, szLocalPhoneNumber),
    RAS_FIELD("IpAddress", Kind::Address, ipaddr),
    RAS_FIELD("IpDnsAddress", Kind::Address, ipaddrDns),
    RAS_FIELD("IpDns2Address", Kind::Address, ipaddrDnsAlt),
    RAS_FIELD("IpWinsAddress", Kind::Address, ipaddrWins),
    RAS_FIELD("IpWins2Address", Kind::Address, ipaddrWinsAlt),
    RAS_FIELD("FrameSize", Kind::Number, dwFrameSize),
    RAS_FIELD("NetProtocols", Kind::Number, dwfNetProtocols),
    RAS_FIELD("FramingProtocol", Kind::Number, dwFramingProtocol),
    RAS_FIELD("Script", Kind::Text, szScript),
    RAS_FIELD("AutodialDll", Kind::Text, szAutodialDll),
    RAS_FIELD("AutodialFunc", Kind::Text, szAutodialFunc),
    RAS_FIELD("DeviceType", Kind::Text, szDeviceType),
    RAS_FIELD("Device", Kind::Text, szDeviceName),
    RAS_FIELD("X25PadType", Kind::Text, szX25PadType),
    RAS_FIELD("X25Address", Kind::Text, szX25Address),
    RAS_FIELD("X25Facilities", Kind::Text, szX25Facilities),
    RAS_FIELD("X25UserData", Kind::Text, szX25UserData),
    RAS_FIELD("Channels", Kind::Number, dwChannels),
    RAS_FIELD("SubEntries", Kind::Number, dwSubEntries),
    RAS_FIELD("DialMode", Kind::Number, dwDialMode),
    RAS_FIELD("DialExtraPercent", Kind::Number, dwDialExtraPercent),
    RAS_FIELD("DialExtraSampleSeconds", Kind::Number, dwDialExtraSampleSeconds),
    RAS_FIELD("HangUpExtraPercent", Kind::Number, dwHangUpExtraPercent),
    RAS_FIELD("HangUpExtraSampleSeconds", Kind::Number, dwHangUpExtraSampleSeconds),
    RAS_FIELD("IdleDisconnectSeconds", Kind::Number, dwIdleDisconnectSeconds),
    RAS_FIELD("Type", Kind::Number, dwType),
    RAS_FIELD("EncryptionType", Kind::Number, dwEncryptionType),
    RAS_FIELD("CustomAuthKey", Kind::Number, dwCustomAuthKey),
    RAS_FIELD("Guid", Kind::Guid, guidId),
    RAS_FIELD("CustomDialDll", Kind::Text, szCustomDialDll),
    RAS_FIELD("VpnStrategy", Kind::Number, dwVpnStrategy),
};

#undef RAS_FIELD

DWORD emulatedPlatformSize() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return kSize2000;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return kSize95;
    return version.dwMajorVersion >= 5 ? kSize2000 : kSizeNt4;
}

std::string formatField(const Field& field, const BYTE* base) {
    const BYTE* p = base + field.offset;
    char text[64];
    switch (field.kind) {
    case Kind::Number: {
        DWORD value;
        std::memcpy(&value, p, sizeof value);
        return std::to_string(value);
    }
    case Kind::Text:
        return std::string(reinterpret_cast<const char*>(p), strnlen(reinterpret_cast<const char*>(p),
                                                                    field.size - 1));
    case Kind::Address:
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", p[0], p[1], p[2], p[3]);
        return text;
    case Kind::Guid: {
        std::string hex;
        for (size_t i = 0; i < field.size; ++i) {
            std::snprintf(text, sizeof text, "%02X", p[i]);
            hex += text;
        }
        return hex;
    }
    }
    return {};
}

void parseField(const Field& field, const std::string& text, BYTE* base) {
    BYTE* p = base + field.offset;
    switch (field.kind) {
    case Kind::Number: {
        char* end = nullptr;
        const DWORD value = static_cast<DWORD>(std::strtoul(text.c_str(), &end, 0));
        if (!*end) std::memcpy(p, &value, sizeof value);
        break;
    }
    case Kind::Text: {
        const size_t n = std::min(text.size(), field.size - 1);
        std::memcpy(p, text.data(), n);
        p[n] = 0;
        break;
    }
    case Kind::Address: {
        unsigned a, b, c, d;
        if (std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) == 4 && a < 256 && b < 256 &&
            c < 256 && d < 256) {
            p[0] = BYTE(a), p[1] = BYTE(b), p[2] = BYTE(c), p[3] = BYTE(d);
        }
        break;
    }
    case Kind::Guid:
        if (text.size() == field.size * 2)
            for (size_t i = 0; i < field.size; ++i) {
                unsigned byte = 0;
                if (std::sscanf(text.c_str() + 2 * i, "%2x", &byte) != 1) break;
                p[i] = BYTE(byte);
            }
        break;
    }
}

}  // namespace

DWORD systemEntrySize() { return emulatedPlatformSize(); }

bool knownEntrySize(DWORD size) {
    const DWORD system = emulatedPlatformSize();
    return (size == kSize95 || size == kSizeNt4 || size == kSize2000) && size <= system;
}

void entryFromPhonebook(const PhonebookEntry& stored, RASENTRYA& entry) {
    const DWORD size = entry.dwSize;
    auto* base = reinterpret_cast<BYTE*>(&entry);
    std::memset(base, 0, size);
    entry.dwSize = size;
    for (const Field& field : kFields) {
        if (field.offset + field.size > size) continue;
        const std::string text = stored.get(field.key);
        if (!text.empty()) parseField(field, text, base);
    }
}

void entryToPhonebook(const RASENTRYA& entry, PhonebookEntry& stored) {
    const auto* base = reinterpret_cast<const BYTE*>(&entry);
    for (const Field& field : kFields)
        if (field.offset + field.size <= entry.dwSize)
            stored.set(field.key, formatField(field, base));
}

void defaultEntry(RASENTRYA& entry) {
    const DWORD size = entry.dwSize;
    std::memset(&entry, 0, size);
    entry.dwSize = size;
    entry.dwfOptions = RASEO_UseCountryAndAreaCodes | RASEO_RemoteDefaultGateway |
                       RASEO_ModemLights | RASEO_SwCompression;
    entry.dwCountryID = 49;
    entry.dwCountryCode = 49;
    entry.dwfNetProtocols = RASNP_Ip;
    entry.dwFramingProtocol = RASFP_Ppp;
    if (size >= kSize2000) entry.dwType = RASET_Phone;
}

}  // namespace winapi::ras
