// The customer of the dialog fallback tests: steps that act on the run's dialogs by their control
// ids while the run's modal dialogs hold the thread (the same on GTK and on Win32).
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialog.h"
#include "sheet.h"

namespace fallback_test {

using Clock = std::chrono::steady_clock;

// The resource id of the page a sheet shows, 0 when the window is no sheet.
inline int activePageId(HWND hwnd) {
    ui::Sheet* sheet = ui::findSheet(hwnd);
    if (!sheet || sheet->activePage() < 0) return 0;
    return sheet->page(sheet->activePage()).dialogTemplate().resourceId;
}

inline ui::Dialog& activePage(HWND hwnd) {
    ui::Sheet* sheet = ui::findSheet(hwnd);
    return sheet->page(sheet->activePage());
}

// What the customer does, one step after the other, while the run's modal dialogs hold the
// thread: a thread timer looks for the window of the next step and, once it has been on the
// screen for a moment (so that it is painted), lets the step act on it. A step whose window does
// not come within a minute ends the run's dialogs with a quit message, so that the test fails
// instead of waiting for ever.
class Customer {
public:
    struct Step {
        std::string caption;
        int pageId;  // the page a sheet must show; 0 for a plain dialog
        std::function<void(HWND)> act;
    };

    explicit Customer(std::vector<Step> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &Customer::tick);
    }
    ~Customer() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    size_t stepsDone() const { return next_; }
    // Every caption a step was waiting for while it was shown, in order.
    const std::vector<std::string>& seen() const { return seen_; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_) current_->run();
    }
    void run() {
        if (next_ >= steps_.size() || busy_ || gaveUp_) return;
        const Step& step = steps_[next_];
        if (!stepSince_) stepSince_ = Clock::now();
        // A sheet is found by its own caption on both toolkits, whichever page it shows.
        HWND window = FindWindowA(nullptr, step.caption.c_str());
        if (!window || (step.pageId && activePageId(window) != step.pageId)) {
            shownSince_.reset();
            if (Clock::now() - *stepSince_ > std::chrono::seconds(60)) {
                gaveUp_ = true;
                seen_.push_back("never shown: " + step.caption);
                PostQuitMessage(0);
            }
            return;
        }
        if (!shownSince_) shownSince_ = Clock::now();
        if (Clock::now() - *shownSince_ < std::chrono::milliseconds(400)) return;
        shownSince_.reset();
        stepSince_.reset();
        seen_.push_back(step.caption + (step.pageId ? " " + std::to_string(step.pageId) : ""));
        ++next_;
        // A step may open a modal dialog of its own; the timer must not act meanwhile.
        busy_ = true;
        step.act(window);
        busy_ = false;
    }

    static inline Customer* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    bool busy_ = false;
    bool gaveUp_ = false;
    UINT_PTR timer_ = 0;
    std::optional<Clock::time_point> shownSince_;
    std::optional<Clock::time_point> stepSince_;
    std::vector<std::string> seen_;
};

}  // namespace fallback_test
