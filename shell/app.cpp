// The browser center's application object.
#include "app.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files.h"
#include "process.h"
#include "registry.h"
#include "resource.h"
#include "string_resources.h"
#include "text.h"
#include "trace.h"
#include "update_versions.h"

namespace {

constexpr const char* kInternetExplorerMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kInlineImages = "Display Inline Images";
constexpr const char* kIePath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
constexpr const char* kNetscapePath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\NETSCAPE.EXE";
constexpr const char* kIeVersionKey = "SOFTWARE\\Microsoft\\Internet Explorer";
// The first web browser control that can host the pages; older ones get plain dialogs.
constexpr const char* kMinimalIeVersion = "4.72.3110.1";

// Command lines and the paths built into them fit buffers of this size.
constexpr size_t kCommandLineSize = 512;
// Waiting for a new window's handle gives up after this many polls of 100 ms.
constexpr int kHandlePolls = 50;

// printf into a command-line buffer; false (and nothing to run) when the text does not fit.
bool formatLine(std::string& out, const char* format, ...)
    __attribute__((format(gnu_printf, 2, 3)));
bool formatLine(std::string& out, const char* format, ...) {
    char buffer[kCommandLineSize];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0 || static_cast<size_t>(n) >= sizeof buffer) {
        traceLine("text too long for its buffer, dropped: \"%s...\"\n", buffer);
        return false;
    }
    out.assign(buffer, static_cast<size_t>(n));
    return true;
}

// The path a browser is registered with ("Path" of its App Paths key, a trailing ';' removed).
std::string registeredBrowserPath(const char* key) {
    std::string path = regReadString(key, "Path", "", HKEY_LOCAL_MACHINE);
    if (!path.empty() && path.back() == ';') path.pop_back();
    return path;
}

std::string autoDialKey(const std::string& entryName) {
    return "Software\\Tarnwell\\AutoDial\\" + entryName;
}

}  // namespace

CLmrApp::CLmrApp(const AppPaths& paths, const AppServices& services)
    : paths_(paths), s_(services), settings_(paths.programName), counter_(paths.programName) {
    char start[MAX_PATH] = {};
    if (GetCurrentDirectoryA(sizeof start, start) < sizeof start) m_StartDirectory = start;
    SetCurrentDirectoryA(paths_.installDir.c_str());
    m_SavedInlineImages = regReadString(kInternetExplorerMain, kInlineImages, "yes");
    regWriteString(kInternetExplorerMain, kInlineImages, "yes");
    s_.windows.bindAutoComplete();
    m_InstanceNumber = counter_.attach();
}

CLmrApp::~CLmrApp() {
    s_.connection.destroyMonitor();
    s_.skins.freeSkins();
    regWriteString(kInternetExplorerMain, kInlineImages, m_SavedInlineImages.c_str());
    // The entry name is known once the settings are loaded; runs that end before (the version
    // import) have no dialer waiting for them.
    if (!settings_.entryName().empty())
        regWriteString(autoDialKey(settings_.entryName()).c_str(), "Connected",
                       connectionIsActive() ? "1" : "0");
    s_.windows.releaseShellLibrary();
    s_.ras.releaseRasApi();

    if (counter_.release() != 0) return;
    // The last process: files that were in use while it ran are replaced by the updater.
    std::string pendingLibrary = paths_.installDir + "_Ardial32.dll";
    if (fileExists(pendingLibrary.c_str()))
        startReplacement(pendingLibrary, paths_.installDir + "Ardial32.dll");
    // The program itself is delivered as "_" and its own file name ("_lumora.exe"; where
    // programs carry no extension, "_lumora").
    std::string pendingProgram = paths_.installDir + "_" + paths_.fileName;
    if (fileExists(pendingProgram.c_str())) startReplacement(pendingProgram, paths_.fullPath);
}

