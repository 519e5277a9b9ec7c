// The skinned window on GTK 3 with WebKitGTK.
#include "gtk_window.h"

#include <cstring>
#include <map>
#include <vector>

#include "text.h"

namespace ui::gtk {

namespace {

constexpr PaneId kWebPanes[] = {PaneId::TitleBar, PaneId::Portal, PaneId::Extra, PaneId::Browser};

// A script answer that arrives after its waiter gave up frees itself.
struct ScriptWait {
    bool done = false;
    bool abandoned = false;
    JSCValue* value = nullptr;
};

void scriptFinished(GObject* source, GAsyncResult* result, gpointer data) {
    auto* wait = static_cast<ScriptWait*>(data);
    JSCValue* value = webkit_web_view_call_async_javascript_function_finish(
        WEBKIT_WEB_VIEW(source), result, nullptr);
    if (wait->abandoned) {
        if (value) g_object_unref(value);
        delete wait;
        return;
    }
    wait->value = value;
    wait->done = true;
}

// The windows kept above the others. A window manager keeps them there by their state; on a bare
// X server (a kiosk, Xvfb) every newly mapped window would cover them, so a window that appears
// is put beneath them.
std::vector<GtkSkinnedWindow*> topmostWindows;

gboolean redrawLater(gpointer widget) {
    gtk_widget_queue_draw(GTK_WIDGET(widget));
    return G_SOURCE_REMOVE;
}

gboolean giveUp(gpointer data) {
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
}

// The engine tells a navigation's URL but not the body of a form it posts. So every page records
// a form's submission before the navigation starts: the address it posts to and its fields,
// url-encoded as Windows-1252 (a character outside it as "?"), as the pane's form post expects.
// The navigation of that address then takes the body. Forms posted by script are recorded too.
constexpr const char* kFormRecorder = R"JS((() => {
  const high = '\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160' +
               '\u2039\u0152\u008d\u017d\u008f\u0090\u2018\u2019\u201c\u201d\u2022' +
               '\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178';
  const encode = (text) => {
    let out = '';
    for (const ch of String(text)) {
      let code = ch.codePointAt(0);
      if (/[A-Za-z0-9*\-._]/.test(ch)) { out += ch; continue; }
      if (ch === ' ') { out += '+'; continue; }
      if (code >= 256) code = high.indexOf(ch) >= 0 ? 0x80 + high.indexOf(ch) : 0x3f;
      out += '%' + code.toString(16).toUpperCase().padStart(2, '0');
    }
    return out;
  };
  const given = (element, attribute, property) =>
    element && element.hasAttribute(attribute) ? element[property] : null;
  const record = (form, submitter) => {
    const method = given(submitter, 'formmethod', 'formMethod') || form.method || 'get';
    if (String(method).toLowerCase() !== 'post') return;
    let fields;
    try { fields = new FormData(form, submitter || undefined); } catch (e) { fields = new FormData(form); }
    const pairs = [];
    for (const [name, value] of fields)
      pairs.push(encode(name) + '=' + encode(typeof value === 'string' ? value : value.name));
    const action = given(submitter, 'formaction', 'formAction') || form.action;
    window.webkit.messageHandlers.lumoraFormPost.postMessage(action + '\n' + pairs.join('&'));
  };
  window.addEventListener('submit', (event) => {
    if (!event.defaultPrevented) record(event.target, event.submitter);
  });
  const submit = HTMLFormElement.prototype.submit;
  HTMLFormElement.prototype.submit = function () { record(this, null); return submit.call(this); };
})();)JS";

// Recorded form bodies by the address they are posted to, until that navigation asks for them.
std::map<std::string, std::string> pendingFormPosts;

void onFormPosted(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    if (!jsc_value_is_string(value)) return;
    gchar* text = jsc_value_to_string(value);
    std::string message = text;
    g_free(text);
    const size_t split = message.find('\n');
    if (split != std::string::npos)
        pendingFormPosts[message.substr(0, split)] = message.substr(split + 1);
}

std::string takeFormPost(const std::string& uri) {
    auto found = pendingFormPosts.find(uri);
    if (found == pendingFormPosts.end()) return std::string();
    std::string body = std::move(found->second);
    pendingFormPosts.erase(found);
    return body;
}

}  // namespace

GtkSkinnedWindow::GtkSkinnedWindow(WindowEvents& events, WebKitSettings* settings)
    : events_(events), settings_(settings) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
    gtk_widget_set_app_paintable(window_, FALSE);
    layout_ = gtk_layout_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(window_), layout_);
    gtk_widget_show(layout_);
    width_ = 400;
    height_ = 400;
    gtk_window_set_default_size(GTK_WINDOW(window_), width_, height_);

    contentManager_ = webkit_user_content_manager_new();
    WebKitUserScript* recorder =
        webkit_user_script_new(kFormRecorder, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(contentManager_, recorder);
    webkit_user_script_unref(recorder);
    g_signal_connect(contentManager_, "script-message-received::lumoraFormPost",
                     G_CALLBACK(onFormPosted), nullptr);
    webkit_user_content_manager_register_script_message_handler(contentManager_,
                                                                "lumoraFormPost");
    createPane(PaneId::TitleBar, nullptr);
    for (PaneId id : {PaneId::Portal, PaneId::Extra, PaneId::Browser})
        createPane(id, pane(PaneId::TitleBar).view);
    buildLocationBar();

    gtk_widget_add_events(layout_, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(layout_, "button-press-event", G_CALLBACK(onFrameButton), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKey), this);
    g_signal_connect(window_, "configure-event", G_CALLBACK(onConfigure), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(onWindowState), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "map-event", G_CALLBACK(onMap), this);
}

