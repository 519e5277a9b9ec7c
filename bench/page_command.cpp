// Benchmark of the page commands: the browser center assembled as the program runs it (its real
// WebKit panes, the demo skin with two links added to its portal, its own prefix and an Xvfb
// display of its own), clicked with real pointer clicks, and the time from the button's release
// to the command's effect in the process:
//  - the portal's "MOVE:" link: the browser pane placed at its new position;
//  - the demo skin's "Favoriten" button while the favorites show: the extra pane hidden;
//  - the same button while they are hidden (a command that loads a page): the favorites page's
//    document complete in the extra pane.
// The baseline, clicked in turn with them in the same run: a plain link in a bare WebKit view of
// its own window, whose navigation-policy callback notes the navigation and refuses it.
//
// The clicks go through the X server's test extension (XTest) on the process's own display
// connection: the server turns them into real button events, which take the path of a user's
// click through the toolkit, the engine's web process and its policy decision back into the
// program. A click sent from another process (xdotool) would add that process's start to every
// time; events handed straight to the engine would skip the toolkit.
//
//   page_command_bench [rounds]      (from the folder of the built programs; 50 rounds)
#include <windows.h>

#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "gtk_window.h"
#include "lmr_dlg.h"
#include "program.h"
#include "xvfb.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kGoalP95Ms = 5.0;
// The links the benchmark adds to the demo portal's tool bar: the browser pane's left side
// moved right and back.
constexpr const char* kMoveLinks =
    "<a class=\"button\" id=\"bench-right\" href=\"OLECMDID_MOVE:X1=60\">&#8594;</a>"
    "<a class=\"button\" id=\"bench-left\" href=\"OLECMDID_MOVE:X1=10\">&#8592;</a>";

// When an effect was seen; armed before each click.
struct Effect {
    bool armed = false;
    std::optional<Clock::time_point> at;
    void arm() {
        armed = true;
        at.reset();
    }
    void seen() {
        if (armed && !at) at = Clock::now();
    }
};

// Where a click's time goes: when the toolkit handed the button's release to the view, and when
// the engine asked the program about the navigation the click started.
struct Stages {
    bool armed = false;
    std::optional<Clock::time_point> event, decision;
} stages;

gboolean noteRelease(GtkWidget*, GdkEventButton*, gpointer) {
    if (stages.armed && !stages.event) stages.event = Clock::now();
    return FALSE;
}

gboolean noteDecision(GSignalInvocationHint*, guint, const GValue*, gpointer) {
    if (stages.armed && !stages.decision) stages.decision = Clock::now();
    return TRUE;
}

// One click's time from the button's release to its effect, and its parts: to the toolkit's
// event in the view, from there to the engine's policy decision, from there to the effect.
struct Sample {
    double total = 0, toolkit = 0, engine = 0, program = 0;
};

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

gboolean wakeUp(gpointer) { return G_SOURCE_CONTINUE; }

// Runs the program's message loop, as its own loop does (window messages, then the toolkit's
// events, blocking until one comes), until `done` or the time has passed.
bool pumpUntil(const std::function<bool()>& done, double seconds = 20) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    // Wakes the blocking wait now and then, so that the time limit is noticed.
    const guint ticker = g_timeout_add(50, wakeUp, nullptr);
    bool reached = false;
    while (!(reached = done()) && Clock::now() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (!(reached = done())) g_main_context_iteration(nullptr, TRUE);
    }
    g_source_remove(ticker);
    return reached;
}

void pumpFor(double ms) {
    const auto until = Clock::now() + std::chrono::duration<double, std::milli>(ms);
    pumpUntil([&] { return Clock::now() >= until; });
}

// The answer of a script run in the view's page, as text; empty when it has none.
std::string evaluate(WebKitWebView* view, const std::string& script) {
    struct Wait {
        bool done = false;
        std::string text;
    } wait;
    webkit_web_view_evaluate_javascript(
        view, script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* wait = static_cast<Wait*>(data);
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(
                    WEBKIT_WEB_VIEW(source), result, nullptr)) {
                if (jsc_value_is_string(value)) {
                    gchar* text = jsc_value_to_string(value);
                    wait->text = text;
                    g_free(text);
                }
                g_object_unref(value);
            }
            wait->done = true;
        },
        &wait);
    pumpUntil([&] { return wait.done; }, 10);
    return wait.text;
}

