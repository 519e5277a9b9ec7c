// Shared by the dialog tests of both toolkits: the message pump that runs dialogs while a test
// waits, the templates the tests show, and finding text on the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "sheet.h"

namespace dialog_test {

// Runs the thread's messages (and so the toolkit) until `done` holds; false after 10 seconds.
inline bool pumpUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > 10000) return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (ui::isDialogMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    return true;
}

// Lets what is pending happen (drawing, layout) for a moment.
inline void settle(DWORD ms = 200) {
    const DWORD start = GetTickCount();
    pumpUntil([&] { return GetTickCount() - start >= ms; });
}

// A dialog with one control of every class, in a font whose measures the layout test knows.
inline const ui::DialogTemplate& everyControl() {
    using ui::ControlClass;
    static const ui::DialogTemplate t{
        100,
        "Pr\xfc" "fung",
        220,
        150,
        "DejaVu Sans",
        8,
        {
            {-1, ControlClass::StaticText, "&Name:", {7, 9, 40, 8}},
            {10, ControlClass::Edit, "", {50, 7, 80, 12}, ui::kNone, 5},
            {11, ControlClass::Edit, "", {140, 7, 73, 12}, ui::kPassword},
            {-1, ControlClass::GroupBox, "Kundenart", {7, 24, 100, 40}},
            {20, ControlClass::RadioButton, "&Neukunde", {14, 35, 80, 10}, ui::kGroup},
            {21, ControlClass::RadioButton, "&Altkunde", {14, 48, 80, 10}},
            {30, ControlClass::CheckBox, "Kennwort &speichern", {114, 28, 99, 10}},
            {40, ControlClass::SortedList, "", {114, 42, 99, 30}},
            {50, ControlClass::DropDownList, "", {7, 70, 100, 60}},
            {60, ControlClass::ListView, "", {114, 76, 99, 30}},
            {70, ControlClass::ProgressBar, "", {7, 88, 100, 8}},
            {80, ControlClass::PushButton, "&Optionen", {7, 112, 50, 14}},
            {90, ControlClass::Picture, "", {60, 100, 40, 26}},
            {-1, ControlClass::StaticText,
             "Ein Hinweis, l\xe4nger als eine Zeile seines Rechtecks, wird darin umbrochen.",
             {114, 108, 99, 18}},
            {IDOK, ControlClass::DefaultButton, "OK", {109, 129, 50, 14}},
            {IDCANCEL, ControlClass::PushButton, "Abbrechen", {163, 129, 50, 14}},
        }};
    return t;
}

// A sorted list for the tab stop tests, in the font whose measures the tests know: a tab stop of
// 40 units is 70 pixels there, one of 80 units 140 pixels. The button before it takes the focus,
// so that no focus frame is drawn over the list's text.
inline const ui::DialogTemplate& tabbedList() {
    static const ui::DialogTemplate t{101,
                                      "Tabulatoren",
                                      200,
                                      78,
                                      "DejaVu Sans",
                                      8,
                                      {{IDOK, ui::ControlClass::DefaultButton, "OK", {143, 58, 50, 14}},
                                       {40, ui::ControlClass::SortedList, "", {7, 7, 186, 46}}}};
    return t;
}

// The lines of text drawn in a `width` x `height` area, from the top, each as the x positions at
// which its pieces begin; `ink(x, y)` tells a pixel of text. A piece begins after `gap` columns
// without ink (wider than a letter's own gaps and a blank).
inline std::vector<std::vector<int>> textPieces(int width, int height, const std::function<bool(int, int)>& ink,
                                                int gap = 8) {
    std::vector<std::vector<int>> lines;
    for (int y = 0; y < height;) {
        auto rowInked = [&](int row) {
            for (int x = 0; x < width; ++x)
                if (ink(x, row)) return true;
            return false;
        };
        if (!rowInked(y)) {
            ++y;
            continue;
        }
        int bottom = y;
        while (bottom < height && rowInked(bottom)) ++bottom;
        std::vector<int> starts;
        int blank = gap;
        for (int x = 0; x < width; ++x) {
            bool inked = false;
            for (int row = y; row < bottom && !inked; ++row) inked = ink(x, row);
            if (inked && blank >= gap) starts.push_back(x);
            blank = inked ? 0 : blank + 1;
        }
        lines.push_back(starts);
        y = bottom;
    }
    return lines;
}

// An 8-bit packed bitmap, 4 x 2, whose colour table holds no grey: pixel (x, y) from the top has
// the colour of entry y * 4 + x.
// `rle` stores the rows run-length encoded.
constexpr std::uint32_t kPaletteColours[8] = {0x1F3C8A, 0xC8102E, 0x00A86B, 0xFFB400,
                                              0x6A0DAD, 0x40E0D0, 0x8B4513, 0xF5F5DC};
inline std::vector<std::uint8_t> paletteBitmap(bool rle = false) {
    std::vector<std::uint8_t> b;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const std::vector<std::uint8_t> rows = rle ? std::vector<std::uint8_t>{0, 4, 4, 5, 6, 7, 0, 0,
                                                                           0, 4, 0, 1, 2, 3, 0, 1}
                                               : std::vector<std::uint8_t>{4, 5, 6, 7, 0, 1, 2, 3};
    put(40, 4), put(4, 4), put(2, 4), put(1, 2), put(8, 2), put(rle ? 1 : 0, 4);
    put(static_cast<std::uint32_t>(rows.size()), 4), put(2835, 4), put(2835, 4), put(8, 4), put(0, 4);
    for (std::uint32_t c : kPaletteColours) put(c, 4);  // blue, green, red, 0
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

// An icon file holding the palette bitmap above (and its all-opaque mask).
inline std::vector<std::uint8_t> paletteIcon() {
    std::vector<std::uint8_t> image = paletteBitmap();
    image[8] = 4;  // the height counts the mask's rows too
    image.insert(image.end(), 8, 0);  // the mask: two rows of 4 bytes
    const std::uint32_t size = static_cast<std::uint32_t>(image.size());
    std::vector<std::uint8_t> ico = {0, 0, 1, 0, 1, 0, 4, 2, 8, 0, 1, 0, 8, 0};
    for (std::uint32_t v : {size, 22u})
        for (int i = 0; i < 4; ++i) ico.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    ico.insert(ico.end(), image.begin(), image.end());
    return ico;
}

}  // namespace dialog_test
