// The Win32 dialogs as Windows itself sees them (under Wine): the controls of a template are the
// system's, found with GetDlgItem at the rectangles Windows maps their dialog units to, pressed with
// BM_CLICK; a bitmap's palette colours and a list view's icons are on the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dialog_support.h"

#include <commctrl.h>

using dialog_test::pumpUntil;
using dialog_test::settle;

namespace {

class Quiet : public ui::DialogHandler {};

TEST(Win32Dialogs, ControlsAreTheSystemsAtTheRectanglesWindowsMapsTheirDialogUnitsTo) {
    ASSERT_TRUE(ui::startDialogs());
    Quiet quiet;
    const ui::DialogTemplate& t = dialog_test::everyControl();
    auto d = ui::createModeless(t, quiet);
    ASSERT_TRUE(d);
    HWND dialog = d->hwnd();
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_EQ(ui::findDialog(dialog), d.get());
    const std::vector<std::uint8_t> packed = dialog_test::paletteBitmap(true);
    ui::Bitmap bitmap;
    ASSERT_TRUE(ui::decodePackedBitmap(packed.data(), packed.size(), bitmap));
    d->setBitmap(90, bitmap);
    settle();

    char caption[64] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Pr\xfc" "fung");
    const ui::BaseUnits units = d->baseUnits();
    for (const ui::ControlTemplate& c : t.controls) {
        if (c.id == -1) continue;
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_TRUE(control) << c.id;
        RECT want{c.rect.x, c.rect.y, c.rect.x + c.rect.cx, c.rect.y + c.rect.cy};
        MapDialogRect(dialog, &want);
        RECT got;
        GetWindowRect(control, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
        // Windows maps position and size each on its own: at most a pixel from the far edge that
        // MapDialogRect gives, and exactly what the layer computes for the GTK side.
        EXPECT_EQ(got.left, want.left) << c.id;
        EXPECT_EQ(got.top, want.top) << c.id;
        EXPECT_LE(std::abs(got.right - want.right), 1) << c.id;
        const RECT ours = ui::dialogToPixels(c.rect, units);
        EXPECT_EQ(got.right, ours.right) << c.id;
        // (A drop-down list's window is as high as its open list only while open.)
        if (c.kind != ui::ControlClass::DropDownList) {
            EXPECT_EQ(got.bottom, ours.bottom) << c.id;
        }
    }
    char klass[64] = "";
    GetClassNameA(GetDlgItem(dialog, 60), klass, sizeof klass);
    EXPECT_STREQ(klass, "SysListView32");
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, 11), GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 10, EM_GETLIMITTEXT, 0, 0), 5);

    const RECT picture = d->controlRect(90);
    const int cellWidth = (picture.right - picture.left) / 4, cellHeight = (picture.bottom - picture.top) / 2;
    HDC dc = GetDC(dialog);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const COLORREF c = GetPixel(dc, picture.left + x * cellWidth + cellWidth / 2,
                                        picture.top + y * cellHeight + cellHeight / 2);
            const std::uint32_t rgb = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
            EXPECT_EQ(rgb, dialog_test::kPaletteColours[y * 4 + x]) << x << "," << y;
        }
    ReleaseDC(dialog, dc);
    // Ended, a modeless dialog's window is gone.
    d->end(IDCANCEL);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(d->hwnd(), nullptr);
}