bool loaded(WebKitWebView* view, const char* part) {
    const gchar* uri = webkit_web_view_get_uri(view);
    return uri && std::string(uri).find(part) != std::string::npos &&
           !webkit_web_view_is_loading(view);
}

// The screen point at the middle of the element the selector finds in the view's page.
std::optional<std::pair<int, int>> screenPointOf(WebKitWebView* view, const char* selector) {
    const std::string answer = evaluate(
        view, std::string("(() => { const e = document.querySelector('") + selector +
                  "'); if (!e) return ''; const r = e.getBoundingClientRect();"
                  " return Math.round(r.left + r.width / 2) + ',' +"
                  " Math.round(r.top + r.height / 2); })()");
    const size_t comma = answer.find(',');
    if (comma == std::string::npos) return std::nullopt;
    int x = 0, y = 0;
    GtkWidget* widget = GTK_WIDGET(view);
    if (!gtk_widget_translate_coordinates(widget, gtk_widget_get_toplevel(widget),
                                          std::atoi(answer.c_str()),
                                          std::atoi(answer.c_str() + comma + 1), &x, &y))
        return std::nullopt;
    int originX = 0, originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(widget)), &originX,
                          &originY);
    return std::make_pair(originX + x, originY + y);
}

// Real clicks through the X server's test extension.
class Pointer {
public:
    Pointer() : display_(GDK_DISPLAY_XDISPLAY(gdk_display_get_default())) {}

    // Clicks at the point; the time from the button's release to the effect, or none when the
    // effect did not come within the limit. The pointer rests there first, and the button is
    // held a moment, so that what their arrival sets off (a link's status text) is not timed.
    std::optional<Sample> click(std::pair<int, int> point, Effect& effect) {
        XTestFakeMotionEvent(display_, -1, point.first, point.second, CurrentTime);
        XFlush(display_);
        pumpFor(40);
        XTestFakeButtonEvent(display_, 1, True, CurrentTime);
        XFlush(display_);
        pumpFor(40);
        effect.arm();
        stages = Stages{true, std::nullopt, std::nullopt};
        const Clock::time_point released = Clock::now();
        XTestFakeButtonEvent(display_, 1, False, CurrentTime);
        XFlush(display_);
        const bool seen = pumpUntil([&] { return effect.at.has_value(); }, 10);
        effect.armed = false;
        stages.armed = false;
        if (!seen) return std::nullopt;
        Sample sample;
        sample.total = msBetween(released, *effect.at);
        if (stages.event && stages.decision && *stages.decision <= *effect.at) {
            sample.toolkit = msBetween(released, *stages.event);
            sample.engine = msBetween(*stages.event, *stages.decision);
            sample.program = msBetween(*stages.decision, *effect.at);
        }
        return sample;
    }

private:
    Display* display_;
};

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

// The bare baseline: a window with one view and a plain link, its navigations noted and refused.
class BareView {
public:
    BareView(const fs::path& page, int x, int y) {
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
        gtk_window_move(GTK_WINDOW(window_), x, y);
        gtk_window_set_default_size(GTK_WINDOW(window_), 400, 300);
        view_ = WEBKIT_WEB_VIEW(webkit_web_view_new());
        gtk_container_add(GTK_CONTAINER(window_), GTK_WIDGET(view_));
        g_signal_connect(view_, "decide-policy", G_CALLBACK(decide), this);
        webkit_web_view_load_uri(view_, ("file://" + page.string()).c_str());
        gtk_widget_show_all(window_);
    }
    ~BareView() { gtk_widget_destroy(window_); }

    WebKitWebView* view() const { return view_; }
    Effect navigation;

private:
    static gboolean decide(WebKitWebView*, WebKitPolicyDecision* decision,
                           WebKitPolicyDecisionType type, gpointer data) {
        auto* self = static_cast<BareView*>(data);
        if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION || !self->navigation.armed)
            return FALSE;
        self->navigation.seen();
        webkit_policy_decision_ignore(decision);
        return TRUE;
    }

    GtkWidget* window_ = nullptr;
    WebKitWebView* view_ = nullptr;
};

