// Stand-ins for the parts the application object drives, recording what it asks of them, so the
// tests can set the dial-up state and see which windows, pages and programs a run leads to.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app.h"

class FakeWindow : public LmrWindow {
public:
    FakeWindow(const SkinLayout& layout, int number) : layout(layout), number(number) {}
    int windowNumber() const override { return number; }
    bool handleExists() const override { return true; }
    bool isClosing() const override { return closing; }
    const std::string& skinName() const override { return layout.m_SkinName; }
    void setLayout(const SkinLayout& newLayout) override { layout = newLayout; }
    void setFocus() override {}
    void moveWindow(int x, int y, int width, int height) override {
        position = {x, y, x + width, y + height};
    }
    void show() override { shown = true; }
    void makeTopmost() override { topmost = true; }
    void useDialogFrame() override {}
    void setBrowserOffline(bool offline) override { browserOffline = offline; }
    void setAllPanesOffline(bool offline) override { allOffline = offline; }
    void setWithPortal(bool with) override { withPortal = with; }
    void showBrowserPane() override {}
    void useExtraPaneOnly() override { extraOnly = true; }
    void navigateBrowser(const std::string& url) override { browserUrls.push_back(url); }
    void navigateExtra(const std::string& url) override { extraUrls.push_back(url); }
    void startTimer(UINT_PTR id) override { timers.push_back(id); }
    void postClose() override {
        closing = true;
        ++closeRequests;
    }
    void setExtraElementText(const std::string&, const std::string&) override {}

    SkinLayout layout;
    int number;
    bool closing = false;
    bool shown = false;
    bool topmost = false;
    bool browserOffline = true;
    bool allOffline = false;
    bool withPortal = false;
    bool extraOnly = false;
    RECT position = {0, 0, 0, 0};
    int closeRequests = 0;
    std::vector<std::string> browserUrls;
    std::vector<std::string> extraUrls;
    std::vector<UINT_PTR> timers;
};

class FakeParts : public AppFramework,
                  public SkinStore,
                  public WindowFactory,
                  public StatusPages,
                  public RasBinding,
                  public ConnectionLifecycle,
                  public TelephonyLocations,
                  public DialogFallback,
                  public SignupFile,
                  public ArchiveReader,
                  public FavoritesPages,
                  public StandardBrowser,
                  public UpdateQueue {
public:
    AppServices services() {
        return AppServices{*this, *this, *this, *this, *this, *this, *this,
                           *this, *this, *this, *this, *this, *this};
    }

    // AppFramework
    void messageBox(const char* text, const char*) override { messageBoxes.push_back(text); }
    bool initSockets() override { return socketsWork; }
    int screenWidth() override { return 1280; }
    RECT fullScreenArea() override { return RECT{0, 0, 1280, 1000}; }
    void postQuit() override { ++quits; }
    void runMessageLoop() override { ++loops; }
    void pumpAndSleep(DWORD) override;
    void sleep(DWORD) override {}

    // SkinStore
    const SkinLayout* findOrLoadSkin(const std::string&) override { return nullptr; }
    bool readSkinIni(const std::string& name, SkinLayout& layout) override;
    SkinLayout layoutForNewWindow(const std::string& name, SkinLayout& appLayout) override;
    void freeSkins() override { ++skinsFreed; }
    const SkinLayout& refreshSkin(const SkinLayout& layout) override { return refreshed = layout; }

    // WindowFactory
    LmrWindow* createDialog(const SkinLayout& layout, int number) override;
    void bindAutoComplete() override {}
    void enableControlContainment() override {}
    bool windowsAvailable() const override { return windowsStart; }
    bool dialogsAvailable() const override { return dialogsStart; }
    void releaseShellLibrary() override {}

    // StatusPages
    void migrateStatusPages(const AppPaths&, const CLmrSettings&) override { ++migrations; }

    // RasBinding
    bool rasDeviceExists(const std::string& name) override { return name == existingDevice; }
    std::string getConnectedEntries() override { return connected; }
    std::string listActiveConnections() override { return connected; }
    std::string listPhonebookEntries() override { return phonebook; }
    void releaseRasApi() override {}

    // ConnectionLifecycle
    bool createMonitor() override { return monitor = true; }
    void destroyMonitor() override { monitor = false; }
    bool monitorExists() const override { return monitor; }
    void toggleConnection() override;

    // TelephonyLocations, DialogFallback
    std::string currentAreaCode() override { return "030"; }
    void handleDialogFallback() override { ++fallbacks; }

    // SignupFile
    bool parseTNIFile(const std::string& label, const std::string& path, bool closeAll) override;
    void patchSignupHtml(const std::string& path) override { patched.push_back(path); }

    // ArchiveReader
    std::unique_ptr<PackedArchive> archive(const std::string& path) override;

    // FavoritesPages, StandardBrowser, UpdateQueue
    void convertFavorites() override { ++favoritesConverted; }
    void addFavorite(const std::string& name, const std::string& url) override {
        favoritesAdded.push_back(name + "|" + url);
    }
    void organiseFavorites() override { ++favoritesOrganised; }
    void launchStandardBrowser(const std::string& address) override;
    bool browserWindowOpen() override;
    void requestFileUpdate(const std::string& file) override { updateRequests.push_back(file); }

    // The window the app was told about last; the app is told the way a closing window tells it.
    FakeWindow* window(size_t index) { return windows.at(index).get(); }
    FakeWindow* lastWindow() { return windows.empty() ? nullptr : windows.back().get(); }

    // State the tests set.
    bool socketsWork = true;
    bool windowsStart = true;   // the skinned window's toolkit starts
    bool dialogsStart = false;  // plain dialogs can be shown

    bool signupApplies = true;
    bool skinIniReadable = true;
    bool windowsFail = false;
    std::string existingDevice;
    std::string connected;
    std::string phonebook;
    bool archiveOpens = true;
    bool extractionWorks = true;
    // The standard browser's window stays open for this many polls after launching.
    int browserOpenPolls = 0;
    // The connection ends when the browser window closes.
    bool browserClosesConnection = false;

    // What the app did.
    std::vector<std::string> messageBoxes;
    int quits = 0;
    int loops = 0;
    int skinsFreed = 0;
    SkinLayout refreshed;
    int migrations = 0;
    bool monitor = false;
    int toggles = 0;
    int fallbacks = 0;
    struct Parse {
        std::string label, path;
        bool closeAll;
    };
    std::vector<Parse> parsed;
    std::vector<std::string> patched;
    std::vector<std::string> archivesOpened;
    std::vector<std::string> extractedTo;
    int favoritesConverted = 0;
    std::vector<std::string> favoritesAdded;
    int favoritesOrganised = 0;
    std::vector<std::string> launched;
    std::vector<std::string> updateRequests;
    std::vector<std::unique_ptr<FakeWindow>> windows;
};