GtkSkinnedWindow::~GtkSkinnedWindow() {
    std::erase(topmostWindows, this);
    for (Pane& p : panes_) {
        if (!p.view) continue;
        g_signal_handlers_disconnect_by_data(p.view, &p);
        g_signal_handlers_disconnect_by_data(webkit_web_view_get_window_properties(p.view), &p);
    }
    g_signal_handlers_disconnect_by_data(window_, this);
    g_signal_handlers_disconnect_by_data(layout_, this);
    g_signal_handlers_disconnect_by_data(location_, this);
    g_signal_handlers_disconnect_by_data(gtk_bin_get_child(GTK_BIN(location_)), this);
    gtk_widget_destroy(window_);
    if (appendSource_) g_source_remove(appendSource_);
    cancelPendingShow();
    if (pageSetup_) g_object_unref(pageSetup_);
    g_signal_handlers_disconnect_by_func(contentManager_, reinterpret_cast<gpointer>(onFormPosted),
                                         nullptr);
    g_object_unref(contentManager_);
}

void GtkSkinnedWindow::createPane(PaneId id, WebKitWebView* related) {
    Pane& p = pane(id);
    p.owner = this;
    p.id = id;
    // Views related to another share its user content (the form recorder).
    p.view = WEBKIT_WEB_VIEW(related ? webkit_web_view_new_with_related_view(related)
                                     : webkit_web_view_new_with_user_content_manager(
                                           contentManager_));
    webkit_web_view_set_settings(p.view, settings_);
    gtk_layout_put(GTK_LAYOUT(layout_), GTK_WIDGET(p.view), 0, 0);
    connectPane(p);
}

void GtkSkinnedWindow::connectPane(Pane& p) {
    g_signal_connect(p.view, "decide-policy", G_CALLBACK(onDecidePolicy), &p);
    g_signal_connect(p.view, "load-changed", G_CALLBACK(onLoadChanged), &p);
    g_signal_connect(p.view, "notify::title", G_CALLBACK(onTitle), &p);
    g_signal_connect(p.view, "notify::estimated-load-progress", G_CALLBACK(onProgress), &p);
    g_signal_connect(p.view, "mouse-target-changed", G_CALLBACK(onMouseTarget), &p);
    g_signal_connect(p.view, "create", G_CALLBACK(onCreate), &p);
    g_signal_connect(p.view, "ready-to-show", G_CALLBACK(onReadyToShow), &p);
    g_signal_connect(p.view, "close", G_CALLBACK(onClose), &p);
    g_signal_connect(p.view, "context-menu", G_CALLBACK(onContextMenu), &p);
    g_signal_connect(p.view, "button-press-event", G_CALLBACK(onButton), &p);
    g_signal_connect(p.view, "button-release-event", G_CALLBACK(onButton), &p);
    g_signal_connect(webkit_web_view_get_window_properties(p.view), "notify::geometry",
                     G_CALLBACK(onGeometry), &p);
}

GtkWidget* GtkSkinnedWindow::adoptRelatedBrowser(WebKitWebView* requester) {
    Pane& p = pane(PaneId::Browser);
    g_signal_handlers_disconnect_by_data(p.view, &p);
    g_signal_handlers_disconnect_by_data(webkit_web_view_get_window_properties(p.view), &p);
    gtk_widget_destroy(GTK_WIDGET(p.view));
    p.view = nullptr;
    createPane(PaneId::Browser, requester);
    return GTK_WIDGET(p.view);
}

void GtkSkinnedWindow::buildLocationBar() {
    location_ = gtk_combo_box_text_new_with_entry();
    GtkWidget* entry = gtk_bin_get_child(GTK_BIN(location_));
    // Typing at the end completes the address from the typed ones (auto-append); the list of
    // the drop-down suggests them.
    g_signal_connect_after(entry, "insert-text", G_CALLBACK(onLocationTyped), this);
    // The addresses are shown with the icon of a web page.
    gtk_entry_set_icon_from_icon_name(GTK_ENTRY(entry), GTK_ENTRY_ICON_PRIMARY, "text-html");
    gtk_drag_dest_set(entry, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
    gtk_drag_dest_add_uri_targets(entry);
    g_signal_connect(entry, "activate", G_CALLBACK(onLocationActivate), this);
    g_signal_connect(entry, "drag-data-received", G_CALLBACK(onLocationDrop), this);
    g_signal_connect(location_, "changed", G_CALLBACK(onLocationChanged), this);
    gtk_layout_put(GTK_LAYOUT(layout_), location_, 0, 0);
}

GtkWidget* GtkSkinnedWindow::widgetOf(PaneId id) {
    if (id == PaneId::LocationBar) return location_;
    return GTK_WIDGET(pane(id).view);
}

void GtkSkinnedWindow::navigate(PaneId id, const std::string& url) {
    WebKitWebView* view = pane(id).view;
    const std::string uri = toUri(url);
    // The page the pane shows again, after an update replaced its files (a skin's portal): the
    // engine would take its style sheets and images from its memory cache, so it reads them anew.
    const char* current = webkit_web_view_get_uri(view);
    if (current && uri == current && uri.rfind("file:", 0) == 0) {
        webkit_web_view_reload_bypass_cache(view);
        return;
    }
    webkit_web_view_load_uri(view, uri.c_str());
}

// The engine takes no request body for a load, so the page in the pane posts it: a hidden form
// of the url-encoded pairs, submitted with the form encoding. Each pair is decoded byte by byte
// (a %XX is one Windows-1252 character) and the form encodes it back in that character set, so
// the body the server gets is the one given. Without a page in the pane the script has no
// document; the pane then gets a blank one first.
void GtkSkinnedWindow::navigatePost(PaneId id, const std::string& url,
                                    const std::string& postData) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&builder, "{sv}", "url", g_variant_new_string(toUri(url).c_str()));
    g_variant_builder_add(&builder, "{sv}", "data", g_variant_new_string(toUtf8(postData).c_str()));
    callScript(id,
               "const form = document.createElement('form');"
               "form.method = 'post';"
               "form.enctype = 'application/x-www-form-urlencoded';"
               "form.acceptCharset = 'windows-1252';"
               "form.action = url;"
               "form.style.display = 'none';"
               "const decode = (s) => s.replace(/\\+/g, ' ').replace(/%([0-9a-fA-F]{2})/g,"
               "    (m, hex) => String.fromCharCode(parseInt(hex, 16)));"
               "for (const pair of data.split('&')) {"
               "  if (!pair) continue;"
               "  const at = pair.indexOf('=');"
               "  const field = document.createElement('input');"
               "  field.type = 'hidden';"
               "  field.name = decode(at < 0 ? pair : pair.slice(0, at));"
               "  field.value = at < 0 ? '' : decode(pair.slice(at + 1));"
               "  form.appendChild(field);"
               "}"
               "(document.body || document.documentElement).appendChild(form);"
               "form.submit();",
               g_variant_builder_end(&builder));
}

