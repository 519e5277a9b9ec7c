// The signup and branding parts working for the application.
#include "signup_parts.h"

#include "app.h"
#include "dial_services.h"
#include "favorites.h"
#include "signup_page.h"
#include "standard_browser.h"

bool SignupParts::parseTNIFile(const std::string& customerLabel, const std::string& path,
                               bool closeAll) {
    return ::parseTNIFile(customerLabel, path, closeAll, *this);
}

void SignupParts::patchSignupHtml(const std::string& htmlPath) {
    ::patchSignupHtml(htmlPath, app_->paths().programName);
}

void SignupParts::launchStandardBrowser(const std::string& address) {
    ::launchStandardBrowser(address);
}

bool SignupParts::browserWindowOpen() { return ::browserWindowOpen(); }

void SignupParts::convertFavorites() { ::convertFavorites(app_->paths().installDir); }

void SignupParts::addFavorite(const std::string& name, const std::string& url) {
    ::addFavorite(nullptr, name, url);
}

void SignupParts::organiseFavorites() { ::organizeFavorites(nullptr); }

std::string SignupParts::programFolder() { return app_->paths().installDir; }

std::string SignupParts::programName() { return app_->paths().programName; }

std::string SignupParts::entryName() { return app_->settings().entryName(); }

std::string SignupParts::userName() { return app_->settings().userName(); }

void SignupParts::storeStartupMode(const std::string& mode) {
    app_->settings().saveStartupMode(mode);
}

void SignupParts::storePhoneNumber(const std::string& number) {
    app_->settings().setPhoneNumber(number);
    app_->settings().savePhoneNumber();
}

void SignupParts::storeUserName(const std::string& name) {
    app_->settings().setUserName(name);
    app_->settings().saveUserName();
}

void SignupParts::storePassword(const std::string& password) {
    app_->settings().setPassword(password);
    app_->settings().savePassword();
}

void SignupParts::makeAutoDial() { dialServices_.makeAutoDial(app_->settings()); }