void noteEffect(GtkWidget*, gpointer data) { static_cast<Effect*>(data)->seen(); }
void notePlaced(GtkWidget*, GParamSpec*, gpointer data) { static_cast<Effect*>(data)->seen(); }
void noteLoad(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    if (event == WEBKIT_LOAD_FINISHED) static_cast<Effect*>(data)->seen();
}

// The samples of one kind of click.
struct Samples {
    std::vector<Sample> clicks;
    std::vector<double> part(double Sample::*field) const {
        std::vector<double> values;
        for (const Sample& sample : clicks) values.push_back(sample.*field);
        return values;
    }
};

void printLine(const char* what, const Samples& samples, double baselineP95, bool goal) {
    const std::vector<double> total = samples.part(&Sample::total);
    const double p95 = percentile(total, 0.95);
    std::printf("  %-56s p50 %6.2f ms  p95 %6.2f ms", what, percentile(total, 0.5), p95);
    if (baselineP95 > 0) std::printf("  ratio %.2f", p95 / baselineP95);
    if (goal) std::printf(" (goal: p95 < %.0f ms)", kGoalP95Ms);
    std::printf("\n");
}

// A click's parts, where the engine decides on a navigation: to the view's event, in the engine
// (its web process and back) and in the program.
void printParts(const Samples& samples) {
    const auto parts = [&](double share) {
        std::printf("%.2f / %.2f / %.2f ms", percentile(samples.part(&Sample::toolkit), share),
                    percentile(samples.part(&Sample::engine), share),
                    percentile(samples.part(&Sample::program), share));
    };
    std::printf("      to the view's event / engine / program: p50 ");
    parts(0.5);
    std::printf(", p95 ");
    parts(0.95);
    std::printf("\n");
}

struct Results {
    Samples bare, move, hide, show;
    int missed = 0;
};