void GtkSkinnedWindow::goBack(PaneId id) { webkit_web_view_go_back(pane(id).view); }
void GtkSkinnedWindow::goForward(PaneId id) { webkit_web_view_go_forward(pane(id).view); }
void GtkSkinnedWindow::stop(PaneId id) { webkit_web_view_stop_loading(pane(id).view); }
void GtkSkinnedWindow::reload(PaneId id) { webkit_web_view_reload(pane(id).view); }

std::string GtkSkinnedWindow::currentUrl(PaneId id) {
    const gchar* uri = webkit_web_view_get_uri(pane(id).view);
    return fromUri(uri);
}

// The engine has no per-view offline switch; pages of the skin load from files either way.
void GtkSkinnedWindow::setOffline(PaneId, bool) {}

void GtkSkinnedWindow::callScript(PaneId id, const char* body, GVariant* arguments) {
    webkit_web_view_call_async_javascript_function(pane(id).view, body, -1, arguments, nullptr,
                                                   nullptr, nullptr, nullptr, nullptr);
}

JSCValue* GtkSkinnedWindow::evaluate(PaneId id, const char* body, GVariant* arguments) {
    auto* wait = new ScriptWait;
    webkit_web_view_call_async_javascript_function(pane(id).view, body, -1, arguments, nullptr,
                                                   nullptr, nullptr, scriptFinished, wait);
    bool expired = false;
    guint timer = g_timeout_add(5000, giveUp, &expired);
    // Other events are handled meanwhile, so this may run inside another wait.
    while (!wait->done && !expired) g_main_context_iteration(nullptr, TRUE);
    if (!wait->done) {
        wait->abandoned = true;
        return nullptr;
    }
    if (!expired) g_source_remove(timer);
    JSCValue* value = wait->value;
    delete wait;
    return value;
}

namespace {

GVariant* stringArguments(std::initializer_list<std::pair<const char*, std::string>> values) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a{sv}"));
    for (const auto& [key, value] : values)
        g_variant_builder_add(&builder, "{sv}", key, g_variant_new_string(toUtf8(value).c_str()));
    return g_variant_builder_end(&builder);
}

}  // namespace

void GtkSkinnedWindow::setElementText(PaneId id, const std::string& element,
                                      const std::string& text) {
    callScript(id,
               "const e = document.getElementById(id);"
               "if (!e) return;"
               "if (e.tagName === 'INPUT' || e.tagName === 'TEXTAREA') e.value = text;"
               "else e.innerText = text;",
               stringArguments({{"id", element}, {"text", text}}));
}

void GtkSkinnedWindow::setElementAttribute(PaneId id, const std::string& element,
                                           const std::string& attribute,
                                           const std::string& value) {
    callScript(id,
               "const e = document.getElementById(id);"
               "if (e) e.setAttribute(name, value);",
               stringArguments({{"id", element}, {"name", attribute}, {"value", value}}));
}

std::string GtkSkinnedWindow::evaluateText(PaneId id, const char* body, GVariant* arguments) {
    JSCValue* value = evaluate(id, body, arguments);
    if (!value) return std::string();
    std::string text;
    if (jsc_value_is_string(value)) {
        gchar* utf8 = jsc_value_to_string(value);
        text = toAnsi(utf8);
        g_free(utf8);
    }
    g_object_unref(value);
    return text;
}

std::string GtkSkinnedWindow::elementText(PaneId id, const std::string& element) {
    return evaluateText(id,
                        "const e = document.getElementById(id);"
                        "if (!e) return '';"
                        "if (e.tagName !== 'INPUT' && e.tagName !== 'TEXTAREA' &&"
                        "    e.tagName !== 'SELECT') return e.innerHTML;"
                        "const markup = document.createElement('span');"
                        "markup.textContent = e.value;"
                        "return markup.innerHTML;",
                        stringArguments({{"id", element}}));
}

std::string GtkSkinnedWindow::elementAttribute(PaneId id, const std::string& element,
                                               const std::string& attribute) {
    return evaluateText(id,
                        "const e = document.getElementById(id);"
                        "return e ? (e.getAttribute(name) || '') : '';",
                        stringArguments({{"id", element}, {"name", attribute}}));
}

