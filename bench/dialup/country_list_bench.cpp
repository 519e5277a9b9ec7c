// Benchmark of the settings page's country list in the real WebKit pane: dial.htm loaded into the
// extra pane of a skinned window and its list filled as the browser center fills it (all
// countries from telephony, sorted by a sorted combo box, the markup replaced in the page), until
// the page gives the filled list back; against loading a static copy of dial.htm that already
// holds the same options, until it gives the list back. Both alternate in one run, in a prefix
// of their own.
//
//   xvfb-run -a ./country_list_bench [runs]      (from the folder of the built programs; 20 runs)
#include <windows.h>

#include <gtk/gtk.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app_paths.h"
#include "dial_services.h"
#include "recording_host.h"
#include "toolkit.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kList = "CTN_COUNTRYLIST";

// The window's events: only the extra pane's document-complete matters here.
class PageLoads : public ui::WindowEvents {
public:
    int completed = 0;
    bool onBeforeNavigate(ui::PaneId, const std::string&, const std::string&) override {
        return false;
    }
    void onNavigateComplete(ui::PaneId, const std::string&) override {}
    void onDocumentComplete(ui::PaneId pane, const std::string&) override {
        if (pane == ui::PaneId::Extra) ++completed;
    }
    void onTitleChange(ui::PaneId, const std::string&) override {}
    void onStatusTextChange(ui::PaneId, const std::string&) override {}
    void onProgressChange(ui::PaneId, int) override {}
    ui::SkinnedWindow* onNewWindow(ui::PaneId) override { return nullptr; }
    void onBrowserVisible(bool) override {}
    void onBrowserMenuBar(bool) override {}
    void onScriptResize(ui::PaneId, int, int) override {}
    void onScriptMove(ui::PaneId, int, int) override {}
    void onScriptClose(ui::PaneId) override {}
    void onCloseRequest() override {}
    void onSize(ui::SizeType, int, int) override {}
    bool onFilterKey(ui::FilterKey) override { return false; }
    void onLocationEnter(const std::string&) override {}
    void onLocationSelect(const std::string&) override {}
    void onLocationDrop(const std::string&) override {}
};

// The page host the dial page's country list writes through: the real window's extra pane.
class ExtraPane : public RecordingHost {
public:
    explicit ExtraPane(ui::SkinnedWindow& window) : window_(window) {}
    std::string elementOuterHtml(PagePane, const std::string& id) override {
        return window_.elementOuterHtml(ui::PaneId::Extra, id);
    }
    void setElementOuterHtml(PagePane, const std::string& id, const std::string& html) override {
        window_.setElementOuterHtml(ui::PaneId::Extra, id, html);
    }

private:
    ui::SkinnedWindow& window_;
};

bool pumpUntil(const std::function<bool()>& done) {
    const auto end = Clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (Clock::now() > end) return false;
        g_main_context_iteration(nullptr, TRUE);
    }
    return true;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    char prefix[] = "/tmp/lumora-bench-XXXXXX";
    if (!mkdtemp(prefix)) return 1;
    setenv("LUMORA_PREFIX", prefix, 1);
    const fs::path pages = fs::path(prefix) / "config";
    fs::copy(LUMORA_PAGES, pages);

    std::unique_ptr<ui::Toolkit> toolkit = ui::makeToolkit();
    if (!toolkit->start()) {
        std::fprintf(stderr, "country_list_bench needs a display (xvfb-run -a)\n");
        return 2;
    }
    PageLoads events;
    std::unique_ptr<ui::SkinnedWindow> window = toolkit->createWindow(events);
    window->moveWindow(0, 0, 410, 410);
    window->placePane(ui::PaneId::Extra, RECT{0, 0, 410, 410});
    window->raisePane(ui::PaneId::Extra);
    window->show(true);
    ExtraPane host(*window);
    DialServices services(AppPaths::fromPath((pages / "lumora.exe").string()));
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100, 30,
                                 nullptr, nullptr, nullptr, nullptr);
    const std::string country = services.currentCountryId();
    const int width = services.maxCountryNameLength();

    // Loads a page into the extra pane; with `fill`, fills its country list as the browser
    // center does. Ends when the page gives the list back; the list's markup, or "" on failure.
    const auto show = [&](const fs::path& page, bool fill, double& ms) {
        const int before = events.completed;
        const auto start = Clock::now();
        window->navigate(ui::PaneId::Extra, page.string());
        if (!pumpUntil([&] { return events.completed > before; })) return std::string();
        if (fill && !services.setHtmlTapiCountryList(host, kList, country, combo, width))
            return std::string();
        std::string list = window->elementOuterHtml(ui::PaneId::Extra, kList);
        ms = millisecondsSince(start);
        return list;
    };

    // The static page: dial.htm with the list as the filled page gives it back.
    double ignored = 0;
    const std::string filled = show(pages / "dial.htm", true, ignored);
    std::string text = readAll(pages / "dial.htm");
    const size_t begin = text.find("<p id=\"CTN_COUNTRYLIST\"");
    const size_t end = begin == std::string::npos ? begin : text.find("</p>", begin);
    if (filled.empty() || end == std::string::npos) {
        std::fprintf(stderr, "dial.htm has no country list to fill\n");
        return 1;
    }
    text.replace(begin, end + 4 - begin, filled);
    std::ofstream(pages / "dial_static.htm", std::ios::binary) << text;

    std::vector<double> dynamic_ms, static_ms;
    for (int i = 0; i < runs; ++i) {
        double ms = 0;
        if (show(pages / "dial.htm", true, ms) != filled) {
            std::fprintf(stderr, "run %d: the filled list differs\n", i);
            return 1;
        }
        dynamic_ms.push_back(ms);
        if (show(pages / "dial_static.htm", false, ms) != filled) {
            std::fprintf(stderr, "run %d: the static page's list differs\n", i);
            return 1;
        }
        static_ms.push_back(ms);
    }
    size_t count = 0;
    for (size_t at = filled.find("<option"); at != std::string::npos;
         at = filled.find("<option", at + 1))
        ++count;
    const double built = median(dynamic_ms), loaded = median(static_ms);
    std::printf("country list: dial.htm loaded and its %zu options filled in the pane, median of "
                "%d runs: %.1f ms (the static page with the same options: %.1f ms), ratio %.2f\n",
                count, runs, built, loaded, loaded > 0 ? built / loaded : 0.0);
    DestroyWindow(combo);
    window.reset();
    fs::remove_all(prefix);
    return 0;
}
