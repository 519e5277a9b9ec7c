// CLmrDlg, one skinned browser center window (a browser window or the popup): the five panes of
// its skin placed on the client area, the mask, the timers, the keyboard filter, the location bar
// and the window's reactions to its browser panes, and the commands of the skin's pages. It is a message window (timers, posted and
// broadcast messages reach it through its HWND) drawn by the user-interface toolkit.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "dial_page.h"
#include "page_commands.h"
#include "page_host.h"
#include "skinned_window.h"
#include "typed_urls.h"
#include "window_seam.h"

class CLmrApp;

class CLmrDlg : public LmrWindow, public ui::WindowEvents, public PageHost {
public:
    // Creates the hidden window (create and init-dialog steps); check handleExists().
    CLmrDlg(CLmrApp& app, SkinStore& skins, DialPageServices& dialServices, ui::Toolkit& toolkit,
            const SkinLayout& layout, int windowNumber);
    ~CLmrDlg() override;

    // LmrWindow
    int windowNumber() const override { return m_WindowNumber; }
    bool handleExists() const override { return m_hWnd != nullptr && m_Ui != nullptr; }
    bool isClosing() const override { return m_Closing; }
    const std::string& skinName() const override { return m_Layout.m_SkinName; }
    void setLayout(const SkinLayout& layout) override;
    void setFocus() override;
    void moveWindow(int x, int y, int width, int height) override;
    void show() override;
    void makeTopmost() override;
    void useDialogFrame() override;
    void setBrowserOffline(bool offline) override;
    void setAllPanesOffline(bool offline) override;
    void setWithPortal(bool withPortal) override { m_WithPortal = withPortal; }
    void showBrowserPane() override;
    void useExtraPaneOnly() override;
    void navigateBrowser(const std::string& url) override;
    void navigateExtra(const std::string& url) override;
    void startTimer(UINT_PTR timerId) override;
    void postClose() override;
    void setExtraElementText(const std::string& id, const std::string& text) override {
        setElementText(PagePane::Extra, id, text);
    }

    // PageHost (startTimer and postClose above serve both)
    void navigate(PagePane pane, const std::string& url, const std::string& postData) override;
    void goBack(PagePane pane) override;
    void goForward(PagePane pane) override;
    std::string currentUrl(PagePane pane) override;
    std::string locationName(PagePane pane) override;
    bool isOffline(PagePane pane) override;
    void setOffline(PagePane pane, bool offline) override;
    bool execStandardCommand(int id) override;
    std::string cookieText() override;
    std::string elementText(PagePane pane, const std::string& id) override;
    void setElementText(PagePane pane, const std::string& id, const std::string& text) override;
    std::string elementAttribute(PagePane pane, const std::string& id,
                                 const std::string& name) override;
    void setElementAttribute(PagePane pane, const std::string& id, const std::string& name,
                             const std::string& value) override;
    std::string elementOuterHtml(PagePane pane, const std::string& id) override;
    void setElementOuterHtml(PagePane pane, const std::string& id,
                             const std::string& html) override;
    void minimise() override;
    bool isMaximised() override;
    void maximise() override;
    void restore() override;
    void messageBox(const std::string& text) override;
    PaneRects& paneRects() override { return m_Rects; }
    RECT skinBrowserRect() override { return m_Layout.m_BrowserRect; }
    std::string skinFolder() override;
    std::string browserOnlineUrl() override { return m_Layout.m_BrowserOnlineUrl; }
    void setSavedUrl(const std::string& url) override { m_SavedUrl = url; }
    std::string extraUrl() override { return m_ExtraUrl; }
    void setExtraUrl(const std::string& url) override { m_ExtraUrl = url; }
    bool hasApp() override { return true; }
    bool dialupInUse() override;
    bool isConnected() override;
    bool connectionActive() override;
    void showPopup(const std::string& page) override;
    void closePopup() override;
    bool ignoresConnect() override;
    void toggleConnection() override;
    void onConnected() override;
    void requestFileUpdate(const std::string& fileName) override;
    std::string listPhonebookEntries() override;
    std::string listActiveConnections() override;
    void setAccountData(const std::string& number, const std::string& user,
                        const std::string& password) override;
    void addFavorite(const std::string& name, const std::string& url) override;
    void organiseFavorites() override;
    void rebuildFavoritesPages() override;
    void takeOverDialSettings() override { m_DialPage.takeOverDialSettings(); }

    // ui::WindowEvents
    bool onBeforeNavigate(ui::PaneId pane, const std::string& url,
                          const std::string& postData) override;
    void onNavigateComplete(ui::PaneId pane, const std::string& url) override;
    void onDocumentComplete(ui::PaneId pane, const std::string& url) override;
    void onTitleChange(ui::PaneId pane, const std::string& title) override;
    void onStatusTextChange(ui::PaneId pane, const std::string& text) override;
    void onProgressChange(ui::PaneId pane, int percent) override;
    ui::SkinnedWindow* onNewWindow(ui::PaneId pane) override;
    void onBrowserVisible(bool visible) override;
    void onBrowserMenuBar(bool visible) override;
    void onScriptResize(ui::PaneId pane, int width, int height) override;
    void onScriptMove(ui::PaneId pane, int x, int y) override;
    void onScriptClose(ui::PaneId pane) override;
    void onCloseRequest() override { postClose(); }
    void onSize(ui::SizeType type, int width, int height) override;
    bool onFilterKey(ui::FilterKey key) override;
    void onLocationEnter(const std::string& text) override;
    void onLocationSelect(const std::string& url) override;
    void onLocationDrop(const std::string& path) override;

    ui::SkinnedWindow* ui() { return m_Ui.get(); }
    HWND hwnd() const { return m_hWnd; }
    const SkinLayout& layout() const { return m_Layout; }

    void OnVisibleBrowser(bool visible);
    void OnPropertyChangeBrowser(bool menuBar);
    void OnBrowserSize(int width, int height);
    void OnBrowserMove(int x, int y);
    void paintMask(ui::SizeType sizeType);
    void placePanes() override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnTimer(UINT_PTR timerId);
    void OnClose();
    void destroy();
    void loadPortal();
    void fillLocationBar(const std::string& filter);
    void updateLocationBar(const std::string& url);
    std::string portalUrlNow() const;

    CLmrApp& m_App;
    SkinStore& m_Skins;
    std::unique_ptr<ui::SkinnedWindow> m_Ui;
    HWND m_hWnd = nullptr;
    SkinLayout m_Layout;
    RECT m_PortalRect{};
    PaneRects m_Rects{};
    RECT m_LocationBarRect{};
    RECT m_TitleBarRect{};
    int m_WindowNumber;
    bool m_Closing = false;
    bool m_Visible = false;
    bool m_LayingOut = false;
    bool m_WithPortal = true;
    bool m_Destroyed = false;
    std::string m_SavedUrl;
    std::string m_ExtraUrl;
    std::string m_PendingTypedUrl;
    bool m_Offline[4] = {false, false, false, false};
    CPageCommands m_Commands{*this};
    CDialPage m_DialPage;
    SIZE m_FirstRequestedSize{0, 0};
    TypedUrls m_TypedUrls;
};