std::string GtkSkinnedWindow::elementOuterHtml(PaneId id, const std::string& element) {
    return evaluateText(id,
                        "const e = document.getElementById(id);"
                        "return e ? e.outerHTML : '';",
                        stringArguments({{"id", element}}));
}

void GtkSkinnedWindow::setElementOuterHtml(PaneId id, const std::string& element,
                                           const std::string& html) {
    callScript(id,
               "const e = document.getElementById(id);"
               "if (e) e.outerHTML = html;",
               stringArguments({{"id", element}, {"html", html}}));
}

std::string GtkSkinnedWindow::locationName(PaneId id) {
    const gchar* title = webkit_web_view_get_title(pane(id).view);
    return title ? toAnsi(title) : std::string();
}

std::string GtkSkinnedWindow::cookieText(PaneId id) {
    return evaluateText(id, "return document.cookie;", nullptr);
}

bool GtkSkinnedWindow::execStandardCommand(PaneId id, int command) {
    WebKitWebView* view = pane(id).view;
    auto edit = [view](const char* editing) {
        webkit_web_view_execute_editing_command(view, editing);
        return true;
    };
    // The numbers of the standard command set that the engine can carry out; the others (new
    // window, spelling, the zoom range, progress and title notifications, the host's own
    // notices ...) have no counterpart here.
    switch (command) {
    case 1: return openDocument(view);
    case 10: return showProperties(view);
    case 32:  // find
    case 42:  // show the find dialog
        return findText(view);
    case 3:   // save
    case 4:   // save as
    case 5:   // save a copy as
        return saveDocument(view);
    case 6:   // print
    case 7:   // print preview: the print dialog has the preview
    case 44:  // show the print dialog
        return printDocument(view);
    case 8:   // page setup
    case 43:  // show the page setup dialog
        return pageSetup(view);
    case 11: return edit(WEBKIT_EDITING_COMMAND_CUT);
    case 12: return edit(WEBKIT_EDITING_COMMAND_COPY);
    case 13: return edit(WEBKIT_EDITING_COMMAND_PASTE);
    case 14: return edit(WEBKIT_EDITING_COMMAND_PASTE_AS_PLAIN_TEXT);
    case 15: return edit(WEBKIT_EDITING_COMMAND_UNDO);
    case 16: return edit(WEBKIT_EDITING_COMMAND_REDO);
    case 17: return edit(WEBKIT_EDITING_COMMAND_SELECT_ALL);
    case 18:  // clear the selection
        callScript(id, "window.getSelection().removeAllRanges();", nullptr);
        return true;
    case 19: {  // zoom: the next larger text size, after the largest the smallest again
        static const double kLevels[] = {0.75, 1.0, 1.25, 1.5, 2.0};
        const double now = webkit_web_view_get_zoom_level(view);
        double next = kLevels[0];
        for (double level : kLevels)
            if (level > now + 0.01) {
                next = level;
                break;
            }
        webkit_web_view_set_zoom_level(view, next);
        return true;
    }
    case 22: webkit_web_view_reload(view); return true;
    case 23:  // stop
    case 30:  // stop the download
        webkit_web_view_stop_loading(view);
        return true;
    case 33: return edit("Delete");
    default: return false;
    }
}

bool GtkSkinnedWindow::saveDocument(WebKitWebView* view) {
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        nullptr, GTK_WINDOW(window_), GTK_FILE_CHOOSER_ACTION_SAVE, "_Abbrechen",
        GTK_RESPONSE_CANCEL, "_Speichern", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), "Seite.mht");
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        GFile* file = gtk_file_chooser_get_file(GTK_FILE_CHOOSER(chooser));
        webkit_web_view_save_to_file(view, file, WEBKIT_SAVE_MODE_MHTML, nullptr, nullptr,
                                     nullptr);
        g_object_unref(file);
    }
    gtk_widget_destroy(chooser);
    return true;
}

bool GtkSkinnedWindow::openDocument(WebKitWebView* view) {
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        "\xc3\x96" "ffnen", GTK_WINDOW(window_), GTK_FILE_CHOOSER_ACTION_OPEN, "_Abbrechen",
        GTK_RESPONSE_CANCEL, "\xc3\x96" "_ffnen", GTK_RESPONSE_ACCEPT, nullptr);
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        gchar* uri = gtk_file_chooser_get_uri(GTK_FILE_CHOOSER(chooser));
        if (uri) webkit_web_view_load_uri(view, uri);
        g_free(uri);
    }
    gtk_widget_destroy(chooser);
    return true;
}

// The page's title, address and whether it came over an encrypted connection.
bool GtkSkinnedWindow::showProperties(WebKitWebView* view) {
    const gchar* title = webkit_web_view_get_title(view);
    const gchar* uri = webkit_web_view_get_uri(view);
    GTlsCertificate* certificate = nullptr;
    GTlsCertificateFlags errors{};
    const bool secure = webkit_web_view_get_tls_info(view, &certificate, &errors) && errors == 0;
    GtkWidget* box = gtk_message_dialog_new(
        GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_INFO, GTK_BUTTONS_OK,
        "Titel: %s\nAdresse: %s\nVerbindung: %s", title && *title ? title : "(ohne Titel)",
        uri ? uri : "", secure ? "verschl\xc3\xbcsselt" : "nicht verschl\xc3\xbcsselt");
    gtk_window_set_title(GTK_WINDOW(box), "Eigenschaften");
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
    return true;
}

