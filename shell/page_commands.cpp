// Carrying out the commands of the skin's pages in the window they came from.
#include "page_commands.h"

#include <windows.h>

#include "pane_command.h"
#include "process.h"
#include "text.h"
#include "trace.h"
#include "url.h"

namespace {

constexpr int kStandardRefresh = 22;

}  // namespace

void CPageCommands::loadInBrowser(const std::string& target, const std::string& postData) {
    host_.navigate(PagePane::Browser, target, postData);
}

void CPageCommands::standardCommand(int id) {
    if (!host_.execStandardCommand(id)) traceLine("Unable to execute command (right now)\n");
}

void CPageCommands::httpCommand(const std::string& command, const std::string& postData) {
    const HttpTarget target = httpTarget(parameterText(command, "HTTP:"), host_.skinFolder());
    if (target.rewritten) traceLine("navigating browser to:%s\n", target.url.c_str());
    loadInBrowser(target.url, postData);
}

void CPageCommands::showConnectOrDisconnectPage() {
    if (!host_.hasApp() || !host_.dialupInUse()) return;
    host_.showPopup(host_.connectionActive() ? "abbauen.htm" : "aufbauen.htm");
}

void CPageCommands::connectCommand(const std::string& command) {
    const std::string parameters = parameterText(command, "CONNECT");
    if (parameters.size() > 1 && parameters[0] == ':') {
        const AccountData account = accountDataOf(parameters.substr(1));
        if (!account.number.empty()) traceLine("setting phone number: \"%s\"\n", account.number.c_str());
        if (!account.user.empty()) traceLine("setting user name: \"%s\"\n", account.user.c_str());
        // The password never goes into the trace in clear.
        if (!account.password.empty())
            traceLine("setting password: \"%s\"\n", traceMask(account.password.c_str()).c_str());
        if (host_.hasApp()) host_.setAccountData(account.number, account.user, account.password);
    }
    showConnectOrDisconnectPage();
}

void CPageCommands::dockExtra(long dock, long size) {
    const char* visible = dockExtraPane(dock, size, host_.skinBrowserRect(), host_.paneRects());
    if (visible) host_.setElementText(PagePane::Portal, "CTN_EXTRA_VISIBLE", visible);
    extraDock_ = dock;
    host_.placePanes();
}

void CPageCommands::extraCommand(const std::string& command) {
    const std::string parameters = parameterText(command, "EXTRA:");
    dockExtra(numberParameter(parameters, "T=").value_or(0),
              numberParameter(parameters, "V=").value_or(0));
    std::string placement;
    const std::string page = extraPage(parameters, host_.skinFolder(), placement);
    host_.setExtraUrl(page);
    host_.navigate(PagePane::Extra, page, std::string());
    if (!placement.empty()) {
        setBrowserSides(placement, host_.paneRects().browser);
        host_.placePanes();
    }
}

bool CPageCommands::OnBeforeNavigatePortal(const std::string& url, const std::string& postData) {
    const auto command = paneCommandOf(url);
    if (!command) return false;
    switch (portalCommandOf(*command)) {
    case PortalCommand::Back: host_.goBack(PagePane::Browser); break;
    case PortalCommand::Next: host_.goForward(PagePane::Browser); break;
    case PortalCommand::Close: host_.postClose(); break;
    case PortalCommand::Enum:
        if (host_.hasApp()) host_.messageBox(host_.listPhonebookEntries());
        break;
    case PortalCommand::ShowCookie: host_.messageBox(host_.cookieText()); break;
    case PortalCommand::Test1: host_.startTimer(1); break;
    case PortalCommand::Test2: break;
    case PortalCommand::Test3:
        if (host_.hasApp()) host_.onConnected();
        break;
    case PortalCommand::Home: loadInBrowser(host_.browserOnlineUrl(), std::string()); break;
    case PortalCommand::Http: httpCommand(*command, postData); break;
    case PortalCommand::Local:
        loadInBrowser(host_.skinFolder() + parameterText(*command, "LOCAL:"), postData);
        break;
    case PortalCommand::Move:
        moveBrowserPane(parameterText(*command, "MOVE:"), extraDock_, host_.paneRects());
        host_.placePanes();
        break;
    case PortalCommand::Connect: connectCommand(*command); break;
    case PortalCommand::Update:
        if (host_.hasApp()) host_.requestFileUpdate("update.ini");
        break;
    case PortalCommand::Extra: extraCommand(*command); break;
    case PortalCommand::Refresh: {
        const std::string shown = host_.currentUrl(PagePane::Browser);
        if (startsWithNoCase(shown.c_str(), "file")) {
            loadInBrowser(shown, std::string());
        } else {
            standardCommand(kStandardRefresh);
        }
        break;
    }
    case PortalCommand::AddFavorite:
        if (!host_.hasApp()) break;
        host_.addFavorite(host_.locationName(PagePane::Browser), host_.currentUrl(PagePane::Browser));
        host_.rebuildFavoritesPages();
        break;
    case PortalCommand::OrganiseFavorites:
        if (!host_.hasApp()) break;
        host_.organiseFavorites();
        host_.rebuildFavoritesPages();
        break;
    case PortalCommand::ShowDownloadManager:
        PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("WM_TN_SHOW_DLMAN"), 0, 0);
        break;
    case PortalCommand::Standard: standardCommand(standardCommandOf(*command)); break;
    case PortalCommand::Unknown: traceLine("unknown command: \"%s\"\n", command->c_str()); break;
    }
    return true;
}

