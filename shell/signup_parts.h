// The browser center's signup and branding parts over signup/: the signup file applied to the
// application's settings, the standard browser, and the favorites pages of the skin.
#pragma once

#include <string>

#include "signup_file.h"
#include "signup_seam.h"

class CLmrApp;
class DialServices;

class SignupParts : public SignupFile,
                    public StandardBrowser,
                    public FavoritesPages,
                    private SignupAccount {
public:
    explicit SignupParts(DialServices& dialServices) : dialServices_(dialServices) {}
    // The application whose settings a signup file changes; set before the application runs.
    void attach(CLmrApp& app) { app_ = &app; }

    bool parseTNIFile(const std::string& customerLabel, const std::string& path,
                      bool closeAll) override;
    void patchSignupHtml(const std::string& htmlPath) override;
    void launchStandardBrowser(const std::string& address) override;
    bool browserWindowOpen() override;
    void convertFavorites() override;
    void addFavorite(const std::string& name, const std::string& url) override;
    void organiseFavorites() override;

private:
    std::string programFolder() override;
    std::string programName() override;
    std::string entryName() override;
    std::string userName() override;
    void storeStartupMode(const std::string& mode) override;
    void storePhoneNumber(const std::string& number) override;
    void storeUserName(const std::string& name) override;
    void storePassword(const std::string& password) override;
    void makeAutoDial() override;

    DialServices& dialServices_;
    CLmrApp* app_ = nullptr;
};