// Asks for the text and finds its next occurrence in the page, from the top again after the end.
bool GtkSkinnedWindow::findText(WebKitWebView* view) {
    WebKitFindController* find = webkit_web_view_get_find_controller(view);
    GtkWidget* dialog = gtk_dialog_new_with_buttons("Suchen", GTK_WINDOW(window_), GTK_DIALOG_MODAL,
                                                    "_Abbrechen", GTK_RESPONSE_CANCEL,
                                                    "_Weitersuchen", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    if (const gchar* last = webkit_find_controller_get_search_text(find))
        gtk_entry_set_text(GTK_ENTRY(entry), last);
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    gtk_container_add(GTK_CONTAINER(area), gtk_label_new("Suchen nach:"));
    gtk_container_add(GTK_CONTAINER(area), entry);
    gtk_widget_show_all(dialog);
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT &&
        gtk_entry_get_text_length(GTK_ENTRY(entry)) > 0)
        webkit_find_controller_search(find, gtk_entry_get_text(GTK_ENTRY(entry)),
                                      WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE |
                                          WEBKIT_FIND_OPTIONS_WRAP_AROUND,
                                      G_MAXUINT);
    gtk_widget_destroy(dialog);
    return true;
}

bool GtkSkinnedWindow::printDocument(WebKitWebView* view) {
    WebKitPrintOperation* print = webkit_print_operation_new(view);
    if (pageSetup_) webkit_print_operation_set_page_setup(print, pageSetup_);
    webkit_print_operation_run_dialog(print, GTK_WINDOW(window_));
    g_object_unref(print);
    return true;
}

// The page setup the user chooses holds for the window's next print.
bool GtkSkinnedWindow::pageSetup(WebKitWebView*) {
    GtkPrintSettings* settings = gtk_print_settings_new();
    GtkPageSetup* setup = gtk_print_run_page_setup_dialog(GTK_WINDOW(window_), pageSetup_, settings);
    g_object_unref(settings);
    if (pageSetup_) g_object_unref(pageSetup_);
    pageSetup_ = setup;
    return true;
}

bool GtkSkinnedWindow::metaContent(PaneId id, const std::string& name, std::string& content) {
    JSCValue* value = evaluate(id,
                               "for (const m of document.getElementsByTagName('meta'))"
                               "  if ((m.getAttribute('name') || '').toLowerCase() ==="
                               "      name.toLowerCase()) return m.getAttribute('content') || '';"
                               "return null;",
                               stringArguments({{"name", name}}));
    if (!value) return false;
    bool found = jsc_value_is_string(value);
    if (found) {
        gchar* text = jsc_value_to_string(value);
        content = toAnsi(text);
        g_free(text);
    }
    g_object_unref(value);
    return found;
}

bool GtkSkinnedWindow::hasUnloadHandler(PaneId id) {
    JSCValue* value = evaluate(id,
                               "return typeof window.onunload === 'function' ||"
                               "  !!(document.body && document.body.hasAttribute('onunload'));",
                               nullptr);
    if (!value) return false;
    bool has = jsc_value_to_boolean(value);
    g_object_unref(value);
    return has;
}

void GtkSkinnedWindow::placePane(PaneId id, const RECT& rect) {
    GtkWidget* widget = widgetOf(id);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        gtk_widget_hide(widget);
        return;
    }
    gtk_layout_move(GTK_LAYOUT(layout_), widget, rect.left, rect.top);
    gtk_widget_set_size_request(widget, width, height);
    gtk_widget_show_all(widget);
}

void GtkSkinnedWindow::raisePane(PaneId id) {
    // The layout draws its children in the order they were added: the last one is on top.
    GtkWidget* widget = widgetOf(id);
    int x = 0, y = 0;
    gtk_container_child_get(GTK_CONTAINER(layout_), widget, "x", &x, "y", &y, nullptr);
    g_object_ref(widget);
    gtk_container_remove(GTK_CONTAINER(layout_), widget);
    gtk_layout_put(GTK_LAYOUT(layout_), widget, x, y);
    g_object_unref(widget);
}

void GtkSkinnedWindow::moveWindow(int x, int y, int width, int height) {
    x_ = x;
    y_ = y;
    width_ = width > 0 ? width : 1;
    height_ = height > 0 ? height : 1;
    gtk_window_move(GTK_WINDOW(window_), x_, y_);
    gtk_window_set_default_size(GTK_WINDOW(window_), width_, height_);
    gtk_window_resize(GTK_WINDOW(window_), width_, height_);
}

namespace {

GdkMonitor* primaryMonitor() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    return monitor ? monitor : gdk_display_get_monitor(display, 0);
}

RECT toRect(const GdkRectangle& r) { return RECT{r.x, r.y, r.x + r.width, r.y + r.height}; }

}  // namespace

RECT GtkSkinnedWindow::workArea() {
    GdkRectangle area{0, 0, 1024, 768};
    if (GdkMonitor* monitor = primaryMonitor()) gdk_monitor_get_workarea(monitor, &area);
    return toRect(area);
}

RECT GtkSkinnedWindow::screenRect() {
    GdkRectangle area{0, 0, 1024, 768};
    if (GdkMonitor* monitor = primaryMonitor()) gdk_monitor_get_geometry(monitor, &area);
    return toRect(area);
}

