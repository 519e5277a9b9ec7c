// Laying out the wizard's dialogs: a wizard of the time, 317 x 193 dialog units, the side picture
// (160 x 287 pixels at the usual 8-point font) on the left.
#include "wizard_dialogs.h"

namespace {

using ui::ControlClass;

constexpr int kPageWidth = 317;
constexpr int kPageHeight = 193;
constexpr int kSideWidth = 107;
constexpr int kSideHeight = 177;
constexpr int kLeft = kSideWidth + 8;
constexpr int kTextWidth = kPageWidth - kLeft - 7;

}  // namespace

const ui::DialogTemplate& prepareTemplate() {
    static const ui::DialogTemplate dialog{
        IDD_PREPARE, "Installation", 220, 60, "MS Sans Serif", 8,
        {{IDC_PREPARE_TEXT, ControlClass::StaticText,
          "Die Installation wird vorbereitet. Bitte haben Sie etwas Geduld...", {10, 8, 200, 20}},
         {IDC_PREPARE_BAR, ControlClass::ProgressBar, "", {10, 34, 200, 12}}}};
    return dialog;
}

const ui::DialogTemplate& cancelTemplate() {
    static const ui::DialogTemplate dialog{
        IDD_CANCEL, "", 250, 100, "MS Sans Serif", 8,
        {{IDC_CANCEL_ICON, ControlClass::Picture, "", {10, 10, 21, 20}},
         {IDC_CANCEL_TEXT, ControlClass::StaticText, "", {40, 10, 200, 60}},
         {IDC_CANCEL_BACK, ControlClass::DefaultButton, "", {122, 78, 56, 14}},
         {IDCANCEL, ControlClass::PushButton, "", {184, 78, 56, 14}}}};
    return dialog;
}

ui::DialogTemplate pageTemplate(int resourceId, const PageLayout& layout) {
    ui::DialogTemplate page{resourceId, "", kPageWidth, kPageHeight, "MS Sans Serif", 8, {}};
    auto& c = page.controls;
    c.push_back({IDC_SIDE_BITMAP, ControlClass::Picture, "", {0, 0, kSideWidth, kSideHeight}, ui::kSunken});
    c.push_back({IDC_PAGE_TITLE, ControlClass::StaticText, "", {kLeft, 4, kTextWidth, 12}});
    // Texts share the space above the inputs.
    const int inputs = layout.radios + layout.checks + layout.edits + (layout.progress ? 1 : 0) +
                       (layout.dropDown ? 1 : 0) + (layout.buttons ? 1 : 0);
    const int listHeight = (layout.list || layout.listView) ? 70 : 0;
    const int textSpace = kSideHeight - 20 - inputs * 16 - listHeight;
    const int textHeight = layout.texts ? std::max(10, textSpace / layout.texts) : 0;
    int y = 20;
    for (int i = 0; i < layout.texts; ++i, y += textHeight)
        c.push_back({IDC_PAGE_TEXT + i, ControlClass::StaticText, "", {kLeft, y, kTextWidth, textHeight - 2}});
    for (int i = 0; i < layout.radios; ++i, y += 16)
        c.push_back({IDC_CHOICE1 + i, ControlClass::RadioButton, "", {kLeft + 6, y, kTextWidth - 6, 12},
                     i == 0 ? static_cast<unsigned>(ui::kGroup) : 0u});
    for (int i = 0; i < layout.checks; ++i, y += 16)
        c.push_back({IDC_CHOICE1 + layout.radios + i, ControlClass::CheckBox, "",
                     {kLeft + 6, y, kTextWidth - 6, 12}});
    for (int i = 0; i < layout.edits; ++i, y += 16) {
        const bool password = layout.passwordEdit && i == layout.edits - 1;
        c.push_back({IDC_EDIT1 + i, ControlClass::Edit, "", {kLeft + 90, y, kTextWidth - 90, 12},
                     password ? static_cast<unsigned>(ui::kPassword) : 0u});
    }
    if (layout.dropDown) {
        c.push_back({IDC_LIST, ControlClass::DropDownList, "", {kLeft + 90, y, kTextWidth - 90, 80}});
        y += 16;
    }
    if (layout.list || layout.listView) {
        c.push_back({IDC_LIST, layout.listView ? ControlClass::ListView : ControlClass::SortedList, "",
                     {kLeft, y, kTextWidth, listHeight - 4}});
        y += listHeight;
    }
    if (layout.progress) {
        c.push_back({IDC_PROGRESS, ControlClass::ProgressBar, "", {kLeft, y, kTextWidth, 10}});
        y += 16;
    }
    for (int i = 0; i < layout.buttons; ++i)
        c.push_back({IDC_BUTTON1 + i, ControlClass::PushButton, "", {kLeft + i * 90, y, 84, 14}});
    return page;
}