void CLmrApp::startReplacement(const std::string& source, const std::string& target) {
    std::string updater, line;
    if (!formatLine(updater, "%sTnUpdate.exe", paths_.installDir.c_str())) return;
    if (!formatLine(line, "-r\"%s\" -l\"%s\" -x\"3\"", source.c_str(), target.c_str())) return;
    runProgram(updater.c_str(), line.c_str(), SW_SHOW, false);
}

bool CLmrApp::InitInstance(const char* commandLine) {
    const char* raw = commandLine ? commandLine : "";
    traceLine("=== %s started ===\n", paths_.fullPath.c_str());
    traceLine("Command line: \"%s\"", raw);
    traceLine("%d. instance started\n", static_cast<int>(m_InstanceNumber));

    if (registeredBrowserPath(kIePath).empty() && registeredBrowserPath(kNetscapePath).empty()) {
        s_.framework.messageBox("Bitte installieren Sie einen Browser.",
                                settings_.productTitle().c_str());
        return false;
    }
    if (!s_.framework.initSockets()) {
        s_.framework.messageBox("Fehler beim Initialisieren der Windows-Sockets.",
                                settings_.productTitle().c_str());
        return false;
    }
    s_.windows.enableControlContainment();

    // The arguments: the command line without the program, which ends at its closing quote or,
    // unquoted, at the first blank.
    const char* rest = raw;
    if (*rest == '"') {
        const char* close = std::strchr(rest + 1, '"');
        rest = close ? close + 1 : rest + std::strlen(rest);
    } else {
        while (*rest && *rest != ' ' && *rest != '\t') ++rest;
    }
    while (*rest == ' ' || *rest == '\t') ++rest;
    std::string arguments(rest);
    if (arguments.size() >= kCommandLineSize) {
        traceLine("arguments cut to %u characters\n", static_cast<unsigned>(kCommandLineSize - 1));
        arguments.resize(kCommandLineSize - 1);
    }
    std::string lowerArguments = lowerText(arguments);
    m_StartedAsDialer = std::strstr(raw, "-dialer") != nullptr;

    if (lowerArguments.find("-importini") != std::string::npos) {
        importVersionNumbers(paths_.installDir, paths_.programName, "update.ini");
        return false;
    }

    std::string iniPath = paths_.installDir + paths_.programName + ".ini";
    bool deviceOk = settings_.load(iniPath, s_.ras);
    settings_.setStoredStartupMode(deviceOk ? settings_.readStartupMode() : "3");

    if (lowerArguments.find(".tni") != std::string::npos) {
        traceLine("The new instance will now parse the tni file...\n");
        // A file handed over by the shell comes in quotes, which are no part of its name.
        std::string file = lowerArguments;
        if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
            file = file.substr(1, file.size() - 2);
        // A file named relative to the folder the program was started in, not to the program
        // folder it works in.
        const bool absolute = !file.empty() && (file[0] == '\\' || file[0] == '/' ||
                                                (file.size() > 1 && file[1] == ':'));
        if (!absolute && !m_StartDirectory.empty()) file = m_StartDirectory + "\\" + file;
        s_.signup.parseTNIFile(paths_.programName, file, true);
        traceLine("...done\n");
        return false;
    }

    if (std::atoi(settings_.readInstalled().c_str()) == 0) {
        std::string branding = paths_.installDir + paths_.programName + ".tni";
        traceLine("First time branding of file: \"%s\"...\n", branding.c_str());
        // The installation counts as branded once its file was applied, or when it ships none;
        // a file that could not be applied is tried again at the next start.
        if (s_.signup.parseTNIFile(paths_.programName, branding, true) ||
            !fileExists(branding.c_str()))
            regWriteString(settings_.registryKey().c_str(), "Installed", "1");
    }

    // The first instance unpacks the pages anew; a later one leaves the folder to the pages the
    // running instances show, unless the folder is gone (the installation was copied anew while a
    // browser center ran): then nobody shows them and every dial page would fail to open.
    std::string configArchive = paths_.installDir + "config.dat";
    std::string configDir = paths_.installDir + "config";
    if (fileExists(configArchive.c_str()) &&
        (counter_.read() == 1 || GetFileAttributesA(configDir.c_str()) == INVALID_FILE_ATTRIBUTES)) {
        auto archive = s_.archives.archive(configArchive);
        if (archive && archive->openArchive()) {
            deleteDirectoryTree(configDir.c_str());
            if (!archive->extractAll(configDir + "\\")) return false;
        }
    }

    std::string downloadManager;
    if (formatLine(downloadManager, "%sdlman.exe", paths_.installDir.c_str())) {
        traceLine("now starting \"%s\"\n", downloadManager.c_str());
        runProgram(downloadManager.c_str(), nullptr, SW_SHOW, false);
    }

    s_.telephony.currentAreaCode();

    std::string ieVersion = regReadString(kIeVersionKey, "Version", "1.0.0.0", HKEY_LOCAL_MACHINE);
    if (std::strcmp(ieVersion.c_str(), kMinimalIeVersion) < 0) {
        handleDialogFallback();
        return false;
    }
    // Without its skinned window the program still lets the customer configure, dial and hang
    // up, as long as plain dialogs can be shown.
    if (!s_.windows.windowsAvailable() && s_.windows.dialogsAvailable()) {
        traceLine("the skinned window cannot be shown: running the dialog fallback\n");
        handleDialogFallback();
        return false;
    }

    s_.statusPages.migrateStatusPages(paths_, settings_);
    if (settings_.useRas()) m_Connected = connectionIsActive();
    s_.connection.createMonitor();

    m_DefaultSkin = settings_.readDefaultSkin();
    s_.skins.findOrLoadSkin(m_DefaultSkin);
    bool skinIniRead = s_.skins.readSkinIni(m_DefaultSkin, m_AppLayout);
    std::string skinArchive = paths_.installDir + m_DefaultSkin + ".dat";
    bool noSkin = !skinIniRead && !fileExists(skinArchive.c_str());

    std::string connected = s_.ras.getConnectedEntries();
    bool providerConnected = connected == settings_.entryName();
    if (lowerArguments.find("-disconnect") != std::string::npos) {
        traceLine("-disconnect: active connection: \"%s\"\n", connected.c_str());
        if (!providerConnected) return false;
        m_IgnoreConnect = true;
        showPopup("QClose.htm");
        return true;
    }
    if (providerConnected && noSkin) {
        m_IgnoreConnect = true;
        showPopup("QClose.htm");
        return true;
    }

    if (!m_StartedAsDialer) {
        if (noSkin) {
            if (!connected.empty() && !providerConnected) toggleConnection();
            showPopup("dial.htm");
            return true;
        }
        if (!arguments.empty()) {
            std::string url = arguments;
            if (url.front() == '"') {
                size_t close = url.find('"', 1);
                url = close == std::string::npos ? std::string() : url.substr(1, close - 1);
            }
            m_AppLayout.m_BrowserOfflineUrl = url;
            traceLine("offline URL from the command line: \"%s\"\n", url.c_str());
        }
        if (settings_.useRas() && getStoredStartupMode() == "3") showPopup("dial.htm");
        startAsBrowser(true, true, false);
        s_.favorites.convertFavorites();
        return true;
    }

    if (!settings_.useRas()) return false;
    traceLine("Started as dialer. Now showing dial.htm.\n");
    showPopup("dial.htm");
    return true;
}