void GtkSkinnedWindow::setSizeLimits(SIZE minimum, SIZE maximum) {
    GdkGeometry hints{};
    hints.min_width = minimum.cx;
    hints.min_height = minimum.cy;
    hints.max_width = maximum.cx;
    hints.max_height = maximum.cy;
    gtk_window_set_geometry_hints(GTK_WINDOW(window_), nullptr, &hints,
                                  GdkWindowHints(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
}

void GtkSkinnedWindow::setShape(const std::vector<RECT>* region) {
    if (!region) {
        gtk_widget_shape_combine_region(window_, nullptr);
        gtk_widget_input_shape_combine_region(window_, nullptr);
    } else {
        cairo_region_t* shape = cairo_region_create();
        for (const RECT& r : *region) {
            cairo_rectangle_int_t run{r.left, r.top, r.right - r.left, r.bottom - r.top};
            cairo_region_union_rectangle(shape, &run);
        }
        gtk_widget_shape_combine_region(window_, shape);
        gtk_widget_input_shape_combine_region(window_, shape);
        cairo_region_destroy(shape);
    }
    // A shape set on a window already shown takes effect with its next size allocation.
    gtk_widget_queue_resize(window_);
}

bool GtkSkinnedWindow::loadMask(const std::string& path, int width, int height,
                                std::vector<unsigned char>& rgb) {
    if (width <= 0 || height <= 0) return false;
    GdkPixbuf* image = gdk_pixbuf_new_from_file(hostPath(path).c_str(), nullptr);
    if (!image) return false;
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(image, width, height, GDK_INTERP_NEAREST);
    g_object_unref(image);
    if (!scaled) return false;
    int channels = gdk_pixbuf_get_n_channels(scaled);
    int stride = gdk_pixbuf_get_rowstride(scaled);
    const guchar* pixels = gdk_pixbuf_read_pixels(scaled);
    rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::memcpy(&rgb[(static_cast<size_t>(y) * width + x) * 3],
                        pixels + static_cast<size_t>(y) * stride + x * channels, 3);
    g_object_unref(scaled);
    return true;
}

// A window appears once the pages of its shown panes have loaded, so that it never shows as an
// empty box; a page that takes long does not hold it back for more than two seconds.
void GtkSkinnedWindow::show(bool visible) {
    if (!visible) {
        cancelPendingShow();
        gtk_widget_hide(window_);
        return;
    }
    if (!panesLoading()) {
        reveal();
        return;
    }
    if (!showTimeout_) showTimeout_ = g_timeout_add(2000, revealLate, this);
}

bool GtkSkinnedWindow::panesLoading() {
    for (Pane& p : panes_)
        if (gtk_widget_get_visible(GTK_WIDGET(p.view)) && webkit_web_view_is_loading(p.view))
            return true;
    return false;
}

void GtkSkinnedWindow::cancelPendingShow() {
    if (showTimeout_) g_source_remove(showTimeout_);
    showTimeout_ = 0;
}

void GtkSkinnedWindow::reveal() {
    cancelPendingShow();
    gtk_widget_show(layout_);
    gtk_widget_show(window_);
    gtk_window_move(GTK_WINDOW(window_), x_, y_);
}

gboolean GtkSkinnedWindow::revealLate(gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    self->showTimeout_ = 0;
    self->reveal();
    return G_SOURCE_REMOVE;
}

bool GtkSkinnedWindow::isVisible() { return gtk_widget_get_visible(window_); }

void GtkSkinnedWindow::restore() {
    gtk_window_deiconify(GTK_WINDOW(window_));
    gtk_window_unmaximize(GTK_WINDOW(window_));
}

void GtkSkinnedWindow::setTitle(const std::string& title) {
    gtk_window_set_title(GTK_WINDOW(window_), toUtf8(title).c_str());
}

void GtkSkinnedWindow::setTopmost() {
    gtk_window_set_keep_above(GTK_WINDOW(window_), TRUE);
    if (!topmost_) topmostWindows.push_back(this);
    topmost_ = true;
}

gboolean GtkSkinnedWindow::onMap(GtkWidget*, GdkEvent*, gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    if (self->topmost_) return FALSE;
    GdkWindow* mapped = gtk_widget_get_window(self->window_);
    for (GtkSkinnedWindow* window : topmostWindows)
        if (GdkWindow* above = gtk_widget_get_window(window->window_))
            gdk_window_restack(mapped, above, FALSE);
    return FALSE;
}

void GtkSkinnedWindow::focus() { gtk_window_present(GTK_WINDOW(window_)); }

void GtkSkinnedWindow::focusPane(PaneId id) { gtk_widget_grab_focus(widgetOf(id)); }

void GtkSkinnedWindow::processPending() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Only the toolkit's own sources run: the program's window messages are taken from its queue by
// its message loop alone.
void GtkSkinnedWindow::pause(unsigned milliseconds) {
    bool over = false;
    g_timeout_add(milliseconds, giveUp, &over);
    while (!over) g_main_context_iteration(nullptr, TRUE);
}

void GtkSkinnedWindow::setLocationList(const std::vector<std::string>& urls) {
    updatingLocation_ = true;
    GtkWidget* entry = gtk_bin_get_child(GTK_BIN(location_));
    std::string text = gtk_entry_get_text(GTK_ENTRY(entry));
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(location_));
    locationList_.clear();
    for (const std::string& url : urls) {
        std::string utf8 = toUtf8(url);
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(location_), utf8.c_str());
        locationList_.push_back(utf8);
    }
    gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
    updatingLocation_ = false;
}

void GtkSkinnedWindow::setLocationText(const std::string& text) {
    updatingLocation_ = true;
    gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(location_))), toUtf8(text).c_str());
    updatingLocation_ = false;
}

std::string GtkSkinnedWindow::locationText() {
    return toAnsi(gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(location_)))));
}

// Signal handlers. Each pane's handlers get its Pane; the window's get the window.

gboolean GtkSkinnedWindow::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                          WebKitPolicyDecisionType type, gpointer data) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
        type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
        return FALSE;
    auto* p = static_cast<Pane*>(data);
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const gchar* uri = webkit_uri_request_get_uri(request);
    if (!uri) return FALSE;
    // Only posted forms were recorded (a file URL's request has no method to tell).
    std::string postData;
    const WebKitNavigationType kind = webkit_navigation_action_get_navigation_type(action);
    if (kind == WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED ||
        kind == WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED)
        postData = takeFormPost(uri);
    if (!p->owner->events_.onBeforeNavigate(p->id, fromUri(uri), postData)) return FALSE;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

