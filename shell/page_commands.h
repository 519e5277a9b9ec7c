// The skinned window's before-navigate handlers: a navigation to a URL with the marker
// "OLECMDID_" is cancelled and carried out as a command of the pane it arrived in (portal, title
// bar, extra pane); the browser pane's navigations are held back while offline and set the secure
// icon; the extra pane keeps its pages inside its folder.
#pragma once

#include <string>

#include "page_host.h"

class CPageCommands {
public:
    explicit CPageCommands(PageHost& host) : host_(host) {}

    // Each returns true when the navigation is to be cancelled. `postData` is what the
    // intercepted navigation carried (empty for none).
    bool OnBeforeNavigatePortal(const std::string& url, const std::string& postData);
    bool OnBeforeNavigateTitleBar(const std::string& url, const std::string& postData);
    bool OnBeforeNavigateExtra(const std::string& url, const std::string& postData);
    bool OnBeforeNavigateBrowser(const std::string& url);

    // Set by every command link of the extra pane: the next document it completes is then not
    // filled. Reading it clears it.
    bool takeCommandNavigation();
    void clearCommandNavigation() { commandNavigation_ = false; }

    // The extra pane's docking mode as the last command set it.
    long extraDock() const { return extraDock_; }
    // Docks the extra pane (T = mode, V = size) and places the panes.
    void dockExtra(long dock, long size);

private:
    void loadInBrowser(const std::string& target, const std::string& postData);
    void httpCommand(const std::string& command, const std::string& postData);
    void connectCommand(const std::string& command);
    void extraCommand(const std::string& command);
    void showConnectOrDisconnectPage();
    void standardCommand(int id);

    PageHost& host_;
    bool commandNavigation_ = false;
    long extraDock_ = 0;
};