bool CPageCommands::OnBeforeNavigateTitleBar(const std::string& url, const std::string& postData) {
    const auto command = paneCommandOf(url);
    if (!command) return false;
    switch (titleBarCommandOf(*command)) {
    case TitleBarCommand::Close: host_.postClose(); break;
    case TitleBarCommand::Minimise: host_.minimise(); break;
    case TitleBarCommand::Test: runProgram("Notepad.exe", nullptr, SW_HIDE, false); break;
    case TitleBarCommand::Maximise:
        if (host_.isMaximised()) {
            host_.restore();
        } else {
            host_.maximise();
        }
        break;
    case TitleBarCommand::Connect: showConnectOrDisconnectPage(); break;
    case TitleBarCommand::Http: httpCommand(*command, postData); break;
    case TitleBarCommand::Unknown: traceLine("unknown command: \"%s\"\n", command->c_str()); break;
    }
    return true;
}

bool CPageCommands::OnBeforeNavigateExtra(const std::string& url, const std::string& postData) {
    const std::string extraUrl = host_.extraUrl();
    traceLine("new URL: %s, Extra URL: %s\n", url.c_str(), extraUrl.c_str());
    const auto command = paneCommandOf(url);
    if (!command) {
        const std::string domain = extraDomainOf(extraUrl);
        if (urlContains(url.c_str(), domain.c_str())) return false;
        traceLine("  redirected to browser (not within domain \"%s\")\n", domain.c_str());
        loadInBrowser(url, postData);
        return true;
    }
    commandNavigation_ = true;
    switch (extraCommandOf(*command)) {
    case ExtraCommand::Close: host_.postClose(); break;
    case ExtraCommand::Local: {
        const std::string target =
            url.substr(0, url.find(kCommandMarker)) + parameterText(*command, "LOCAL:");
        traceLine("navigating to: %s\n", target.c_str());
        host_.navigate(PagePane::Extra, target, std::string());
        break;
    }
    case ExtraCommand::Move: {
        const std::string parameters = parameterText(*command, "MOVE:");
        dockExtra(numberParameter(parameters, "T=").value_or(0),
                  numberParameter(parameters, "V=").value_or(0));
        break;
    }
    case ExtraCommand::Update:
        if (host_.hasApp()) host_.requestFileUpdate("update.ini");
        break;
    case ExtraCommand::Connect:
        if (!host_.hasApp() || !host_.dialupInUse()) break;
        if (host_.currentUrl(PagePane::Extra).find("dial.htm") != std::string::npos) {
            host_.takeOverDialSettings();
        } else {
            if (host_.ignoresConnect()) host_.closePopup();
            host_.toggleConnection();
        }
        break;
    case ExtraCommand::Back: host_.goBack(PagePane::Extra); break;
    case ExtraCommand::Next: host_.goForward(PagePane::Extra); break;
    case ExtraCommand::Enum:
        if (host_.hasApp()) host_.messageBox(host_.listActiveConnections());
        break;
    case ExtraCommand::Unknown: traceLine("unknown command: \"%s\"\n", command->c_str()); break;
    }
    return true;
}

bool CPageCommands::OnBeforeNavigateBrowser(const std::string& url) {
    traceLine("OnBeforeNavigateBrowser() - URL: \"%s\"\n", url.c_str());
    if (host_.isOffline(PagePane::Browser)) host_.setOffline(PagePane::Browser, false);
    // Local pages (a Windows path, or a file URL as the browser engine reports one) and blank
    // pages need no connection.
    const bool local = url.find(":\\") != std::string::npos ||
                       url.find("about:") != std::string::npos || startsWithNoCase(url.c_str(), "file:");
    if (host_.hasApp() && host_.dialupInUse() && !host_.isConnected() && !local) {
        host_.setSavedUrl(url);
        host_.showPopup("dial.htm");
        return true;
    }
    host_.setElementAttribute(PagePane::Portal, "IDC_SECURE", "src",
                              startsWithNoCase(url.c_str(), "https://") ? "secure.gif" : "insecure.gif");
    return false;
}

bool CPageCommands::takeCommandNavigation() {
    const bool was = commandNavigation_;
    commandNavigation_ = false;
    return was;
}
