// MessageBoxA: a GTK dialog with the German button labels of the Windows box when there is a
// display, the text on standard error and the default button's answer when there is none.
// GTK is loaded at run time, only when a box is shown, so winapi (which every program and tool
// links) does not pull GTK into programs that never show a window.
#include <windows.h>

#include "cp1252.h"
#include "queue.h"

#include <glib-object.h>

#include <dlfcn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Button {
    const char* label;
    int id;
};

// The buttons of each box type, left to right, as Windows shows them.
bool buttonsOf(UINT type, std::vector<Button>& buttons, int& closeId) {
    closeId = 0;  // 0: the box cannot be closed without choosing
    switch (type & MB_TYPEMASK) {
    case MB_OK: buttons = {{"OK", IDOK}}; closeId = IDOK; break;
    case MB_OKCANCEL: buttons = {{"OK", IDOK}, {"Abbrechen", IDCANCEL}}; closeId = IDCANCEL; break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{"_Abbrechen", IDABORT}, {"_Wiederholen", IDRETRY}, {"_Ignorieren", IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{"_Ja", IDYES}, {"_Nein", IDNO}, {"Abbrechen", IDCANCEL}};
        closeId = IDCANCEL;
        break;
    case MB_YESNO: buttons = {{"_Ja", IDYES}, {"_Nein", IDNO}}; break;
    case MB_RETRYCANCEL:
        buttons = {{"_Wiederholen", IDRETRY}, {"Abbrechen", IDCANCEL}};
        closeId = IDCANCEL;
        break;
    case MB_CANCELTRYCONTINUE:
        buttons = {{"Abbrechen", IDCANCEL}, {"_Wiederholen", IDTRYAGAIN}, {"_Weiter", IDCONTINUE}};
        closeId = IDCANCEL;
        break;
    default: return false;
    }
    return true;
}

std::string plain(const char* label) {
    std::string text;
    for (const char* p = label; *p; ++p)
        if (*p != '_') text += *p;
    return text;
}

// The few GTK 3 calls the box needs; GTK's types stay opaque here.
struct Gtk {
    gboolean (*initCheck)(int*, char***);
    void* (*messageDialogNew)(void*, int, int, int, const char*, ...);
    void* (*dialogAddButton)(void*, const char*, int);
    void (*dialogSetDefaultResponse)(void*, int);
    void (*windowSetTitle)(void*, const char*);
    void (*windowSetKeepAbove)(void*, gboolean);
    void (*windowSetDeletable)(void*, gboolean);
    void (*widgetShowAll)(void*);
    void (*widgetDestroy)(void*);
};

const Gtk* loadGtk() {
    static const Gtk* gtk = []() -> const Gtk* {
        void* lib = ::dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_GLOBAL);
        if (!lib) return nullptr;
        auto* g = new Gtk;
        bool ok = true;
        auto bind = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(::dlsym(lib, name));
            ok = ok && fn;
        };
        bind(g->initCheck, "gtk_init_check");
        bind(g->messageDialogNew, "gtk_message_dialog_new");
        bind(g->dialogAddButton, "gtk_dialog_add_button");
        bind(g->dialogSetDefaultResponse, "gtk_dialog_set_default_response");
        bind(g->windowSetTitle, "gtk_window_set_title");
        bind(g->windowSetKeepAbove, "gtk_window_set_keep_above");
        bind(g->windowSetDeletable, "gtk_window_set_deletable");
        bind(g->widgetShowAll, "gtk_widget_show_all");
        bind(g->widgetDestroy, "gtk_widget_destroy");
        if (!ok || !g->initCheck(nullptr, nullptr)) {
            delete g;
            return nullptr;
        }
        return g;
    }();
    return gtk;
}

int messageType(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return 3;         // GTK_MESSAGE_ERROR
    case MB_ICONQUESTION: return 2;     // GTK_MESSAGE_QUESTION
    case MB_ICONEXCLAMATION: return 1;  // GTK_MESSAGE_WARNING
    case MB_ICONASTERISK: return 0;     // GTK_MESSAGE_INFO
    default: return 4;                  // GTK_MESSAGE_OTHER
    }
}

struct Answer {
    int id = 0;
    int closeId = 0;
};

void onResponse(void*, int response, gpointer data) {
    auto* answer = static_cast<Answer*>(data);
    answer->id = response > 0 ? response : answer->closeId;
}

// Shows the dialog and runs a modal loop that, like Windows', keeps dispatching the thread's
// messages (timers and posted messages of its windows) until a button is chosen.
int showDialog(const Gtk& gtk, const std::string& text, const std::string& caption, UINT type,
               const std::vector<Button>& buttons, int defaultId, int closeId) {
    void* dialog = gtk.messageDialogNew(nullptr, 1 /* modal */, messageType(type), 0, "%s",
                                        text.c_str());
    gtk.windowSetTitle(dialog, caption.c_str());
    for (const Button& b : buttons) gtk.dialogAddButton(dialog, b.label, b.id);
    gtk.dialogSetDefaultResponse(dialog, defaultId);
    gtk.windowSetDeletable(dialog, closeId != 0);
    if (type & (MB_SYSTEMMODAL | MB_TOPMOST)) gtk.windowSetKeepAbove(dialog, TRUE);
    Answer answer;
    answer.closeId = closeId;
    g_signal_connect(dialog, "response", G_CALLBACK(&onResponse), &answer);
    gtk.widgetShowAll(dialog);
    auto queue = winapi::user32::MessageQueue::current();
    bool quit = false;
    int quitCode = 0;
    while (!answer.id) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            queue->wait();
            continue;
        }
        if (msg.message == WM_QUIT) {
            // The quit message ends the box with the close answer and stays for the caller's loop.
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            answer.id = closeId ? closeId : defaultId;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_signal_handlers_disconnect_by_data(dialog, &answer);
    gtk.widgetDestroy(dialog);
    if (quit) PostQuitMessage(quitCode);
    return answer.id;
}

}  // namespace

extern "C" {

int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    std::vector<Button> buttons;
    int closeId = 0;
    if (!buttonsOf(uType, buttons, closeId)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        size_t index = (uType & MB_DEFMASK) >> 8;
        if (index >= buttons.size()) index = 0;
        const int defaultId = buttons[index].id;
        const std::string text = winapi::cp1252ToUtf8(lpText ? lpText : "");
        const std::string caption = winapi::cp1252ToUtf8(lpCaption ? lpCaption : "Fehler");

        // GTK belongs to the main thread; a box from another thread, like one without a
        // display, is told on standard error.
        const bool mainThread = ::syscall(SYS_gettid) == ::getpid();
        const char* display = std::getenv("DISPLAY");
        if (mainThread && display && *display) {
            if (const Gtk* gtk = loadGtk())
                return showDialog(*gtk, text, caption, uType, buttons, defaultId, closeId);
        }
        std::string choices;
        for (const Button& b : buttons) choices += (choices.empty() ? "" : "/") + plain(b.label);
        std::fprintf(stderr, "%s: %s [%s] -> %s\n", caption.c_str(), text.c_str(), choices.c_str(),
                     plain(buttons[index].label).c_str());
        std::fflush(stderr);
        return defaultId;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

}  // extern "C"
