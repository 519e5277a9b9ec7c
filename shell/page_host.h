// What the page commands need of the skinned window they arrived in and of the application: the
// window (CLmrDlg) implements it over its panes; tests implement it with a recording stand-in.
#pragma once

#include <windows.h>

#include <string>

#include "extra_dock.h"

enum class PagePane { TitleBar, Portal, Extra, Browser };

class PageHost {
public:
    virtual ~PageHost() = default;

    // Panes. A load with post data sends it with "Content-Type: application/x-www-form-urlencoded".
    virtual void navigate(PagePane pane, const std::string& url, const std::string& postData) = 0;
    virtual void goBack(PagePane pane) = 0;
    virtual void goForward(PagePane pane) = 0;
    virtual std::string currentUrl(PagePane pane) = 0;
    virtual std::string locationName(PagePane pane) = 0;
    virtual bool isOffline(PagePane pane) = 0;
    virtual void setOffline(PagePane pane, bool offline) = 0;
    // A standard command on the browser pane's document; false when it cannot be done (now).
    virtual bool execStandardCommand(int id) = 0;
    virtual std::string cookieText() = 0;

    // Page variables: a missing element reads empty and ignores writes.
    virtual std::string elementText(PagePane pane, const std::string& id) = 0;
    virtual void setElementText(PagePane pane, const std::string& id, const std::string& text) = 0;
    virtual std::string elementAttribute(PagePane pane, const std::string& id,
                                         const std::string& name) = 0;
    virtual void setElementAttribute(PagePane pane, const std::string& id, const std::string& name,
                                     const std::string& value) = 0;
    // The element's whole markup, its own tags included; replacing it puts new markup in its place.
    virtual std::string elementOuterHtml(PagePane pane, const std::string& id) = 0;
    virtual void setElementOuterHtml(PagePane pane, const std::string& id,
                                     const std::string& html) = 0;

    // The window.
    virtual void postClose() = 0;
    virtual void minimise() = 0;
    virtual bool isMaximised() = 0;
    virtual void maximise() = 0;
    virtual void restore() = 0;
    virtual void startTimer(UINT_PTR timerId) = 0;
    virtual void messageBox(const std::string& text) = 0;
    // The browser and extra rectangles as the skin's pages last set them, and the skin's own
    // browser rectangle; placePanes lays the panes out from them.
    virtual PaneRects& paneRects() = 0;
    virtual RECT skinBrowserRect() = 0;
    virtual void placePanes() = 0;
    // The skin's folder, ending in a backslash, and its online page for the browser.
    virtual std::string skinFolder() = 0;
    virtual std::string browserOnlineUrl() = 0;
    // The address the browser loads once a connection is up.
    virtual void setSavedUrl(const std::string& url) = 0;
    // The extra pane's current page as the program set it (its "domain" comes from it).
    virtual std::string extraUrl() = 0;
    virtual void setExtraUrl(const std::string& url) = 0;

    // The application.
    virtual bool hasApp() = 0;
    virtual bool dialupInUse() = 0;
    virtual bool isConnected() = 0;          // the provider's connection, as the application knows
    virtual bool connectionActive() = 0;     // any dial-up connection of the system
    virtual void showPopup(const std::string& page) = 0;
    virtual void closePopup() = 0;
    virtual bool ignoresConnect() = 0;
    virtual void toggleConnection() = 0;
    virtual void onConnected() = 0;
    virtual void requestFileUpdate(const std::string& fileName) = 0;
    virtual std::string listPhonebookEntries() = 0;
    virtual std::string listActiveConnections() = 0;
    virtual void setAccountData(const std::string& number, const std::string& user,
                                const std::string& password) = 0;
    virtual void addFavorite(const std::string& name, const std::string& url) = 0;
    virtual void organiseFavorites() = 0;
    virtual void rebuildFavoritesPages() = 0;
    // Takes over the settings the user made on dial.htm (the extra pane's "CONNECT").
    virtual void takeOverDialSettings() = 0;
};