void GtkSkinnedWindow::onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    auto* p = static_cast<Pane*>(data);
    const gchar* uri = webkit_web_view_get_uri(view);
    std::string url = fromUri(uri);
    if (event == WEBKIT_LOAD_COMMITTED) p->owner->events_.onNavigateComplete(p->id, url);
    if (event == WEBKIT_LOAD_FINISHED) {
        // The panes overlap in one window: on a server without a compositor a pane whose first
        // picture arrives while the window is being mapped and stacked can stay undrawn until
        // something else damages it, so the window is drawn again once the picture is there.
        g_timeout_add_full(G_PRIORITY_DEFAULT, 300, redrawLater, g_object_ref(p->owner->window_),
                           g_object_unref);
        if (p->owner->showTimeout_ && !p->owner->panesLoading()) p->owner->reveal();
        p->owner->events_.onDocumentComplete(p->id, url);
    }
}

void GtkSkinnedWindow::onTitle(WebKitWebView* view, GParamSpec*, gpointer data) {
    auto* p = static_cast<Pane*>(data);
    const gchar* title = webkit_web_view_get_title(view);
    p->owner->events_.onTitleChange(p->id, title ? toAnsi(title) : std::string());
}

void GtkSkinnedWindow::onProgress(WebKitWebView* view, GParamSpec*, gpointer data) {
    auto* p = static_cast<Pane*>(data);
    int percent = static_cast<int>(webkit_web_view_get_estimated_load_progress(view) * 100);
    p->owner->events_.onProgressChange(p->id, percent);
}

void GtkSkinnedWindow::onMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint,
                                     gpointer data) {
    auto* p = static_cast<Pane*>(data);
    const gchar* link =
        webkit_hit_test_result_context_is_link(hit) ? webkit_hit_test_result_get_link_uri(hit)
                                                    : nullptr;
    p->overLink = link != nullptr;
    p->owner->events_.onStatusTextChange(p->id, link ? toAnsi(link) : std::string());
}

GtkWidget* GtkSkinnedWindow::onCreate(WebKitWebView* view, WebKitNavigationAction*,
                                      gpointer data) {
    auto* p = static_cast<Pane*>(data);
    auto* target = dynamic_cast<GtkSkinnedWindow*>(p->owner->events_.onNewWindow(p->id));
    return target ? target->adoptRelatedBrowser(view) : nullptr;
}

void GtkSkinnedWindow::onReadyToShow(WebKitWebView* view, gpointer data) {
    auto* p = static_cast<Pane*>(data);
    WebKitWindowProperties* properties = webkit_web_view_get_window_properties(view);
    WindowEvents& events = p->owner->events_;
    events.onBrowserMenuBar(webkit_window_properties_get_menubar_visible(properties));
    GdkRectangle geometry;
    webkit_window_properties_get_geometry(properties, &geometry);
    p->geometry = geometry;
    if (geometry.width > 0 && geometry.height > 0)
        events.onScriptResize(p->id, geometry.width, geometry.height);
    events.onBrowserVisible(true);
}

void GtkSkinnedWindow::onClose(WebKitWebView*, gpointer data) {
    auto* p = static_cast<Pane*>(data);
    p->owner->events_.onScriptClose(p->id);
}

void GtkSkinnedWindow::onGeometry(WebKitWindowProperties* properties, GParamSpec*,
                                  gpointer data) {
    auto* p = static_cast<Pane*>(data);
    GdkRectangle geometry;
    webkit_window_properties_get_geometry(properties, &geometry);
    GdkRectangle before = p->geometry;
    p->geometry = geometry;
    WindowEvents& events = p->owner->events_;
    if (geometry.width > 0 && geometry.height > 0 &&
        (geometry.width != before.width || geometry.height != before.height))
        events.onScriptResize(p->id, geometry.width, geometry.height);
    if (geometry.x != before.x || geometry.y != before.y)
        events.onScriptMove(p->id, geometry.x, geometry.y);
}

gboolean GtkSkinnedWindow::onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                         WebKitHitTestResult*, gpointer data) {
    return static_cast<Pane*>(data)->id != PaneId::Browser;
}

bool GtkSkinnedWindow::beginResize(GdkEventButton* event) {
    // The window has no frame of the window manager: the outermost pixels of whatever lies at
    // the window's edge (a pane or the bare client area) are its sizing frame.
    constexpr int kFrame = 6;
    if (!resizable_ || maximized_ || event->type != GDK_BUTTON_PRESS ||
        event->button != GDK_BUTTON_PRIMARY)
        return false;
    const int x = static_cast<int>(event->x_root) - x_, y = static_cast<int>(event->y_root) - y_;
    const bool left = x < kFrame, right = x >= width_ - kFrame;
    const bool top = y < kFrame, bottom = y >= height_ - kFrame;
    GdkWindowEdge edge;
    if (top && left) edge = GDK_WINDOW_EDGE_NORTH_WEST;
    else if (top && right) edge = GDK_WINDOW_EDGE_NORTH_EAST;
    else if (bottom && left) edge = GDK_WINDOW_EDGE_SOUTH_WEST;
    else if (bottom && right) edge = GDK_WINDOW_EDGE_SOUTH_EAST;
    else if (top) edge = GDK_WINDOW_EDGE_NORTH;
    else if (bottom) edge = GDK_WINDOW_EDGE_SOUTH;
    else if (left) edge = GDK_WINDOW_EDGE_WEST;
    else if (right) edge = GDK_WINDOW_EDGE_EAST;
    else return false;
    gtk_window_begin_resize_drag(GTK_WINDOW(window_), edge, static_cast<int>(event->button),
                                 static_cast<int>(event->x_root), static_cast<int>(event->y_root),
                                 event->time);
    return true;
}

