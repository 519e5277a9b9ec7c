// Applying a signup file: the customer's account, the start-up mode, the provider's dial-in
// number and the branding of the installed browsers and the mail client, from one text file in
// INI form that the provider hands out (or ships beside the program for the first start).
#pragma once

#include <string>

// Default of the signup command setting in the program's string table.
inline constexpr unsigned IDS_SIGNUP_COMMAND = 128;

// What applying a signup file changes in the browser center: its settings (in memory and in the
// registry) and the phonebook entry made from them.
class SignupAccount {
public:
    virtual ~SignupAccount() = default;
    // The program folder, with a trailing backslash, and the program name.
    virtual std::string programFolder() = 0;
    virtual std::string programName() = 0;
    // The provider's phonebook entry.
    virtual std::string entryName() = 0;
    // The user name the settings hold now.
    virtual std::string userName() = 0;
    virtual void storeStartupMode(const std::string& mode) = 0;
    virtual void storePhoneNumber(const std::string& number) = 0;
    virtual void storeUserName(const std::string& name) = 0;
    virtual void storePassword(const std::string& password) = 0;
    // Rewrites the provider's phonebook entry from the settings.
    virtual void makeAutoDial() = 0;
};

// A working copy of the signup file in the program folder (a temporary name beginning with
// "tni"), with the line ends normalised; the given file is never changed. Empty, and no copy
// left, when the file cannot be read or is no signup file (larger than 1 MiB, binary content).
std::string normaliseSignupCopy(const std::string& path, const std::string& folder);

// Writes the provider's proxy for the entry as the 60-byte connection setting of the web
// browser; a proxy text longer than 43 characters is cut.
void activateProxy(const std::string& proxy, const std::string& entryName);

// Applies the file. `closeAll` first ends the other running browser centers and closes the
// browsers' windows. True when the file was read and applied (the steps that fail on the way
// are traced and skipped); false when nothing was applied.
bool parseTNIFile(const std::string& customerLabel, const std::string& path, bool closeAll,
                  SignupAccount& account);