int CLmrApp::run(const char* commandLine) {
    if (!InitInstance(commandLine)) return 0;
    if (!hasWindows()) {
        traceLine("no window could be opened - ending\n");
        return 0;
    }
    s_.framework.runMessageLoop();
    return 0;
}

bool CLmrApp::hasWindows() const {
    if (m_Popup) return true;
    for (LmrWindow* window : m_Windows)
        if (window) return true;
    return false;
}

LmrWindow* CLmrApp::addInstance(const std::string& skinName) {
    size_t slot = 0;
    while (slot < m_Windows.size() && m_Windows[slot]) ++slot;
    if (slot == m_Windows.size()) {
        traceLine("addInstance (%s): all %d windows in use\n", skinName.c_str(), kMaxWindows);
        return nullptr;
    }
    SkinLayout layout = s_.skins.layoutForNewWindow(skinName, m_AppLayout);
    LmrWindow* window = s_.windows.createDialog(layout, m_NextWindowNumber++);
    if (!window) return nullptr;
    m_Windows[slot] = window;
    window->setLayout(layout);
    window->setFocus();
    return window;
}

LmrWindow* CLmrApp::startAsBrowser(bool navigate, bool withPortal, bool fullScreen) {
    LmrWindow* window = addInstance(m_DefaultSkin);
    if (!window) return nullptr;
    for (int poll = 0; !window->handleExists(); ++poll) {
        if (poll == kHandlePolls) {
            traceLine("startAsBrowser() - the window handle was not created\n");
            return nullptr;
        }
        s_.framework.sleep(100);
    }
    int width = loadResourceNumber(IDS_BROWSER_WIDTH);
    int height = loadResourceNumber(IDS_BROWSER_HEIGHT);
    if (width > 0 && height > 0) {
        int x = s_.framework.screenWidth() / 2 - width / 2;
        window->moveWindow(x < 0 ? 0 : x, 0, width, height);
    }
    window->setBrowserOffline(false);
    window->setWithPortal(withPortal);
    window->showBrowserPane();
    if (fullScreen) {
        traceLine("startAsBrowser() - fullscreen mode");
        RECT area = s_.framework.fullScreenArea();
        window->moveWindow(area.left, area.top, area.right - area.left, area.bottom - area.top);
    }
    if (navigate)
        window->navigateBrowser(m_Connected || !settings_.useRas()
                                    ? m_AppLayout.m_BrowserOnlineUrl
                                    : m_AppLayout.m_BrowserOfflineUrl);
    if (!settings_.useRas()) {
        requestFileUpdate("update.ini");
        requestFileUpdate("update.ini");
    }
    return window;
}