// The list view's small icons are the system's image list made from the icons given: an icon
// shows in its row, a null handle keeps its place empty (the row's background).
TEST(Win32Dialogs, AListViewsSmallIconsAreTheIconsGivenAndANullOneAnEmptyPlace) {
    ASSERT_TRUE(ui::startDialogs());
    Quiet quiet;
    const ui::DialogTemplate t{110, "Ger\xe4te", 200, 100, "MS Sans Serif", 8,
                               {{60, ui::ControlClass::ListView, "", {7, 7, 186, 86}}}};
    auto d = ui::createModeless(t, quiet);
    ASSERT_TRUE(d);
    // A large icon, red and opaque all over, as a provider's icon is 32 x 32.
    const std::vector<DWORD> red(32 * 32, 0xFFE01010);
    const std::vector<BYTE> opaque(32 * 32 / 8, 0);
    HICON icon = CreateIcon(GetModuleHandleA(nullptr), 32, 32, 1, 32, opaque.data(),
                            reinterpret_cast<const BYTE*>(red.data()));
    ASSERT_TRUE(icon);
    d->addColumn(60, "Ger\xe4t", -1);
    d->setSmallIcons(60, {icon, nullptr});
    d->addItem(60, "Modem", 0);
    d->addItem(60, "Ohne Symbol", 1);
    DestroyIcon(icon);  // the list keeps its own copy
    settle();

    HWND list = GetDlgItem(d->hwnd(), 60);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_TRUE(images);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    HDC dc = GetDC(list);
    std::vector<COLORREF> centres;
    for (int row = 0; row < 2; ++row) {
        RECT r{};
        r.left = LVIR_ICON;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        centres.push_back(GetPixel(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    const COLORREF background = static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0));
    ReleaseDC(list, dc);
    EXPECT_EQ(centres[0], RGB(0xE0, 0x10, 0x10));
    EXPECT_EQ(centres[1], background == CLR_NONE ? GetSysColor(COLOR_WINDOW) : background);
    d->end(IDCANCEL);
}

// The list box's tab stops as the system draws them: the text after a tab starts at the first
// stop right of the text before it, so the pieces of shorter lines stand in a column.
TEST(Win32Dialogs, TabsInAListsItemsMoveOnToItsTabStopsOnTheScreen) {
    ASSERT_TRUE(ui::startDialogs());
    Quiet quiet;
    auto d = ui::createModeless(dialog_test::tabbedList(), quiet);
    ASSERT_TRUE(d);
    d->setTabStops(40, {40, 80});
    for (const char* item : {"Ulm\tb", "Hauptbahnhofstrasse\tb", "a\tb"}) d->addItem(40, item);
    HWND list = GetDlgItem(d->hwnd(), 40);
    ASSERT_TRUE(list);
    EXPECT_TRUE(GetWindowLongA(list, GWL_STYLE) & LBS_USETABSTOPS);
    RECT client{};
    GetClientRect(list, &client);
    std::vector<std::vector<int>> lines;
    pumpUntil([&] {
        HDC dc = GetDC(list);
        lines = dialog_test::textPieces(client.right, client.bottom, [&](int x, int y) {
            const COLORREF c = GetPixel(dc, x, y);
            return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
        });
        ReleaseDC(list, dc);
        return lines.size() == 3;
    });
    std::string found;
    for (const auto& line : lines) {
        found += "|";
        for (int x : line) found += " " + std::to_string(x);
    }
    ASSERT_EQ(lines.size(), 3u) << found;
    for (const auto& line : lines) ASSERT_EQ(line.size(), 2u) << found << " base " << d->baseUnits().x;
    // Sorted: a, Hauptbahnhofstrasse, Ulm. The stops in pixels of the list's font: 40 and 80
    // quarters of its average character width.
    const int first = 10 * d->baseUnits().x, second = 20 * d->baseUnits().x;
    EXPECT_NEAR(lines[0][1] - lines[0][0], first, 2);
    EXPECT_EQ(lines[2][1], lines[0][1]);
    EXPECT_NEAR(lines[1][1] - lines[1][0], second, 2);
    EXPECT_EQ(lines[1][1] - lines[0][1], second - first);
    d->end(IDCANCEL);
}

// Types into the edit and presses the check box and OK as another program would: through the
// controls' own windows.
class Clicked : public ui::DialogHandler {
public:
    void onInit(ui::Dialog& d) override { PostMessageA(d.hwnd(), WM_APP + 1, 0, 0); }
    bool onMessage(ui::Dialog& d, UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg != WM_APP + 1) return false;
        SetWindowTextA(GetDlgItem(d.hwnd(), 10), "\xc4rger");
        SendMessageA(GetDlgItem(d.hwnd(), 30), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(d.hwnd(), IDOK), BM_CLICK, 0, 0);
        return true;
    }
    bool onCommand(ui::Dialog& d, int id, ui::CommandEvent event) override {
        if (event == ui::CommandEvent::Clicked) clicks.push_back(id);
        if (id == IDOK) seen = {d.text(10), d.checked(30) ? "checked" : "unchecked"};
        return false;
    }
    std::vector<int> clicks;
    std::vector<std::string> seen;
};

TEST(Win32Dialogs, ButtonsPressedWithBmClickReachTheHandler) {
    ASSERT_TRUE(ui::startDialogs());
    Clicked h;
    EXPECT_EQ(ui::runModal(dialog_test::everyControl(), h), IDOK);
    EXPECT_EQ(h.clicks, (std::vector<int>{30, IDOK}));
    EXPECT_EQ(h.seen, (std::vector<std::string>{"\xc4rger", "checked"}));
}

