// The browser center's settings: build-time defaults from the string table, per-user values in
// the registry under "Software\<program name>", the dial-up switch of the program's ini file and
// the dial device of the settings file "<program name>.dat" in the Windows folder.
#pragma once

#include <string>

class RasBinding;

// User name and password are kept in the registry with 6 added to every byte.
std::string scrambleText(const std::string& text);
std::string unscrambleText(const std::string& text);

class CLmrSettings {
public:
    // Longest text of the last connection error.
    static constexpr size_t kConnectionErrorMax = 511;

    explicit CLmrSettings(std::string programName);

    // Reads the string table, the registry, the settings file and then `iniPath`. True only when
    // a dial device is recorded and that device exists.
    bool load(const std::string& iniPath, RasBinding& ras);

    const std::string& registryKey() const { return key_; }

    const std::string& entryName() const { return entryName_; }
    void setEntryName(const std::string& name) { entryName_ = name; }
    const std::string& userName() const { return userName_; }
    void setUserName(const std::string& name) { userName_ = name; }
    const std::string& password() const { return password_; }
    void setPassword(const std::string& password) { password_ = password; }
    const std::string& phoneNumber() const { return phoneNumber_; }
    void setPhoneNumber(const std::string& number) { phoneNumber_ = number; }
    const std::string& deviceName() const { return deviceName_; }
    void setDeviceName(const std::string& name) { deviceName_ = name; }
    bool useRas() const { return useRas_; }
    void setUseRas(bool useRas) { useRas_ = useRas; }
    const std::string& productTitle() const { return productTitle_; }
    void setProductTitle(const std::string& title) { productTitle_ = title; }
    const std::string& lastConnectionError() const { return lastConnectionError_; }
    void setLastConnectionError(const std::string& text);
    const std::string& storedStartupMode() const { return storedStartupMode_; }
    void setStoredStartupMode(const std::string& mode) { storedStartupMode_ = mode; }
    bool signupRequested() const { return signupRequested_; }
    void setSignupRequested(bool requested) { signupRequested_ = requested; }
    unsigned updatePeriodMs() const { return updatePeriodMs_; }
    void setUpdatePeriodMs(unsigned period) { updatePeriodMs_ = period; }

    // The in-memory values written to the registry (user name and password scrambled).
    bool saveUserName() const;
    bool savePassword() const;
    // The password the customer chose to keep (the in-memory one) or an empty one, and
    // "SavePassword" "1" or "0".
    void savePasswordChoice(bool keep) const;
    bool savePhoneNumber() const;
    bool saveStartupMode(const std::string& mode) const;
    bool saveStartUrl(const std::string& url) const;
    // The dial device written quoted to the settings file.
    bool saveDeviceName() const;

    // The registry value, or the build-time default when it is missing or empty.
    std::string readStartupMode() const;
    std::string readStartUrl() const;
    std::string readSignupUrl() const;
    std::string readPhoneNumber() const;
    std::string readRasEntryName() const;
    // The registry value, or its fixed default when missing.
    std::string readDefaultSkin() const;
    std::string readInstalled() const;
    std::string readSavePassword() const;

    // "<text> - <product title>", or the product title alone for an empty text.
    std::string windowTitle(const std::string& text) const;

    // "<program name>.dat", found by the profile functions in the Windows folder.
    const std::string& settingsFileName() const { return settingsFile_; }

private:
    std::string readOrDefault(const char* name, const std::string& defaultValue) const;

    std::string key_;
    std::string settingsFile_;
    std::string entryName_;
    std::string userName_;
    std::string password_;
    std::string phoneNumber_;
    std::string deviceName_;
    bool useRas_ = true;
    std::string productTitle_ = "Lumora Surf Center";
    std::string lastConnectionError_;
    std::string storedStartupMode_;
    bool signupRequested_ = false;
    unsigned updatePeriodMs_ = 10 * 1000;
};
