// One skinned browser center window.
#include "lmr_dlg.h"

#include <algorithm>
#include <cstring>

#include "app.h"
#include "mask_region.h"
#include "pane_command.h"
#include "pane_layout.h"
#include "registry.h"
#include "status_pages.h"
#include "text.h"
#include "trace.h"
#include "url.h"

namespace {

constexpr const char* kWindowClass = "LumoraSkinnedWindow";
constexpr UINT_PTR kTimerConnected = 1;
// The hidden sorted drop-down list of the window.
constexpr UINT_PTR kCountrySortList = 1019;
constexpr UINT_PTR kTimerDisconnected = 2;
constexpr UINT_PTR kTimerDeferredClose = 3;
constexpr const char* kAboutPage = "http://www.lumora.de/ueberuns.htm";

ui::PaneId paneIdOf(PagePane pane) {
    switch (pane) {
    case PagePane::TitleBar: return ui::PaneId::TitleBar;
    case PagePane::Portal: return ui::PaneId::Portal;
    case PagePane::Extra: return ui::PaneId::Extra;
    case PagePane::Browser: break;
    }
    return ui::PaneId::Browser;
}

bool registerWindowClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.lpszClassName = kWindowClass;
    registered = RegisterClassA(&windowClass) != 0;
    return registered;
}

}  // namespace

CLmrDlg::CLmrDlg(CLmrApp& app, SkinStore& skins, DialPageServices& dialServices,
                 ui::Toolkit& toolkit, const SkinLayout& layout, int windowNumber)
    : m_App(app), m_Skins(skins), m_Layout(layout), m_TitleBarRect(layout.m_TitleBarRect),
      m_WindowNumber(windowNumber),
      m_DialPage(*this, m_Commands, app.settings(), skins, dialServices) {
    if (!registerWindowClass(&CLmrDlg::windowProc)) return;
    m_hWnd = CreateWindowExA(0, kWindowClass, m_App.settings().productTitle().c_str(), WS_POPUP,
                             0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!m_hWnd) return;
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Never shown: it only sorts the country list of the settings page as the user's locale does.
    HWND sortingCombo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST | CBS_SORT,
                                        0, 185, 315, 30, m_hWnd,
                                        reinterpret_cast<HMENU>(kCountrySortList), nullptr, nullptr);
    m_DialPage.setSortingCombo(sortingCombo);
    m_Ui = toolkit.createWindow(*this);
    if (!m_Ui) return;
    // The location bar is made with the window and filled from the typed URLs.
    m_TypedUrls.load();
    fillLocationBar("");
    OnInitDialog();
}