class Keys : public ui::DialogHandler {
public:
    bool onCommand(ui::Dialog&, int id, ui::CommandEvent event) override {
        if (event == ui::CommandEvent::Clicked) commands.push_back(id);
        return true;  // stays open for the next key
    }
    std::vector<int> commands;
};

TEST(Win32Dialogs, AModelessDialogsKeysWorkThroughTheMessageLoop) {
    ASSERT_TRUE(ui::startDialogs());
    using ui::ControlClass;
    const ui::DialogTemplate keys{
        400, "Tasten", 160, 80, "MS Sans Serif", 8,
        {
            {IDOK, ControlClass::DefaultButton, "OK", {50, 60, 50, 14}},
            {10, ControlClass::Edit, "", {7, 7, 100, 12}},
            {-1, ControlClass::StaticText, "Hinweis", {7, 22, 100, 8}},
            {30, ControlClass::CheckBox, "&Merken", {7, 34, 100, 10}},
            {31, ControlClass::CheckBox, "Gesperrt", {7, 46, 100, 10}, ui::kDisabled},
            {IDCANCEL, ControlClass::PushButton, "Abbrechen", {104, 60, 50, 14}},
        }};
    Keys h;
    auto d = ui::createModeless(keys, h);
    ASSERT_TRUE(d);
    SetForegroundWindow(d->hwnd());
    d->setFocus(10);
    ASSERT_TRUE(pumpUntil([&] { return d->focusedControl() == 10; }));
    // Keys go to the control with the focus; the loop hands them to the dialog first.
    auto key = [&](WPARAM vk) { PostMessageA(GetFocus(), WM_KEYDOWN, vk, 0); };
    key(VK_TAB);
    EXPECT_TRUE(pumpUntil([&] { return d->focusedControl() == 30; }));
    key(VK_TAB);  // past the disabled box
    EXPECT_TRUE(pumpUntil([&] { return d->focusedControl() == IDCANCEL; }));
    d->setFocus(30);
    ASSERT_TRUE(pumpUntil([&] { return d->focusedControl() == 30; }));
    key(VK_RETURN);  // on a check box: the default button
    EXPECT_TRUE(pumpUntil([&] { return h.commands.size() == 1; }));
    key(VK_ESCAPE);
    EXPECT_TRUE(pumpUntil([&] { return h.commands.size() == 2; }));
    EXPECT_EQ(h.commands, (std::vector<int>{IDOK, IDCANCEL}));
}

class Page : public ui::PageHandler {
public:
    explicit Page(bool refuses) : refuses_(refuses) {}
    bool onSetActive(ui::Sheet&, ui::Dialog&) override { return !refuses_; }

private:
    bool refuses_;
};

TEST(Win32Dialogs, TheWizardsButtonsAreTheSheetsOwnAndPressedWithBmClick) {
    ASSERT_TRUE(ui::startDialogs());
    Page a(false), b(true), c(false);
    const ui::DialogTemplate pa{501, "Eins", 200, 100, "MS Sans Serif", 8, {}};
    const ui::DialogTemplate pb{502, "Zwei", 200, 100, "MS Sans Serif", 8, {}};
    const ui::DialogTemplate pc{503, "Drei", 200, 100, "MS Sans Serif", 8, {}};
    ui::SheetTemplate t;
    t.caption = "Einrichtung";
    t.buttonTexts = {"< &Zur\xfc" "ck", "&Weiter >", "&Fertig", "Abbrechen", "Hilfe"};
    t.pages = {{&pa, &a}, {&pb, &b}, {&pc, &c}};
    const std::vector<std::uint8_t> ico = dialog_test::paletteIcon();
    ASSERT_TRUE(ui::decodeIconFile(ico.data(), ico.size(), t.icon));
    auto sheet = ui::createSheet(t);
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(SendMessageA(sheet->hwnd(), WM_GETICON, ICON_BIG, 0));
    HWND next = GetDlgItem(sheet->hwnd(), 0x3024);
    ASSERT_TRUE(next);
    char text[64] = "";
    GetWindowTextA(GetDlgItem(sheet->hwnd(), 0x3023), text, sizeof text);
    EXPECT_STREQ(text, "< &Zur\xfc" "ck");
    SendMessageA(next, BM_CLICK, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return sheet->activePage() == 2; }));
    SendMessageA(GetDlgItem(sheet->hwnd(), 0x3023), BM_CLICK, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return sheet->activePage() == 0; }));
}

}  // namespace