void CLmrApp::showPopup(const std::string& page) {
    std::string url = page;
    if (!startsWithNoCase(page.c_str(), "http") &&
        !formatLine(url, "%sconfig\\%s", paths_.installDir.c_str(), page.c_str()))
        return;
    if (m_Popup && !m_Popup->isClosing()) {
        traceLine("POPUP window still active... redirecting\n");
        m_Popup->navigateExtra(url);
        return;
    }
    LmrWindow* popup = s_.windows.createDialog(m_AppLayout, m_NextWindowNumber++);
    if (!popup) {
        traceLine("showPopup (%s): no popup window\n", url.c_str());
        return;
    }
    m_Popup = popup;
    popup->setAllPanesOffline(true);
    popup->makeTopmost();
    popup->useDialogFrame();
    int width = loadResourceNumber(IDS_POPUP_WIDTH);
    int height = loadResourceNumber(IDS_POPUP_HEIGHT);
    RECT area = s_.framework.fullScreenArea();
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    popup->moveWindow(x, y, width, height);
    popup->useExtraPaneOnly();
    popup->navigateExtra(url);
    popup->show();
}

void CLmrApp::closePopup() {
    if (!m_Popup) {
        traceLine("closePopup() - no popup window\n");
        return;
    }
    if (m_Popup->isClosing()) {
        traceLine("closePopup() - popup window already closing\n");
        return;
    }
    m_Popup->postClose();
}