gboolean GtkSkinnedWindow::onFrameButton(GtkWidget*, GdkEventButton* event, gpointer data) {
    return static_cast<GtkSkinnedWindow*>(data)->beginResize(event);
}

gboolean GtkSkinnedWindow::onButton(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto* p = static_cast<Pane*>(data);
    if (p->owner->beginResize(event)) return TRUE;
    // The window has no caption of the window manager: the title bar page, away from its links,
    // moves it.
    if (p->id == PaneId::TitleBar && event->type == GDK_BUTTON_PRESS &&
        event->button == GDK_BUTTON_PRIMARY && !p->overLink) {
        gtk_window_begin_move_drag(GTK_WINDOW(p->owner->window_), event->button,
                                   static_cast<int>(event->x_root),
                                   static_cast<int>(event->y_root), event->time);
        return TRUE;
    }
    // The right button belongs to the browser pane and the location bar only.
    return event->button == GDK_BUTTON_SECONDARY && p->id != PaneId::Browser;
}

gboolean GtkSkinnedWindow::onKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    guint key = gdk_keyval_to_lower(event->keyval);
    if (key == GDK_KEY_F5) return self->events_.onFilterKey(FilterKey::F5);
    if (key == GDK_KEY_Escape) return self->events_.onFilterKey(FilterKey::Escape);
    if (key == GDK_KEY_n && (event->state & GDK_CONTROL_MASK))
        return self->events_.onFilterKey(FilterKey::CtrlN);
    return FALSE;
}

gboolean GtkSkinnedWindow::onConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    self->x_ = event->x;
    self->y_ = event->y;
    if (event->width != self->width_ || event->height != self->height_) {
        self->width_ = event->width;
        self->height_ = event->height;
        self->events_.onSize(self->maximized_ ? SizeType::Maximized : SizeType::Restored,
                             event->width, event->height);
    }
    return FALSE;
}

gboolean GtkSkinnedWindow::onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    self->maximized_ = event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED;
    if (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED)
        self->events_.onSize(SizeType::Minimized, self->width_, self->height_);
    return FALSE;
}

gboolean GtkSkinnedWindow::onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    static_cast<GtkSkinnedWindow*>(data)->events_.onCloseRequest();
    return TRUE;  // the owner destroys the window when it has finished closing
}

void GtkSkinnedWindow::onLocationTyped(GtkEditable* editable, gchar*, gint, gint* position,
                                       gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    if (self->updatingLocation_ || self->appendSource_) return;
    const gint length = gtk_entry_get_text_length(GTK_ENTRY(editable));
    if (*position != length) return;
    // The entry puts its cursor after the typed text once this signal is done, so the completion
    // follows when the typing has settled.
    self->appendSource_ = g_idle_add(appendTypedCompletion, self);
}

gboolean GtkSkinnedWindow::appendTypedCompletion(gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    self->appendSource_ = 0;
    GtkEditable* entry = GTK_EDITABLE(gtk_bin_get_child(GTK_BIN(self->location_)));
    const std::string typed = gtk_entry_get_text(GTK_ENTRY(entry));
    if (typed.empty() || gtk_editable_get_position(entry) != g_utf8_strlen(typed.c_str(), -1))
        return G_SOURCE_REMOVE;
    for (const std::string& url : self->locationList_) {
        if (url.size() <= typed.size() ||
            g_ascii_strncasecmp(url.c_str(), typed.c_str(), typed.size()) != 0)
            continue;
        // The appended part is selected: the next key typed replaces it.
        self->updatingLocation_ = true;
        gint at = static_cast<gint>(g_utf8_strlen(typed.c_str(), -1));
        const std::string rest = url.substr(typed.size());
        gtk_editable_insert_text(entry, rest.c_str(), static_cast<gint>(rest.size()), &at);
        gtk_editable_select_region(entry, static_cast<gint>(g_utf8_strlen(typed.c_str(), -1)), -1);
        self->updatingLocation_ = false;
        break;
    }
    return G_SOURCE_REMOVE;
}

void GtkSkinnedWindow::onLocationActivate(GtkEntry* entry, gpointer data) {
    static_cast<GtkSkinnedWindow*>(data)->events_.onLocationEnter(
        toAnsi(gtk_entry_get_text(entry)));
}

void GtkSkinnedWindow::onLocationChanged(GtkComboBox* combo, gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    if (self->updatingLocation_ || gtk_combo_box_get_active(combo) < 0) return;
    gchar* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(combo));
    if (text) self->events_.onLocationSelect(toAnsi(text));
    g_free(text);
}

void GtkSkinnedWindow::onLocationDrop(GtkWidget* widget, GdkDragContext*, gint, gint,
                                      GtkSelectionData* selection, guint, guint, gpointer data) {
    auto* self = static_cast<GtkSkinnedWindow*>(data);
    gchar** uris = gtk_selection_data_get_uris(selection);
    if (uris && uris[0]) {
        gchar* path = g_filename_from_uri(uris[0], nullptr, nullptr);
        if (path) self->events_.onLocationDrop(toAnsi(path));
        g_free(path);
    }
    g_strfreev(uris);
    g_signal_stop_emission_by_name(widget, "drag-data-received");
}

}  // namespace ui::gtk
