// Stand-ins for the parts of the browser center that this build does not contain yet (the dialog
// fallback, signup, favorites, the standard browser).
// None of them pretends to work: each traces that it is not available and answers what its real
// counterpart answers on failure (off line, no device). Each is replaced by the real part when
// that is built.
#pragma once

#include "dialup_seam.h"
#include "signup_seam.h"

class UnavailableDialogFallback : public DialogFallback {
public:
    void handleDialogFallback() override;
};

class UnavailableSignup : public SignupFile {
public:
    bool parseTNIFile(const std::string& customerLabel, const std::string& path,
                      bool closeAll) override;
    void patchSignupHtml(const std::string& htmlPath) override;
};

class UnavailableFavorites : public FavoritesPages {
public:
    void convertFavorites() override;
    void addFavorite(const std::string& name, const std::string& url) override;
    void organiseFavorites() override;
};

class UnavailableBrowser : public StandardBrowser {
public:
    void launchStandardBrowser(const std::string& address) override;
    bool browserWindowOpen() override { return false; }
};