void CLmrApp::onInstanceClosed(LmrWindow* window) {
    TraceScope scope(window ? window->windowNumber() : -1);
    bool closedPopup = false;
    if (window && window == m_Popup) {
        m_Popup = nullptr;
        closedPopup = true;
    }
    for (LmrWindow*& slot : m_Windows)
        if (slot == window) slot = nullptr;
    if (hasWindows()) return;

    if (!settings_.useRas()) {
        quit();
        return;
    }
    if (m_IgnoreConnect) {
        traceLine("(m_IgnoreConnect == true) - terminating application\n");
        quit();
        return;
    }

    LONG currentInstance = counter_.read();
    traceLine("Current instance counter: %d\n", static_cast<int>(currentInstance));
    std::string registryMode = readStartupMode();
    if (registryMode != getStoredStartupMode() && !m_SignupTerminated) {
        if (registryMode != "0") {
            handleSignupModeTermination();
            return;
        }
    } else if (isSignupMode() && !m_SignupTerminated) {
        handleSignupModeTermination();
        return;
    }

    if (m_StartedAsDialer) {
        bool connected = connectionIsActive();
        regWriteString(autoDialKey(settings_.entryName()).c_str(), "Connected",
                       connected ? "1" : "0");
        if (currentInstance == 1 && !s_.browser.browserWindowOpen() &&
            !m_BrowserLaunchedOrInformed) {
            if (!connected) {
                traceLine("*not* launching standard browser... No Connection yet\n");
                quit();
                return;
            }
            s_.browser.launchStandardBrowser(settings_.readStartUrl());
        }
        launchBrowserAndWait();
        if (!connectionIsActive()) {
            quit();
            return;
        }
        if (m_BrowserLaunchedOrInformed || currentInstance != 1) {
            traceLine("user already informed\n");
            quit();
            return;
        }
        m_BrowserLaunchedOrInformed = true;
        showPopup("QClose.htm");
        return;
    }

    if (currentInstance == 1) {
        std::string skinIni = paths_.installDir + m_DefaultSkin + "\\skin.ini";
        if (connectionIsActive() && !m_BrowserLaunchedOrInformed &&
            !fileExists(skinIni.c_str())) {
            m_BrowserLaunchedOrInformed = true;
            s_.browser.launchStandardBrowser(settings_.readStartUrl());
            launchBrowserAndWait();
            if (connectionIsActive()) {
                showPopup("QClose.htm");
                return;
            }
        } else if (!closedPopup) {
            std::string connected = s_.ras.getConnectedEntries();
            bool askAny = loadResourceNumber(IDS_ASK_ON_CLOSE_ANY) == 1;
            bool ask = !connected.empty() &&
                       (askAny || connected.find(settings_.entryName()) != std::string::npos);
            if (ask) {
                showPopup("QClose.htm");
                return;
            }
        }
    }
    traceLine("posting Quit Message\n");
    quit();
}

// Waits while a window of the standard browser is open and the connection is up.
void CLmrApp::launchBrowserAndWait() {
    while (s_.browser.browserWindowOpen() && connectionIsActive()) s_.framework.pumpAndSleep(100);
}

void CLmrApp::OnConnected() {
    if (m_IgnoreConnect) return;
    LONG counterAtStart = counter_.read();
    m_Connected = true;
    startTrayMonitor();

    regWriteString(("RemoteAccess\\Profile\\" + settings_.entryName()).c_str(), "User", "");

    if (!providerIsConnected()) {
        traceLine("externally connected...\n");
        return;
    }

    if (isSignupMode()) {
        traceLine("OnConnected () - in signup mode\n");
        if (!m_SignupStartDone) {
            std::string startUrl = settings_.readStartUrl();
            if (startUrl.find("./") != std::string::npos) startUrl = paths_.installDir + startUrl;
            s_.signup.patchSignupHtml(startUrl);
            m_AppLayout.m_TitleBarUrl = paths_.installDir + "config\\Titlebar.htm";
            m_AppLayout.m_BrowserOnlineUrl = startUrl;
            startAsBrowser(true, false, true);
            traceLine("signup mode: closing popup window...\n");
            if (!m_SignupPopupClosed) {
                closePopup();
                m_SignupPopupClosed = true;
            }
            m_SignupStartDone = true;
        } else {
            s_.framework.sleep(500);
        }
        m_FirstConnectionHandled = true;
        return;
    }

    traceLine("not in signup mode: showing connect.htm...\n");
    closePopup();
    requestFileUpdate("update.ini");
    requestFileUpdate("update.ini");
    startTimerOfEveryWindow(1);
    if (!m_FirstConnectionHandled && counterAtStart == 1) {
        for (LmrWindow* window : m_Windows)
            if (window) requestFileUpdate("update.ini");
        m_FirstConnectionHandled = true;
    }
}

