// Stand-ins for the parts of the browser center that this build does not contain yet (skins and
// windows, status pages, dial-up, telephony, the dialog fallback, signup, archives, favorites,
// the standard browser, the update queue). None of them pretends to work: each traces that it is
// not available and answers what its real counterpart answers on failure (no window, no skin,
// off line, no device). Each is replaced by the real part when that is built.
#pragma once

#include "dialup_seam.h"
#include "signup_seam.h"
#include "status_pages_seam.h"
#include "update_seam.h"
#include "window_seam.h"

class UnavailableSkins : public SkinStore {
public:
    const SkinLayout* findOrLoadSkin(const std::string& skinName) override;
    bool readSkinIni(const std::string& skinName, SkinLayout& layout) override;
    SkinLayout layoutForNewWindow(const std::string& skinName, SkinLayout& appLayout) override;
    void freeSkins() override {}
};

class UnavailableWindows : public WindowFactory {
public:
    LmrWindow* createDialog(const SkinLayout& layout, int windowNumber) override;
    void bindAutoComplete() override;
    void enableControlContainment() override;
    void releaseShellLibrary() override {}
};

class UnavailableRas : public RasBinding {
public:
    bool rasDeviceExists(const std::string& deviceName) override;
    std::string getConnectedEntries() override { return std::string(); }
    void releaseRasApi() override {}
};

class UnavailableConnection : public ConnectionLifecycle {
public:
    bool createMonitor() override;
    void destroyMonitor() override {}
    bool monitorExists() const override { return false; }
    void toggleConnection() override;
};

class UnavailableTelephony : public TelephonyLocations {
public:
    std::string currentAreaCode() override;
};

class UnavailableDialogFallback : public DialogFallback {
public:
    void handleDialogFallback() override;
};

class UnavailableSignup : public SignupFile {
public:
    void parseTNIFile(const std::string& customerLabel, const std::string& path,
                      bool closeAll) override;
    void patchSignupHtml(const std::string& htmlPath) override;
};

class UnavailableArchives : public ArchiveReader {
public:
    std::unique_ptr<PackedArchive> archive(const std::string& path) override;
};

class UnavailableFavorites : public FavoritesPages {
public:
    void convertFavorites() override;
};

class UnavailableBrowser : public StandardBrowser {
public:
    void launchStandardBrowser(const std::string& address) override;
    bool browserWindowOpen() override { return false; }
};

class UnavailableUpdates : public UpdateQueue {
public:
    void requestFileUpdate(const std::string& fileName) override;
};