CLmrDlg::~CLmrDlg() {
    if (m_hWnd) {
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
}

LRESULT CALLBACK CLmrDlg::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT termApp = RegisterWindowMessageA("WM_TN_TERM_APP");
    auto* self = reinterpret_cast<CLmrDlg*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) {
        TraceScope scope(self->m_WindowNumber);
        if (message == WM_TIMER) {
            self->OnTimer(wParam);
            return 0;
        }
        if (message == WM_CLOSE) {
            self->OnClose();
            return 0;
        }
        if (message == termApp) {
            traceLine("Closing active page\n");
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void CLmrDlg::OnInitDialog() {
    traceLine("CLmrDlg::OnInitDialog()\n");
    m_Ui->setTitle(m_App.settings().windowTitle(""));
    m_Ui->setResizable(true);
    RECT area = m_Ui->workArea();
    m_Ui->setSizeLimits(SIZE{100, 100}, SIZE{area.right - area.left, area.bottom - area.top});
    RECT window = m_Ui->windowRect();
    m_Ui->moveWindow(window.left, window.top, (area.right - area.left) * 3 / 4,
                     (area.bottom - area.top) * 3 / 4);
}

std::string CLmrDlg::portalUrlNow() const {
    bool online = !m_App.settings().useRas() || m_App.isConnected();
    return online ? m_Layout.m_PortalOnlineUrl : m_Layout.m_PortalOfflineUrl;
}

void CLmrDlg::loadPortal() { m_Ui->navigate(ui::PaneId::Portal, portalUrlNow()); }

void CLmrDlg::setLayout(const SkinLayout& layout) {
    traceLine("CLmrDlg::setLayout()\n");
    m_Layout = layout;
    // A shaped window has no frame to size it by.
    m_Ui->setResizable(m_Layout.m_MaskFileName.empty());
    m_PortalRect = m_Layout.m_PortalRect;
    m_Rects.browser = m_Layout.m_BrowserRect;
    m_Rects.extra = m_Layout.m_ExtraRect;
    m_LocationBarRect = m_Layout.m_LocationBarRect;
    m_TitleBarRect = m_Layout.m_TitleBarRect;
    traceLine("updating layout...\n");
    placePanes();
    traceLine("updating layout...done\n");
    if (!m_Visible) {
        traceLine("not visible\n");
        return;
    }
    traceLine("stopping portal...\n");
    m_Ui->stop(ui::PaneId::Portal);
    traceLine("stopping portal..done.\n");
    traceLine("navigating portal...\n");
    loadPortal();
    traceLine("navigating portal...done\n");
    m_Ui->navigate(ui::PaneId::TitleBar, m_Layout.m_TitleBarUrl);
    paintMask(ui::SizeType::Restored);
}

void CLmrDlg::placePanes() {
    if (!m_Visible || m_LayingOut || !m_Ui) return;
    m_LayingOut = true;
    SIZE client = m_Ui->clientSize();
    const std::pair<ui::PaneId, const RECT*> panes[] = {
        {ui::PaneId::TitleBar, &m_TitleBarRect}, {ui::PaneId::Portal, &m_PortalRect},
        {ui::PaneId::Extra, &m_Rects.extra},       {ui::PaneId::LocationBar, &m_LocationBarRect},
        {ui::PaneId::Browser, &m_Rects.browser}};
    for (const auto& [pane, rect] : panes)
        m_Ui->placePane(pane, placePaneRect(*rect, client.cx, client.cy));
    m_LayingOut = false;
}

void CLmrDlg::paintMask(ui::SizeType sizeType) {
    traceLine("paintMask ()\n");
    if (m_Layout.m_MaskFileName.empty()) {
        traceLine("No mask. Using standard rect.\n");
        m_Ui->setShape(nullptr);
        return;
    }
    if (sizeType == ui::SizeType::Maximized) {
        RECT area = m_Ui->workArea();
        std::vector<RECT> whole{RECT{0, 0, area.right, area.bottom}};
        m_Ui->setShape(&whole);
        return;
    }
    SIZE client = m_Ui->clientSize();
    std::vector<unsigned char> rgb;
    if (!m_Ui->loadMask(m_Layout.m_MaskFileName, client.cx, client.cy, rgb)) {
        traceLine("mask \"%s\" cannot be read. Using standard rect.\n",
                  m_Layout.m_MaskFileName.c_str());
        m_Ui->setShape(nullptr);
        return;
    }
    std::vector<RECT> runs = maskInsideRuns(rgb.data(), client.cx, client.cy,
                                            static_cast<size_t>(client.cx) * 3, 3);
    m_Ui->setShape(&runs);
}

void CLmrDlg::setFocus() { m_Ui->focus(); }

void CLmrDlg::moveWindow(int x, int y, int width, int height) {
    m_Ui->moveWindow(x, y, width, height);
}

void CLmrDlg::show() {
    m_Visible = true;
    placePanes();
    paintMask(ui::SizeType::Restored);
    m_Ui->show(true);
    m_Ui->processPending();
    std::string version =
        regReadString("SOFTWARE\\Microsoft\\Internet Explorer", "Version", "", HKEY_LOCAL_MACHINE);
    // The older browser control needs longer before its panes have drawn. The panes go on
    // drawing and loading their pages meanwhile.
    m_Ui->pause(version.find("4.7") != std::string::npos ? 3000 : 1000);
}

void CLmrDlg::makeTopmost() { m_Ui->setTopmost(); }

void CLmrDlg::useDialogFrame() { m_Ui->setResizable(false); }

void CLmrDlg::setBrowserOffline(bool offline) { setOffline(PagePane::Browser, offline); }

void CLmrDlg::setAllPanesOffline(bool offline) {
    for (PagePane pane : {PagePane::TitleBar, PagePane::Portal, PagePane::Extra, PagePane::Browser})
        setOffline(pane, offline);
}

void CLmrDlg::showBrowserPane() { OnVisibleBrowser(true); }

void CLmrDlg::useExtraPaneOnly() {
    m_TitleBarRect = m_PortalRect = m_LocationBarRect = RECT{0, 0, 0, 0};
    m_Rects.extra = RECT{0, 0, -1, -1};
}

void CLmrDlg::navigateBrowser(const std::string& url) { m_Ui->navigate(ui::PaneId::Browser, url); }

void CLmrDlg::navigateExtra(const std::string& url) {
    m_ExtraUrl = url;
    m_Ui->navigate(ui::PaneId::Extra, url);
}

void CLmrDlg::startTimer(UINT_PTR timerId) {
    SetTimer(m_hWnd, timerId, timerId == kTimerDeferredClose ? 5000 : 100, nullptr);
}

void CLmrDlg::postClose() {
    m_Closing = true;
    PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
}

void CLmrDlg::OnTimer(UINT_PTR timerId) {
    KillTimer(m_hWnd, timerId);
    if (timerId == kTimerConnected) {
        m_Ui->setElementAttribute(ui::PaneId::Portal, "IDC_CONNECT", "src", "disconnect.gif");
        std::string browserUrl = m_Ui->currentUrl(ui::PaneId::Browser);
        if (!m_SavedUrl.empty()) {
            navigateBrowser(m_SavedUrl);
            m_SavedUrl.clear();
        } else if (urlContains(browserUrl.c_str(), m_Layout.m_BrowserOfflineUrl.c_str()) &&
                   m_Layout.m_BrowserOnlineUrl != m_Layout.m_BrowserOfflineUrl) {
            navigateBrowser(m_Layout.m_BrowserOnlineUrl);
        }
        std::string portalUrl = m_Ui->currentUrl(ui::PaneId::Portal);
        if (!urlContains(portalUrl.c_str(), m_Layout.m_PortalOnlineUrl.c_str()))
            m_Ui->navigate(ui::PaneId::Portal, m_Layout.m_PortalOnlineUrl);
    } else if (timerId == kTimerDisconnected) {
        m_Ui->setElementAttribute(ui::PaneId::Portal, "IDC_CONNECT", "src", "connect.gif");
        m_Ui->navigate(ui::PaneId::Portal, m_Layout.m_PortalOfflineUrl);
    } else if (timerId == kTimerDeferredClose) {
        destroy();
    }
}

void CLmrDlg::OnClose() {
    if (m_Destroyed) return;
    m_Closing = true;
    for (ui::PaneId pane : {ui::PaneId::TitleBar, ui::PaneId::Portal, ui::PaneId::Extra,
                            ui::PaneId::Browser})
        m_Ui->stop(pane);
    m_TypedUrls.save();
    if (m_Ui->hasUnloadHandler(ui::PaneId::Browser)) {
        // The page's unload handler gets its time while the window is already gone from view.
        m_Ui->show(false);
        m_Ui->placePane(ui::PaneId::Browser, RECT{0, 0, 0, 0});
        startTimer(kTimerDeferredClose);
        return;
    }
    destroy();
}

void CLmrDlg::destroy() {
    if (m_Destroyed) return;
    m_Destroyed = true;
    for (UINT_PTR timer : {kTimerConnected, kTimerDisconnected, kTimerDeferredClose})
        KillTimer(m_hWnd, timer);
    m_Ui.reset();
    m_App.onInstanceClosed(this);
    delete this;
}

void CLmrDlg::OnVisibleBrowser(bool visible) {
    traceLine("CLmrDlg::OnVisibleBrowser()\n");
    if (!visible) {
        m_Visible = false;
        m_Ui->show(false);
        return;
    }
    m_Visible = true;
    m_Ui->navigate(ui::PaneId::TitleBar, m_Layout.m_TitleBarUrl);
    if (m_WithPortal) {
        traceLine("showing browser with portal\n");
        m_PortalRect = m_Layout.m_PortalRect;
        m_Rects.browser = m_Layout.m_BrowserRect;
        m_Rects.extra = m_Layout.m_ExtraRect;
        m_LocationBarRect = m_Layout.m_LocationBarRect;
        m_TitleBarRect = m_Layout.m_TitleBarRect;
        loadPortal();
    } else {
        traceLine("showing browser without portal\n");
        SIZE client = m_Ui->clientSize();
        RECT oldBrowser = placePaneRect(m_Rects.browser, client.cx, client.cy);
        LONG titleHeight = m_Layout.m_TitleBarRect.bottom;
        m_Rects.browser = RECT{0, titleHeight, -1, -1};
        m_PortalRect = m_LocationBarRect = m_Rects.extra = RECT{0, 0, 0, 0};
        m_TitleBarRect = m_Layout.m_TitleBarRect;
        RECT screen = m_Ui->screenRect();
        int width = std::min<LONG>(std::max<LONG>(oldBrowser.right - oldBrowser.left, 100),
                                   screen.right - screen.left);
        int height = std::min<LONG>(
            std::max<LONG>(oldBrowser.bottom - oldBrowser.top, 100) + titleHeight,
            screen.bottom - screen.top);
        RECT window = m_Ui->windowRect();
        int x = window.left, y = window.top;
        if (x + width > screen.right || y + height > screen.bottom) {
            x = std::max<LONG>(0, screen.right - width);
            y = std::max<LONG>(0, screen.bottom - height);
        }
        traceLine("new dialog pos: w = %d  h = %d\n", width, height);
        m_Ui->moveWindow(x, y, width, height);
    }
    placePanes();
    m_Ui->raisePane(ui::PaneId::LocationBar);
    show();
}

void CLmrDlg::OnPropertyChangeBrowser(bool menuBar) {
    m_WithPortal = menuBar;
    traceLine(menuBar ? "CLmrDlg::OnPropertyChangeBrowser() - portal visible\n"
                      : "CLmrDlg::OnPropertyChangeBrowser() - portal invisible\n");
}

void CLmrDlg::OnBrowserSize(int width, int height) {
    if (m_LayingOut) {
        traceLine("resizing... ignoring new size\n");
        return;
    }
    if (!m_Visible) {
        if (m_FirstRequestedSize.cx == 0 && m_FirstRequestedSize.cy == 0)
            m_FirstRequestedSize = SIZE{width, height};
        traceLine("not yet visible... ignoring new size\n");
        return;
    }
    RECT window = m_Ui->windowRect();
    m_Ui->moveWindow(window.left, window.top, width, height);
    placePanes();
}

void CLmrDlg::OnBrowserMove(int x, int y) {
    SIZE client = m_Ui->clientSize();
    RECT pane = placePaneRect(m_Rects.browser, client.cx, client.cy);
    RECT window = m_Ui->windowRect();
    int newX = x == 0 ? 0 : x - pane.left;
    int newY = y == 0 ? 0 : y - pane.top;
    traceLine("browser moved by: (dx = %d, dy = %d)\n", newX - static_cast<int>(window.left),
              newY - static_cast<int>(window.top));
    m_Ui->moveWindow(newX, newY, window.right - window.left, window.bottom - window.top);
    placePanes();
}

bool CLmrDlg::onBeforeNavigate(ui::PaneId pane, const std::string& url,
                               const std::string& postData) {
    TraceScope scope(m_WindowNumber);
    switch (pane) {
    case ui::PaneId::Portal: return m_Commands.OnBeforeNavigatePortal(url, postData);
    case ui::PaneId::TitleBar: return m_Commands.OnBeforeNavigateTitleBar(url, postData);
    case ui::PaneId::Extra: return m_Commands.OnBeforeNavigateExtra(url, postData);
    case ui::PaneId::Browser:
        // A command never loads anything, in the browser pane neither.
        if (paneCommandOf(url)) return true;
        return m_Commands.OnBeforeNavigateBrowser(url);
    case ui::PaneId::LocationBar: break;
    }
    return false;
}

void CLmrDlg::onNavigateComplete(ui::PaneId pane, const std::string& url) {
    TraceScope scope(m_WindowNumber);
    if (pane != ui::PaneId::Browser) return;
    m_Ui->setElementAttribute(ui::PaneId::Portal, "IDC_SECURE", "src",
                              startsWithNoCase(url.c_str(), "https://") ? "secure.gif"
                                                                        : "insecure.gif");
}

void CLmrDlg::onDocumentComplete(ui::PaneId pane, const std::string& url) {
    TraceScope scope(m_WindowNumber);
    if (pane == ui::PaneId::Portal) {
        traceLine("portal document complete: %s\n", url.c_str());
        bool online = m_App.isConnected();
        m_Ui->setElementAttribute(ui::PaneId::Portal, "IDC_CONNECT", "src",
                                  online ? "disconnect.gif" : "connect.gif");
        onNavigateComplete(ui::PaneId::Browser, m_Ui->currentUrl(ui::PaneId::Browser));
        return;
    }
    if (pane == ui::PaneId::Extra) {
        m_DialPage.OnDocumentCompleteExtra(url);
        return;
    }
    if (pane == ui::PaneId::TitleBar) {
        // The title bar page shows the window text from its first load on.
        char title[256];
        GetWindowTextA(m_hWnd, title, sizeof title);
        m_Ui->setElementText(ui::PaneId::TitleBar, "IDC_TITELZEILE", title);
        return;
    }
    if (pane != ui::PaneId::Browser) return;
    std::string skinName;
    if (m_Ui->metaContent(ui::PaneId::Browser, "SkinName", skinName) &&
        skinName != m_Layout.m_SkinName) {
        if (const SkinLayout* skin = m_Skins.findOrLoadSkin(skinName)) setLayout(*skin);
    }
    updateLocationBar(url);
}

void CLmrDlg::onTitleChange(ui::PaneId pane, const std::string& title) {
    TraceScope scope(m_WindowNumber);
    if (pane != ui::PaneId::Browser) return;
    std::string text = m_App.settings().windowTitle(title);
    SetWindowTextA(m_hWnd, text.c_str());
    m_Ui->setTitle(text);
    m_Ui->setElementText(ui::PaneId::TitleBar, "IDC_TITELZEILE", text);
}

void CLmrDlg::onStatusTextChange(ui::PaneId pane, const std::string& text) {
    if (pane == ui::PaneId::Browser || pane == ui::PaneId::Extra)
        m_Ui->setElementText(ui::PaneId::Portal, "IDC_STATUSTEXT", text);
}

void CLmrDlg::onProgressChange(ui::PaneId pane, int percent) {
    std::string width;
    if (pane == ui::PaneId::Browser &&
        progressWidthText(percent, 100, m_Layout.m_ProgressBarWidth, width))
        m_Ui->setElementAttribute(ui::PaneId::Portal, "CTN_PROGRESS", "width", width);
}

ui::SkinnedWindow* CLmrDlg::onNewWindow(ui::PaneId) {
    TraceScope scope(m_WindowNumber);
    const std::string& skin =
        m_Layout.m_PopupPortal.empty() ? m_Layout.m_SkinName : m_Layout.m_PopupPortal;
    auto* window = dynamic_cast<CLmrDlg*>(m_App.addInstance(skin));
    return window ? window->ui() : nullptr;
}

void CLmrDlg::onScriptResize(ui::PaneId pane, int width, int height) {
    TraceScope scope(m_WindowNumber);
    if (pane == ui::PaneId::Browser) OnBrowserSize(width, height);
}

void CLmrDlg::onScriptMove(ui::PaneId pane, int x, int y) {
    TraceScope scope(m_WindowNumber);
    if (pane == ui::PaneId::Browser || pane == ui::PaneId::TitleBar) OnBrowserMove(x, y);
}

void CLmrDlg::onBrowserVisible(bool visible) {
    TraceScope scope(m_WindowNumber);
    OnVisibleBrowser(visible);
}

void CLmrDlg::onBrowserMenuBar(bool visible) {
    TraceScope scope(m_WindowNumber);
    OnPropertyChangeBrowser(visible);
}

void CLmrDlg::onScriptClose(ui::PaneId) {
    TraceScope scope(m_WindowNumber);
    postClose();
}

void CLmrDlg::onSize(ui::SizeType type, int, int) {
    TraceScope scope(m_WindowNumber);
    if (!m_Visible) return;
    placePanes();
    paintMask(type);
}

bool CLmrDlg::onFilterKey(ui::FilterKey key) {
    TraceScope scope(m_WindowNumber);
    switch (key) {
    case ui::FilterKey::F5:
        navigateBrowser(m_Ui->currentUrl(ui::PaneId::Browser));
        return true;
    case ui::FilterKey::Escape:
        traceLine("ESC -> return false\n");
        return true;
    case ui::FilterKey::CtrlN: {
        traceLine("Strg + N -> addInstance...\n");
        std::string url = m_Ui->currentUrl(ui::PaneId::Browser);
        if (LmrWindow* window = m_App.startAsBrowser(true, true, false))
            window->navigateBrowser(url);
        return true;
    }
    }
    return false;
}

void CLmrDlg::fillLocationBar(const std::string& filter) {
    m_Ui->setLocationList(m_TypedUrls.matching(filter));
}

void CLmrDlg::updateLocationBar(const std::string& url) {
    if (m_TypedUrls.loaded(url, m_PendingTypedUrl)) {
        m_PendingTypedUrl.clear();
        std::vector<std::string> shown = m_TypedUrls.matching("");
        if (std::find(shown.begin(), shown.end(), url) == shown.end()) shown.push_back(url);
        m_Ui->setLocationList(shown);
    }
    m_Ui->setLocationText(url);
}

void CLmrDlg::onLocationEnter(const std::string& text) {
    TraceScope scope(m_WindowNumber);
    if (text.empty()) {
        traceLine("ENTER pressed, but no URL present\n");
        return;
    }
    if (text == "AllAboutUs") {
        navigateBrowser(kAboutPage);
        return;
    }
    traceLine("ENTER pressed, URL = %s\n", text.c_str());
    navigateBrowser(text);
    m_PendingTypedUrl = text;
}

void CLmrDlg::onLocationSelect(const std::string& url) {
    TraceScope scope(m_WindowNumber);
    navigateBrowser(url);
}

void CLmrDlg::onLocationDrop(const std::string& path) {
    TraceScope scope(m_WindowNumber);
    std::string target = path;
    if (lowerText(path).ends_with(".url")) {
        char url[512];
        GetPrivateProfileStringA("InternetShortcut", "URL", "", url, sizeof url, path.c_str());
        target = url;
    }
    fillLocationBar("");
    navigateBrowser(target);
    m_Ui->focusPane(ui::PaneId::Browser);
}

void CLmrDlg::navigate(PagePane pane, const std::string& url, const std::string& postData) {
    if (postData.empty()) {
        m_Ui->navigate(paneIdOf(pane), url);
    } else {
        m_Ui->navigatePost(paneIdOf(pane), url, postData);
    }
}

void CLmrDlg::goBack(PagePane pane) { m_Ui->goBack(paneIdOf(pane)); }

void CLmrDlg::goForward(PagePane pane) { m_Ui->goForward(paneIdOf(pane)); }

std::string CLmrDlg::currentUrl(PagePane pane) { return m_Ui->currentUrl(paneIdOf(pane)); }

std::string CLmrDlg::locationName(PagePane pane) { return m_Ui->locationName(paneIdOf(pane)); }

bool CLmrDlg::isOffline(PagePane pane) { return m_Offline[static_cast<int>(pane)]; }

void CLmrDlg::setOffline(PagePane pane, bool offline) {
    m_Offline[static_cast<int>(pane)] = offline;
    m_Ui->setOffline(paneIdOf(pane), offline);
}

bool CLmrDlg::execStandardCommand(int id) {
    return m_Ui->execStandardCommand(ui::PaneId::Browser, id);
}

std::string CLmrDlg::cookieText() { return m_Ui->cookieText(ui::PaneId::Browser); }

std::string CLmrDlg::elementText(PagePane pane, const std::string& id) {
    return m_Ui->elementText(paneIdOf(pane), id);
}

void CLmrDlg::setElementText(PagePane pane, const std::string& id, const std::string& text) {
    m_Ui->setElementText(paneIdOf(pane), id, text);
}

std::string CLmrDlg::elementAttribute(PagePane pane, const std::string& id,
                                      const std::string& name) {
    return m_Ui->elementAttribute(paneIdOf(pane), id, name);
}

void CLmrDlg::setElementAttribute(PagePane pane, const std::string& id, const std::string& name,
                                  const std::string& value) {
    m_Ui->setElementAttribute(paneIdOf(pane), id, name, value);
}

std::string CLmrDlg::elementOuterHtml(PagePane pane, const std::string& id) {
    return m_Ui->elementOuterHtml(paneIdOf(pane), id);
}

void CLmrDlg::setElementOuterHtml(PagePane pane, const std::string& id, const std::string& html) {
    m_Ui->setElementOuterHtml(paneIdOf(pane), id, html);
}

void CLmrDlg::minimise() { m_Ui->minimise(); }

bool CLmrDlg::isMaximised() { return m_Ui->isMaximised(); }

void CLmrDlg::maximise() { m_Ui->maximise(); }

void CLmrDlg::restore() { m_Ui->restore(); }

void CLmrDlg::messageBox(const std::string& text) {
    MessageBoxA(m_hWnd, text.c_str(), m_App.settings().productTitle().c_str(), MB_OK);
}

std::string CLmrDlg::skinFolder() { return m_App.paths().installDir + m_Layout.m_SkinName + "\\"; }

bool CLmrDlg::dialupInUse() { return m_App.settings().useRas(); }

bool CLmrDlg::isConnected() { return m_App.isConnected(); }

bool CLmrDlg::connectionActive() { return m_App.connectionIsActive(); }

void CLmrDlg::showPopup(const std::string& page) { m_App.showPopup(page); }

void CLmrDlg::closePopup() { m_App.closePopup(); }

bool CLmrDlg::ignoresConnect() { return m_App.ignoresConnect(); }

void CLmrDlg::toggleConnection() { m_App.toggleConnection(); }

void CLmrDlg::onConnected() { m_App.OnConnected(); }

void CLmrDlg::requestFileUpdate(const std::string& fileName) { m_App.requestFileUpdate(fileName); }

std::string CLmrDlg::listPhonebookEntries() { return m_App.listPhonebookEntries(); }

std::string CLmrDlg::listActiveConnections() { return m_App.listActiveConnections(); }

void CLmrDlg::setAccountData(const std::string& number, const std::string& user,
                             const std::string& password) {
    m_App.setAccountData(number, user, password);
}

void CLmrDlg::addFavorite(const std::string& name, const std::string& url) {
    m_App.addFavorite(name, url);
}

void CLmrDlg::organiseFavorites() { m_App.organiseFavorites(); }

void CLmrDlg::rebuildFavoritesPages() { m_App.rebuildFavoritesPages(); }