// Starts the browser center in the prefix, places the bare view beside its window and clicks
// the links in turn, `rounds` times. False when the program or a page did not come up.
bool measure(const fs::path& install, const fs::path& plain, int rounds, Results& results) {
    const std::string program = (install / "lumora").string();
    LumoraProgram lumora(AppPaths::fromPath(program));
    if (!lumora.app().InitInstance(("\"" + program + "\"").c_str())) {
        std::fprintf(stderr, "the browser center did not start\n");
        return false;
    }
    CLmrDlg* window = nullptr;
    pumpUntil([&] {
        HWND found = FindWindowA("LumoraSkinnedWindow", nullptr);
        window = found ? reinterpret_cast<CLmrDlg*>(GetWindowLongPtrA(found, GWLP_USERDATA))
                       : nullptr;
        return window != nullptr;
    });
    auto* ui = window ? dynamic_cast<ui::gtk::GtkSkinnedWindow*>(window->ui()) : nullptr;
    if (!ui) {
        std::fprintf(stderr, "the browser center opened no window\n");
        return false;
    }
    auto viewOf = [&](ui::PaneId pane) { return WEBKIT_WEB_VIEW(ui->paneWidget(pane)); };
    WebKitWebView* portalView = viewOf(ui::PaneId::Portal);
    WebKitWebView* extraView = viewOf(ui::PaneId::Extra);
    if (!pumpUntil([&] { return loaded(portalView, "portal.htm") && ui->isVisible(); })) {
        std::fprintf(stderr, "the portal did not load\n");
        return false;
    }
    const RECT frame = ui->windowRect();
    BareView bare(plain, frame.right + 40, 100);
    if (!pumpUntil([&] { return loaded(bare.view(), "plain.htm"); })) {
        std::fprintf(stderr, "the bare view did not load its page\n");
        return false;
    }
    pumpFor(500);

    const auto right = screenPointOf(portalView, "#bench-right");
    const auto left = screenPointOf(portalView, "#bench-left");
    const auto favorites = screenPointOf(portalView, "a[href^=\"OLECMDID_EXTRA\"]");
    const auto link = screenPointOf(bare.view(), "#plain");
    if (!right || !left || !favorites || !link) {
        std::fprintf(stderr, "a link to click was not found\n");
        return false;
    }

    Effect moved, hidden, favoritesShown;
    g_signal_connect(ui->paneWidget(ui::PaneId::Browser), "child-notify::x",
                     G_CALLBACK(notePlaced), &moved);
    g_signal_connect(extraView, "hide", G_CALLBACK(noteEffect), &hidden);
    g_signal_connect(extraView, "load-changed", G_CALLBACK(noteLoad), &favoritesShown);
    for (WebKitWebView* view : {portalView, bare.view()})
        g_signal_connect(view, "button-release-event", G_CALLBACK(noteRelease), nullptr);
    const guint decideSignal = g_signal_lookup("decide-policy", WEBKIT_TYPE_WEB_VIEW);
    const gulong hook = g_signal_add_emission_hook(decideSignal, 0, noteDecision, nullptr, nullptr);

    Pointer pointer;
    auto record = [&](std::optional<Sample> sample, Samples& into, const char* what) {
        if (sample) {
            into.clicks.push_back(*sample);
        } else if (++results.missed <= 5) {
            std::fprintf(stderr, "a click on %s had no effect within 10 s\n", what);
        }
    };
    // Each round moves the browser pane right and back, then shows and hides the favorites
    // (hiding them puts the browser pane back at its place in the skin); a click on the plain
    // link comes before each command click.
    for (int i = 0; i < rounds; ++i) {
        record(pointer.click(*link, bare.navigation), results.bare, "the plain link");
        record(pointer.click(*right, moved), results.move, "MOVE");
        record(pointer.click(*link, bare.navigation), results.bare, "the plain link");
        record(pointer.click(*left, moved), results.move, "MOVE");
        record(pointer.click(*link, bare.navigation), results.bare, "the plain link");
        record(pointer.click(*favorites, favoritesShown), results.show, "Favoriten (showing)");
        pumpFor(50);
        record(pointer.click(*favorites, hidden), results.hide, "Favoriten (hiding)");
    }
    g_signal_remove_emission_hook(decideSignal, hook);
    window->postClose();
    pumpUntil([&] { return !lumora.app().hasWindows(); }, 10);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    lumora_test::XvfbServer display;
    if (!display.start("2400x1000x24")) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    // The toolkit's dialogs keep their settings in memory, not in a desktop session's service.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    // The program takes its folder's name in lower case, as the system reports it; the host's
    // folder is named so.
    const fs::path prefix =
        fs::temp_directory_path() / ("lumora-bench-" + std::to_string(getpid()));
    fs::remove_all(prefix);
    fs::create_directories(prefix);
    setenv("LUMORA_PREFIX", prefix.c_str(), 1);
    const fs::path install = prefix / "install";
    fs::create_directories(install);
    fs::copy(LUMORA_SKIN, install / "defhtml");
    std::string portal = readAll(install / "defhtml" / "portal.htm");
    const size_t spacer = portal.find("<div class=\"spacer\">");
    if (spacer == std::string::npos) {
        std::fprintf(stderr, "the demo portal has no tool bar to add the links to\n");
        return 1;
    }
    portal.insert(spacer, kMoveLinks);
    std::ofstream(install / "defhtml" / "portal.htm", std::ios::binary) << portal;
    std::ofstream(install / "lumora.ini", std::ios::binary) << "[Dialup]\r\nUseRas=0\r\n";
    const fs::path plain = prefix / "plain.htm";
    std::ofstream(plain, std::ios::binary)
        << "<html><body><a id=\"plain\" href=\"other.htm\" style=\"display:block;margin:40px;"
           "padding:8px 12px;width:120px\">Weiter</a></body></html>";

    Results results;
    const bool measured = measure(install, plain, rounds, results);
    fs::remove_all(prefix);
    if (!measured) return 1;

    std::printf("page command click -> effect, real clicks through XTest (%d rounds: %zu clicks "
                "on the plain link, %zu on MOVE, %zu on Favoriten each way)\n",
                rounds, results.bare.clicks.size(), results.move.clicks.size(),
                results.hide.clicks.size());
    const double baseline = percentile(results.bare.part(&Sample::total), 0.95);
    printLine("bare WebKit view, plain link, policy callback (baseline):", results.bare, 0, false);
    printParts(results.bare);
    printLine("portal MOVE:X1= (the browser pane placed):", results.move, baseline, true);
    printParts(results.move);
    printLine("portal Favoriten while shown (the extra pane hidden):", results.hide, baseline,
              true);
    printParts(results.hide);
    printLine("portal Favoriten while hidden (loads a page, until its", results.show, baseline,
              false);
    std::printf("    document complete in the extra pane; no goal)\n");
    return results.missed == 0 ? 0 : 1;
}
