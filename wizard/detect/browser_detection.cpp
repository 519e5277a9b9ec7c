// Browser detection and the browser page's rules. Version numbers are parsed by hand: a locale
// with a decimal comma must not turn "4.51" into 4.
#include "browser_detection.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kIeKey = "Software\\Microsoft\\Internet Explorer";
constexpr const char* kNetscapeKey = "SOFTWARE\\Netscape\\Netscape Navigator";
constexpr const char* kCodeTexts[] = {"",    "1.0", "2.0",  "2.0",  "3.0",  "3.0",
                                      "3.01", "3.02", "4.0", "4.0", "4.0", "4.01",
                                      "4.01", "5.00", "5.01"};

// A value as text (a number value in decimal); false when it is not there.
bool readValue(HKEY key, const char* name, char* text, DWORD size) {
    DWORD type = 0;
    DWORD length = size - 1;
    std::memset(text, 0, size);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &length) !=
        ERROR_SUCCESS)
        return false;
    if (type == REG_DWORD && length == sizeof(DWORD)) {
        DWORD number;
        std::memcpy(&number, text, sizeof number);
        std::snprintf(text, size, "%lu", static_cast<unsigned long>(number));
    }
    return true;
}

// The version's numbers split at the dots: major, minor, build.
void splitVersion(const char* version, long parts[3]) {
    parts[0] = parts[1] = parts[2] = 0;
    const char* at = version;
    for (int i = 0; i < 3 && at; ++i) {
        parts[i] = std::strtol(at, nullptr, 10);
        at = std::strchr(at, '.');
        if (at) ++at;
    }
}

void copyText(const std::string& value, char* text, size_t size) {
    if (!size) return;
    std::snprintf(text, size, "%s", value.c_str());
}

}  // namespace

int ieCodeFromVersion(const char* version) {
    long v[3];
    splitVersion(version, v);
    const long major = v[0], minor = v[1], build = v[2];
    if (major < 4) return 0;
    if (major == 4 && minor < 71) return 0;
    if (major > 5) return 16;
    if (minor > 0 && major == 5) return 15;
    if (minor == 0 && major == 5) return build >= 2919 ? 14 : 13;
    return 12;
}

int ieCodeFromBuild(long build) {
    if (build < 520) return 0;
    if (build < 1155) return 2;
    if (build < 1158) return 4;
    if (build < 1215) return 5;
    if (build < 1300) return 6;
    return 7;
}

int ieCodeFromIVer(long iver) {
    switch (iver) {
    case 100: return 1;
    case 102: return 2;
    case 101: return 3;
    default: return 0;
    }
}

std::string ieCodeText(int code, int major, int minor) {
    if (code == 15 || code == 16) {
        char text[32];
        std::snprintf(text, sizeof text, "%d.%d", major, minor);
        return text;
    }
    return code > 0 && code < 15 ? kCodeTexts[code] : "";
}

int detectInternetExplorer(char* text, size_t size, bool handlingOn) {
    copyText("", text, size);
    if (!handlingOn) return 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kIeKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    char value[101];
    int code = 0;
    long parts[3] = {0, 0, 0};
    if (readValue(key, "Version", value, sizeof value)) {
        code = ieCodeFromVersion(value);
        splitVersion(value, parts);
    } else if (readValue(key, "Build", value, sizeof value)) {
        code = ieCodeFromBuild(std::strtol(value, nullptr, 10));
    } else if (readValue(key, "IVer", value, sizeof value)) {
        code = ieCodeFromIVer(std::strtol(value, nullptr, 10));
    }
    RegCloseKey(key);
    copyText(ieCodeText(code, static_cast<int>(parts[0]), static_cast<int>(parts[1])), text, size);
    return code;
}

bool detectNetscape(char* text, size_t size, bool handlingOn) {
    copyText("", text, size);
    if (!handlingOn) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetscapeKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char value[256];
    const bool read = readValue(key, "CurrentVersion", value, sizeof value);
    RegCloseKey(key);
    if (!read || !*value) return false;
    copyText(value, text, size);
    return true;
}

double netscapeVersionNumber(const char* text) {
    double number = 0;
    const char* at = text;
    while (*at >= '0' && *at <= '9') number = number * 10 + (*at++ - '0');
    if (*at == '.') {
        double scale = 0.1;
        for (++at; *at >= '0' && *at <= '9'; ++at, scale /= 10) number += (*at - '0') * scale;
    }
    return number;
}

BrowserChoices internetExplorerChoices(int code) {
    BrowserChoices choices;
    if (code >= 12) choices.configureEnabled = true;
    if (code == 13 || code == 14) choices.installCaption = InstallCaption::Update;
    if (code > 14) choices.installEnabled = false;
    return choices;
}

BrowserChoices netscapeChoices(const char* versionText) {
    BrowserChoices choices;
    if (!*versionText) return choices;
    // The limits are parsed as the version is, so a version written like a limit equals it.
    const double v = netscapeVersionNumber(versionText);
    if (v < netscapeVersionNumber("4.0")) return choices;
    choices.configureEnabled = true;
    if (v >= netscapeVersionNumber("4.51") && v <= netscapeVersionNumber("4.519"))
        choices.installCaption = InstallCaption::Update;
    return choices;
}

std::string netscapeCaptionVersion(const char* versionText) {
    char text[32];
    std::snprintf(text, sizeof text, "%4.2f", netscapeVersionNumber(versionText));
    // "%4.2f" follows the locale: the page shows the version as it was written.
    for (char* c = text; *c; ++c)
        if (*c == ',') *c = '.';
    return text;
}

int presetBrowserChoice(int stored, bool ieOn, bool netscapeOn, bool noConfigure) {
    if (noConfigure && !ieOn && netscapeOn) return 3;
    if (noConfigure && ieOn && !netscapeOn) return 1;
    return stored;
}

std::string browserInstallerCommand(int choice, const char* shortName, bool ieOn, bool netscapeOn) {
    const char* program = "BR_32_IE.exe ";
    const char* verb = " install";
    switch (choice) {
    case 0: verb = " configure"; break;
    case 1: break;
    case 2: program = "BR_32_NC.exe "; verb = " configure"; break;
    case 3: program = "BR_32_NC.exe "; break;
    default:
        if (netscapeOn && !ieOn) program = "BR_32_NC.exe ";
        break;
    }
    return std::string(program) + shortName + verb;
}

bool stepAnimationFrame(WORD& index, WPARAM n, size_t frameCount) {
    // The index stops one past the last frame: counted on, it would wrap round and show the
    // frames again after 65536 messages.
    if (n == 0 || index >= frameCount) {
        if (index < frameCount) ++index;
    } else
        index = static_cast<WORD>(n);
    return frameCount != 0 && index < frameCount;
}
