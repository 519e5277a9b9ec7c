// The browser center's settings.
#include "settings.h"

#include <windows.h>

#include <cstring>
#include <utility>

#include "dialup_seam.h"
#include "registry.h"
#include "resource.h"
#include "string_resources.h"
#include "trace.h"

namespace {

constexpr unsigned char kScrambleOffset = 6;

// Profile values are read into buffers of this size, as the registry values are.
constexpr DWORD kProfileTextSize = 256;

}  // namespace

std::string scrambleText(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) + kScrambleOffset);
    return out;
}

std::string unscrambleText(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) - kScrambleOffset);
    return out;
}

CLmrSettings::CLmrSettings(std::string programName)
    : key_("Software\\" + programName), settingsFile_(programName + ".dat") {}

bool CLmrSettings::load(const std::string& iniPath, RasBinding& ras) {
    std::string title = loadResourceString(IDS_PRODUCT_TITLE);
    if (!title.empty()) productTitle_ = title;
    // "0" runs the queue at every tick of the message loop.
    int period = loadResourceNumber(IDS_UPDATE_PERIOD);
    if (period > 0 || loadResourceString(IDS_UPDATE_PERIOD) == "0")
        updatePeriodMs_ = static_cast<unsigned>(period) * 1000;

    entryName_ = readRasEntryName();
    // Only a missing value takes the default: an empty stored name or password stays empty.
    const char* user = regReadString(key_.c_str(), "UserName", nullptr);
    userName_ = user ? unscrambleText(user) : loadResourceText(IDS_DEFAULT_USER_NAME);
    const char* password = regReadString(key_.c_str(), "Password", nullptr);
    password_ = password ? unscrambleText(password) : loadResourceText(IDS_DEFAULT_PASSWORD);
    phoneNumber_ = readPhoneNumber();

    char text[kProfileTextSize];
    GetPrivateProfileStringA("variables", "RasDeviceName", "", text, sizeof text,
                             settingsFile_.c_str());
    deviceName_ = text;
    if (!deviceName_.empty() && deviceName_.front() == '"') {
        deviceName_.erase(0, 1);
        if (!deviceName_.empty()) deviceName_.pop_back();
    }

    GetPrivateProfileStringA("Dialup", "UseRas", "1", text, sizeof text, iniPath.c_str());
    useRas_ = std::strcmp(text, "1") == 0;

    return !deviceName_.empty() && ras.rasDeviceExists(deviceName_);
}

void CLmrSettings::setLastConnectionError(const std::string& text) {
    lastConnectionError_ = text.substr(0, kConnectionErrorMax);
}

bool CLmrSettings::saveUserName() const {
    traceLine("saving user name: \"%s\"\n", userName_.c_str());
    return regWriteString(key_.c_str(), "UserName", scrambleText(userName_).c_str());
}

bool CLmrSettings::savePassword() const {
    traceLine("saving password: \"%s\"\n", traceMask(password_.c_str()).c_str());
    return regWriteString(key_.c_str(), "Password", scrambleText(password_).c_str());
}

void CLmrSettings::savePasswordChoice(bool keep) const {
    if (keep)
        savePassword();
    else
        regWriteString(key_.c_str(), "Password", "");
    regWriteString(key_.c_str(), "SavePassword", keep ? "1" : "0");
}

bool CLmrSettings::savePhoneNumber() const {
    return regWriteString(key_.c_str(), "PhoneNumber", phoneNumber_.c_str());
}

bool CLmrSettings::saveStartupMode(const std::string& mode) const {
    return regWriteString(key_.c_str(), "StartupMode", mode.c_str());
}

bool CLmrSettings::saveStartUrl(const std::string& url) const {
    return regWriteString(key_.c_str(), "StartUrl", url.c_str());
}

bool CLmrSettings::saveDeviceName() const {
    std::string quoted = "\"" + deviceName_ + "\"";
    return WritePrivateProfileStringA("variables", "RasDeviceName", quoted.c_str(),
                                      settingsFile_.c_str()) != FALSE;
}

std::string CLmrSettings::readOrDefault(const char* name, const std::string& defaultValue) const {
    const char* value = regReadString(key_.c_str(), name, nullptr);
    return value && *value ? std::string(value) : defaultValue;
}

std::string CLmrSettings::readStartupMode() const {
    return readOrDefault("StartupMode", loadResourceString(IDS_STARTUP_MODE_DEFAULT));
}

std::string CLmrSettings::readStartUrl() const {
    return readOrDefault("StartUrl", loadResourceString(IDS_START_PAGE));
}

std::string CLmrSettings::readSignupUrl() const {
    return readOrDefault("SignupURL", loadResourceString(IDS_SIGNUP_PAGE));
}

std::string CLmrSettings::readPhoneNumber() const {
    return readOrDefault("PhoneNumber", loadResourceString(IDS_DEFAULT_PHONE_NUMBER));
}

std::string CLmrSettings::readRasEntryName() const {
    return readOrDefault("RasEntryName", loadResourceString(IDS_PROVIDER_NAME));
}

std::string CLmrSettings::readDefaultSkin() const {
    return regReadString(key_.c_str(), "DefaultSkin", "defhtml");
}

std::string CLmrSettings::readInstalled() const {
    return regReadString(key_.c_str(), "Installed", "0");
}

std::string CLmrSettings::readSavePassword() const {
    return regReadString(key_.c_str(), "SavePassword", "1");
}

std::string CLmrSettings::windowTitle(const std::string& text) const {
    return text.empty() ? productTitle_ : text + " - " + productTitle_;
}
