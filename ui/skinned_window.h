// The toolkit-neutral skinned top-level window: four browser panes and a location bar on a client
// area without caption, optionally shaped. The window's owner (the browser center's CLmrDlg)
// receives the panes' and the window's events through WindowEvents. Texts are Windows-1252 on
// this side; the toolkit converts them at its boundary.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace ui {

enum class PaneId { TitleBar, Portal, Extra, Browser, LocationBar };

// Size types of a window resize, as the Windows resize message gives them.
enum class SizeType { Restored, Minimized, Maximized };

// Keys the window's keyboard filter looks at; everything else passes.
enum class FilterKey { F5, Escape, CtrlN };

class SkinnedWindow;

class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // Every navigation of a pane; true cancels it. `url` is resolved (a file URL for a page of
    // the skin folder); the escapes of a file URL, and of a command URL whatever its scheme, are
    // decoded, except "%23", which stays apart from an anchor's "#". `postData` is the url-encoded
    // body of a form posted by the navigation (empty for any other).
    virtual bool onBeforeNavigate(PaneId pane, const std::string& url,
                                  const std::string& postData) = 0;
    virtual void onNavigateComplete(PaneId pane, const std::string& url) = 0;
    virtual void onDocumentComplete(PaneId pane, const std::string& url) = 0;
    virtual void onTitleChange(PaneId pane, const std::string& title) = 0;
    virtual void onStatusTextChange(PaneId pane, const std::string& text) = 0;
    virtual void onProgressChange(PaneId pane, int percent) = 0;
    // A script or link asks for a new window; the returned window's browser pane takes the
    // request, null cancels it.
    virtual SkinnedWindow* onNewWindow(PaneId pane) = 0;
    // The browser pane asks to be shown (a window opened by script, once it is ready).
    virtual void onBrowserVisible(bool visible) = 0;
    // The menu bar property of the browser pane (off for a script window without menu bar).
    virtual void onBrowserMenuBar(bool visible) = 0;
    // Scripts of a pane resize, move or close their window.
    virtual void onScriptResize(PaneId pane, int width, int height) = 0;
    virtual void onScriptMove(PaneId pane, int x, int y) = 0;
    virtual void onScriptClose(PaneId pane) = 0;
    // The window manager's close button or Alt+F4.
    virtual void onCloseRequest() = 0;
    virtual void onSize(SizeType type, int width, int height) = 0;
    // True swallows the key.
    virtual bool onFilterKey(FilterKey key) = 0;
    // The location bar: Enter with its text, a list entry chosen, a file dropped on it.
    virtual void onLocationEnter(const std::string& text) = 0;
    virtual void onLocationSelect(const std::string& url) = 0;
    virtual void onLocationDrop(const std::string& path) = 0;
};

class SkinnedWindow {
public:
    virtual ~SkinnedWindow() = default;

    // Panes (not the location bar).
    virtual void navigate(PaneId pane, const std::string& url) = 0;
    // Loads the URL with a request body: `postData` is url-encoded form data, sent with
    // "Content-Type: application/x-www-form-urlencoded".
    virtual void navigatePost(PaneId pane, const std::string& url, const std::string& postData) = 0;
    virtual void goBack(PaneId pane) = 0;
    virtual void goForward(PaneId pane) = 0;
    virtual void stop(PaneId pane) = 0;
    virtual void reload(PaneId pane) = 0;
    virtual std::string currentUrl(PaneId pane) = 0;
    virtual void setOffline(PaneId pane, bool offline) = 0;
    virtual void setElementText(PaneId pane, const std::string& id, const std::string& text) = 0;
    virtual void setElementAttribute(PaneId pane, const std::string& id,
                                     const std::string& attribute, const std::string& value) = 0;
    // Reading an element waits for the page's answer; a missing element reads empty. The text
    // is the element's inner HTML (a form field's value with its markup characters written as
    // character references, as the field's markup would hold it).
    virtual std::string elementText(PaneId pane, const std::string& id) = 0;
    virtual std::string elementAttribute(PaneId pane, const std::string& id,
                                         const std::string& attribute) = 0;
    // The element's markup with its own tags; setting it puts new markup in its place.
    virtual std::string elementOuterHtml(PaneId pane, const std::string& id) = 0;
    virtual void setElementOuterHtml(PaneId pane, const std::string& id,
                                     const std::string& html) = 0;
    // The content of the page's meta element of that name; false when there is none.
    virtual bool metaContent(PaneId pane, const std::string& name, std::string& content) = 0;
    virtual bool hasUnloadHandler(PaneId pane) = 0;
    // The page's title and its cookie text.
    virtual std::string locationName(PaneId pane) = 0;
    virtual std::string cookieText(PaneId pane) = 0;
    // A standard command of a browser document by its number (1 open ... 47); false when the
    // engine has no such command.
    virtual bool execStandardCommand(PaneId pane, int command) = 0;

    // Geometry. Pane rectangles are client pixels, already resolved.
    virtual void placePane(PaneId pane, const RECT& rect) = 0;
    virtual void raisePane(PaneId pane) = 0;
    virtual SIZE clientSize() = 0;
    virtual RECT windowRect() = 0;
    virtual void moveWindow(int x, int y, int width, int height) = 0;
    virtual RECT workArea() = 0;
    virtual RECT screenRect() = 0;
    // The smallest and largest size the user can give the window.
    virtual void setSizeLimits(SIZE minimum, SIZE maximum) = 0;

    // Shape: the window's region from runs of inside pixels; null for the whole window.
    virtual void setShape(const std::vector<RECT>* region) = 0;
    // The mask bitmap scaled to a size, as rows of RGB bytes; false when it cannot be read.
    virtual bool loadMask(const std::string& path, int width, int height,
                          std::vector<unsigned char>& rgb) = 0;

    virtual void show(bool visible) = 0;
    virtual bool isVisible() = 0;
    virtual void minimise() = 0;
    virtual void maximise() = 0;
    virtual void restore() = 0;
    virtual bool isMaximised() = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setTopmost() = 0;
    // Resizable by its frame, or a fixed dialog frame.
    virtual void setResizable(bool resizable) = 0;
    virtual void focus() = 0;
    virtual void focusPane(PaneId pane) = 0;
    // Dispatches the toolkit's pending events.
    virtual void processPending() = 0;
    // Waits for the time given while the toolkit goes on: the panes draw and their pages load.
    // The program's window messages (timers, posted commands, closing) wait until it is over.
    virtual void pause(unsigned milliseconds) = 0;

    // The location bar.
    virtual void setLocationList(const std::vector<std::string>& urls) = 0;
    virtual void setLocationText(const std::string& text) = 0;
    virtual std::string locationText() = 0;
};

// Makes the toolkit's windows.
class Toolkit {
public:
    virtual ~Toolkit() = default;
    // Starts the toolkit; false without a display.
    virtual bool start() = 0;
    virtual std::unique_ptr<SkinnedWindow> createWindow(WindowEvents& events) = 0;
};

}  // namespace ui
