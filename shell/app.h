// The browser center's application object: one per process. It decides from the command line,
// the settings and the dial-up state what the run is for, owns the skinned windows and the popup,
// and ends the process when the last window has gone, asking first about an open connection.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app_framework.h"
#include "app_paths.h"
#include "dialup_seam.h"
#include "instance_counter.h"
#include "settings.h"
#include "signup_seam.h"
#include "skin_layout.h"
#include "status_pages_seam.h"
#include "update_seam.h"
#include "window_seam.h"

// The parts of the program the application object drives.
struct AppServices {
    AppFramework& framework;
    SkinStore& skins;
    WindowFactory& windows;
    StatusPages& statusPages;
    RasBinding& ras;
    ConnectionLifecycle& connection;
    TelephonyLocations& telephony;
    DialogFallback& dialogFallback;
    SignupFile& signup;
    ArchiveReader& archives;
    FavoritesPages& favorites;
    StandardBrowser& browser;
    UpdateQueue& updates;
};

class CLmrApp {
public:
    static constexpr int kMaxWindows = 100;

    // Fixes the paths (the install folder becomes the current folder), forces inline images on,
    // binds the shell's auto-complete and counts the process in the shared instance counter.
    CLmrApp(const AppPaths& paths, const AppServices& services);
    // The end of the run: monitor and skins freed, the browser setting restored, the dialer's
    // "Connected" written, libraries released; the last process starts pending replacements.
    ~CLmrApp();
    CLmrApp(const CLmrApp&) = delete;
    CLmrApp& operator=(const CLmrApp&) = delete;

    // The start of the run; true when the message loop is to run.
    bool InitInstance(const char* commandLine);
    // InitInstance, then the message loop while a window is open. Returns the exit code.
    int run(const char* commandLine);

    LmrWindow* addInstance(const std::string& skinName);
    LmrWindow* startAsBrowser(bool navigate, bool withPortal, bool fullScreen);
    void showPopup(const std::string& page);
    void closePopup();
    void onInstanceClosed(LmrWindow* window);
    void OnConnected();
    void OnDisconnected();
    void handleSignupModeTermination();
    void handleDialogFallback();
    void toggleConnection();
    void requestFileUpdate(const std::string& fileName);
    // The account a page gave for the next dial (not stored).
    void setAccountData(const std::string& number, const std::string& user,
                        const std::string& password);
    std::string listPhonebookEntries() { return s_.ras.listPhonebookEntries(); }
    std::string listActiveConnections() { return s_.ras.listActiveConnections(); }
    void addFavorite(const std::string& name, const std::string& url) {
        s_.favorites.addFavorite(name, url);
    }
    void organiseFavorites() { s_.favorites.organiseFavorites(); }
    void rebuildFavoritesPages() { s_.favorites.convertFavorites(); }
    // Any dial-up connection of the system is up.
    bool connectionIsActive();
    // A skin was replaced by an update: the list of skins and every open window of that skin get
    // the new layout.
    void refreshSkin(const SkinLayout& layout);
    // An update unpacked the skin of that name: its skin.ini is read and refreshes the skin.
    void skinUpdated(const std::string& skinName);

    const std::string& getStoredStartupMode() const;
    std::string readStartupMode() const;
    bool isSignupMode() const;

    const AppPaths& paths() const { return paths_; }
    CLmrSettings& settings() { return settings_; }
    SkinLayout& appLayout() { return m_AppLayout; }
    LmrWindow* popup() const { return m_Popup; }
    LONG instanceNumber() const { return m_InstanceNumber; }
    // How many browser centers run now (this one included).
    LONG instanceCount() const { return counter_.read(); }
    bool startedAsDialer() const { return m_StartedAsDialer; }
    // Starts the tray monitor, which offers to hang up and starts this program with
    // "-disconnect" for that.
    void startTrayMonitor();
    bool isConnected() const { return m_Connected; }
    bool ignoresConnect() const { return m_IgnoreConnect; }
    // True while a window or the popup is open.
    bool hasWindows() const;

private:
    bool providerIsConnected();
    void quit();
    void launchBrowserAndWait();
    void startTimerOfEveryWindow(UINT_PTR timerId);
    void startReplacement(const std::string& source, const std::string& target);

    AppPaths paths_;
    AppServices s_;
    CLmrSettings settings_;
    InstanceCounter counter_;
    LONG m_InstanceNumber = 0;
    std::string m_SavedInlineImages;
    // The current folder the program was started in (before it moves to its program folder).
    std::string m_StartDirectory;

    SkinLayout m_AppLayout;
    std::array<LmrWindow*, kMaxWindows> m_Windows{};
    int m_NextWindowNumber = 0;
    LmrWindow* m_Popup = nullptr;

    bool m_IgnoreConnect = false;
    bool m_Connected = false;
    bool m_SignupTerminated = false;
    bool m_StartedAsDialer = false;
    std::string m_DefaultSkin = "defhtml";

    // Set once, when the standard browser was launched or the user was asked about the
    // connection at the end of a run.
    bool m_BrowserLaunchedOrInformed = false;
    bool m_SignupStartDone = false;
    bool m_SignupPopupClosed = false;
    bool m_FirstConnectionHandled = false;
};