ui::DialogTemplate locationTemplate(int resourceId, int editLimit) {
    ui::DialogTemplate page{resourceId, "", kPageWidth, kPageHeight, "MS Sans Serif", 8, {}};
    auto& c = page.controls;
    c.push_back({IDC_SIDE_BITMAP, ControlClass::Picture, "", {0, 0, kSideWidth, kSideHeight}, ui::kSunken});
    c.push_back({IDC_PAGE_TITLE, ControlClass::StaticText, "", {kLeft, 4, kTextWidth, 12}});
    constexpr int kLabel = 70;
    int y = 20;
    // Question, then label and input: country, area code, outside line.
    for (int i = 0; i < 3; ++i) {
        c.push_back({IDC_PAGE_TEXT + i, ControlClass::StaticText, "", {kLeft, y, kTextWidth, 18}});
        y += 19;
        c.push_back({IDC_LOCATION_LABEL1 + i, ControlClass::StaticText, "", {kLeft + 6, y + 2, kLabel - 6, 10}});
        if (i == 0)
            c.push_back({IDC_LIST, ControlClass::DropDownList, "", {kLeft + kLabel, y, kTextWidth - kLabel, 80}});
        else
            c.push_back({IDC_EDIT1 + i - 1, ControlClass::Edit, "", {kLeft + kLabel, y, 50, 12}, 0u, editLimit});
        y += 17;
    }
    c.push_back({IDC_PAGE_TEXT + 3, ControlClass::StaticText, "", {kLeft, y, kTextWidth, 10}});
    y += 12;
    c.push_back({IDC_CHOICE1, ControlClass::RadioButton, "", {kLeft + 6, y, 80, 12}, ui::kGroup});
    c.push_back({IDC_CHOICE1 + 1, ControlClass::RadioButton, "", {kLeft + 96, y, 80, 12}});
    y += 18;
    c.push_back({IDC_PAGE_TEXT + 4, ControlClass::StaticText, "", {kLeft, y, kTextWidth, kSideHeight - y}});
    return page;
}

ui::DialogTemplate regionTemplate(int resourceId) {
    ui::DialogTemplate page{resourceId, "", kPageWidth, kPageHeight, "MS Sans Serif", 8, {}};
    auto& c = page.controls;
    c.push_back({IDC_SIDE_BITMAP, ControlClass::Picture, "", {0, 0, kSideWidth, kSideHeight}, ui::kSunken});
    c.push_back({IDC_PAGE_TITLE, ControlClass::StaticText, "", {kLeft, 4, kTextWidth, 12}});
    c.push_back({IDC_PAGE_TEXT, ControlClass::StaticText, "", {kLeft, 20, kTextWidth, 20}});
    c.push_back({IDC_PAGE_TEXT + 1, ControlClass::StaticText, "", {kLeft, 44, 70, 10}});
    c.push_back({IDC_LIST, ControlClass::DropDownList, "", {kLeft + 70, 42, kTextWidth - 70, 80}});
    c.push_back({IDC_PAGE_TEXT + 2, ControlClass::StaticText, "", {kLeft, 62, kTextWidth, 10}});
    c.push_back({IDC_REGION_NUMBERS, ControlClass::SortedList, "", {kLeft, 74, kTextWidth, 96}});
    return page;
}
