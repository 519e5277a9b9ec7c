// The skinned window on GTK 3 with WebKitGTK: an undecorated top-level window whose client area
// is a GtkLayout holding the four web views and the location bar at the rectangles the owner
// gives, shaped by the owner's region. The panes of one window share one web process.
#pragma once

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <array>
#include <string>
#include <vector>

#include "skinned_window.h"

namespace ui::gtk {

class GtkSkinnedWindow : public SkinnedWindow {
public:
    GtkSkinnedWindow(WindowEvents& events, WebKitSettings* settings);
    ~GtkSkinnedWindow() override;
    GtkSkinnedWindow(const GtkSkinnedWindow&) = delete;
    GtkSkinnedWindow& operator=(const GtkSkinnedWindow&) = delete;

    void navigate(PaneId pane, const std::string& url) override;
    void navigatePost(PaneId pane, const std::string& url, const std::string& postData) override;
    void goBack(PaneId pane) override;
    void goForward(PaneId pane) override;
    void stop(PaneId pane) override;
    void reload(PaneId pane) override;
    std::string currentUrl(PaneId pane) override;
    void setOffline(PaneId pane, bool offline) override;
    void setElementText(PaneId pane, const std::string& id, const std::string& text) override;
    void setElementAttribute(PaneId pane, const std::string& id, const std::string& attribute,
                             const std::string& value) override;
    std::string elementText(PaneId pane, const std::string& id) override;
    std::string elementAttribute(PaneId pane, const std::string& id,
                                 const std::string& attribute) override;
    std::string elementOuterHtml(PaneId pane, const std::string& id) override;
    void setElementOuterHtml(PaneId pane, const std::string& id, const std::string& html) override;
    bool metaContent(PaneId pane, const std::string& name, std::string& content) override;
    bool hasUnloadHandler(PaneId pane) override;
    std::string locationName(PaneId pane) override;
    std::string cookieText(PaneId pane) override;
    bool execStandardCommand(PaneId pane, int command) override;

    void placePane(PaneId pane, const RECT& rect) override;
    void raisePane(PaneId pane) override;
    SIZE clientSize() override { return SIZE{width_, height_}; }
    RECT windowRect() override { return RECT{x_, y_, x_ + width_, y_ + height_}; }
    void moveWindow(int x, int y, int width, int height) override;
    RECT workArea() override;
    RECT screenRect() override;
    void setSizeLimits(SIZE minimum, SIZE maximum) override;

    void setShape(const std::vector<RECT>* region) override;
    bool loadMask(const std::string& path, int width, int height,
                  std::vector<unsigned char>& rgb) override;

    void show(bool visible) override;
    bool isVisible() override;
    void minimise() override { gtk_window_iconify(GTK_WINDOW(window_)); }
    void maximise() override { gtk_window_maximize(GTK_WINDOW(window_)); }
    void restore() override;
    bool isMaximised() override { return maximized_; }
    void setTitle(const std::string& title) override;
    void setTopmost() override;
    void setResizable(bool resizable) override { resizable_ = resizable; }
    void focus() override;
    void focusPane(PaneId pane) override;
    void processPending() override;
    void pause(unsigned milliseconds) override;

    void setLocationList(const std::vector<std::string>& urls) override;
    void setLocationText(const std::string& text) override;
    std::string locationText() override;

    // The browser pane becomes a new view related to `requester` (the view a script opened this
    // window from), which WebKit loads the new window's page into.
    GtkWidget* adoptRelatedBrowser(WebKitWebView* requester);

    GtkWidget* toplevel() const { return window_; }
    GtkWidget* paneWidget(PaneId id) { return widgetOf(id); }

private:
    struct Pane {
        GtkSkinnedWindow* owner = nullptr;
        PaneId id = PaneId::Browser;
        WebKitWebView* view = nullptr;
        GdkRectangle geometry{0, 0, 0, 0};  // last script geometry seen
        bool overLink = false;              // the pointer is over a link of the page
    };

    Pane& pane(PaneId id) { return panes_[static_cast<size_t>(id)]; }
    GtkWidget* widgetOf(PaneId id);
    void createPane(PaneId id, WebKitWebView* related);
    void connectPane(Pane& pane);
    void callScript(PaneId pane, const char* body, GVariant* arguments);
    // Runs a function body in the page and waits for its result, iterating the main context;
    // null when the page has no answer.
    JSCValue* evaluate(PaneId pane, const char* body, GVariant* arguments);
    // The standard commands that open a dialog of the toolkit.
    bool saveDocument(WebKitWebView* view);
    bool openDocument(WebKitWebView* view);
    bool showProperties(WebKitWebView* view);
    bool findText(WebKitWebView* view);
    bool printDocument(WebKitWebView* view);
    bool pageSetup(WebKitWebView* view);
    // The text of a script's answer; empty for none, null or undefined.
    std::string evaluateText(PaneId pane, const char* body, GVariant* arguments);
    void buildLocationBar();
    // Showing waits for the pages of the shown panes (or a time-out).
    bool panesLoading();
    void reveal();
    void cancelPendingShow();
    static gboolean revealLate(gpointer);

    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType,
                                   gpointer);
    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent, gpointer);
    static void onTitle(WebKitWebView*, GParamSpec*, gpointer);
    static void onProgress(WebKitWebView*, GParamSpec*, gpointer);
    static void onMouseTarget(WebKitWebView*, WebKitHitTestResult*, guint, gpointer);
    static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction*, gpointer);
    static void onReadyToShow(WebKitWebView*, gpointer);
    static void onClose(WebKitWebView*, gpointer);
    static void onGeometry(WebKitWindowProperties*, GParamSpec*, gpointer);
    static gboolean onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                  WebKitHitTestResult*, gpointer);
    static gboolean onButton(GtkWidget*, GdkEventButton*, gpointer);
    static gboolean onFrameButton(GtkWidget*, GdkEventButton*, gpointer);
    // A press of the left button on the window's edge starts sizing it; false elsewhere.
    bool beginResize(GdkEventButton* event);
    static gboolean onKey(GtkWidget*, GdkEventKey*, gpointer);
    static gboolean onConfigure(GtkWidget*, GdkEventConfigure*, gpointer);
    static gboolean onWindowState(GtkWidget*, GdkEventWindowState*, gpointer);
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer);
    static gboolean onMap(GtkWidget*, GdkEvent*, gpointer);
    static void onLocationTyped(GtkEditable*, gchar*, gint, gint*, gpointer);
    static gboolean appendTypedCompletion(gpointer);
    static void onLocationActivate(GtkEntry*, gpointer);
    static void onLocationChanged(GtkComboBox*, gpointer);
    static void onLocationDrop(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData*, guint,
                               guint, gpointer);

    WindowEvents& events_;
    WebKitSettings* settings_;
    GtkWidget* window_ = nullptr;
    GtkWidget* layout_ = nullptr;
    GtkWidget* location_ = nullptr;
    std::vector<std::string> locationList_;  // the typed addresses, UTF-8
    guint appendSource_ = 0;
    guint showTimeout_ = 0;  // set while the window waits for its pages to appear
    WebKitUserContentManager* contentManager_ = nullptr;
    GtkPageSetup* pageSetup_ = nullptr;
    std::array<Pane, 4> panes_{};
    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    bool maximized_ = false;
    bool resizable_ = true;
    bool updatingLocation_ = false;
    bool topmost_ = false;
};

}  // namespace ui::gtk