void CLmrApp::startTrayMonitor() {
    std::string tray, line;
    if (formatLine(tray, "%sTnRasMon.exe", paths_.installDir.c_str()) &&
        formatLine(line, "%s -exe \"%s -disconnect\"", tray.c_str(), paths_.fullPath.c_str()))
        runProgram(tray.c_str(), line.c_str(), SW_SHOW, false);
}

void CLmrApp::OnDisconnected() {
    m_Connected = false;
    if (isSignupMode() || m_SignupTerminated) return;
    closePopup();
    startTimerOfEveryWindow(2);
}

void CLmrApp::handleSignupModeTermination() {
    m_SignupTerminated = true;
    bool wasConnected = connectionIsActive();
    if (wasConnected) toggleConnection();
    std::string stored = getStoredStartupMode();
    std::string registry = readStartupMode();
    traceLine("  getStoredStartupMode() returns: %s\n", stored.c_str());
    traceLine("  readStartupMode()      returns: %s\n", registry.c_str());
    if (stored != registry) {
        if (registry == "0") {
            showPopup("SignupSuccess.htm");
        } else {
            traceLine("Terminating application\n");
            quit();
        }
    } else if (wasConnected) {
        showPopup("SignupError.htm");
    } else {
        quit();
    }
}

void CLmrApp::handleDialogFallback() { s_.dialogFallback.handleDialogFallback(); }

void CLmrApp::toggleConnection() {
    if (!settings_.useRas() || !s_.connection.monitorExists()) return;
    s_.connection.toggleConnection();
}

void CLmrApp::requestFileUpdate(const std::string& fileName) {
    s_.updates.requestFileUpdate(fileName);
}

void CLmrApp::setAccountData(const std::string& number, const std::string& user,
                             const std::string& password) {
    if (!number.empty()) settings_.setPhoneNumber(number);
    if (!user.empty()) settings_.setUserName(user);
    if (!password.empty()) settings_.setPassword(password);
}

void CLmrApp::refreshSkin(const SkinLayout& layout) {
    const SkinLayout& stored = s_.skins.refreshSkin(layout);
    for (LmrWindow* window : m_Windows)
        if (window && window->skinName() == stored.m_SkinName) window->setLayout(stored);
}

void CLmrApp::skinUpdated(const std::string& skinName) {
    SkinLayout layout;
    if (s_.skins.readSkinIni(skinName, layout))
        refreshSkin(layout);
    else
        traceLine("skinUpdated (%s): no skin.ini\n", skinName.c_str());
}

const std::string& CLmrApp::getStoredStartupMode() const { return settings_.storedStartupMode(); }

std::string CLmrApp::readStartupMode() const { return settings_.readStartupMode(); }

bool CLmrApp::isSignupMode() const {
    return readStartupMode() == "1" || settings_.signupRequested();
}

bool CLmrApp::connectionIsActive() { return !s_.ras.getConnectedEntries().empty(); }

bool CLmrApp::providerIsConnected() {
    return s_.ras.getConnectedEntries() == settings_.entryName();
}

void CLmrApp::quit() { s_.framework.postQuit(); }

void CLmrApp::startTimerOfEveryWindow(UINT_PTR timerId) {
    for (LmrWindow* window : m_Windows)
        if (window) window->startTimer(timerId);
}
