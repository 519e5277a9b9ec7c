// The GTK dialogs as a user meets them on an Xvfb display: the template's dialog units become
// exactly the pixel rectangles of the dialog font's measures, a bitmap shows its palette's colours
// on the screen, and the keyboard works as in any dialog (Tab in template order, Enter for the
// default button, Escape for Cancel), typed through the X server.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog_support.h"
#include "gtk_dialog.h"
#include "gtk_sheet.h"
#include "testenv.h"
#include "xvfb.h"

// Last: X11's macros (None, Status ...) would clash with the names above.
#include <gdk/gdkx.h>

extern char** environ;

namespace {

using dialog_test::pumpUntil;
using dialog_test::settle;

class Display : public testing::Environment {
public:
    void SetUp() override { started = server.start(); }
    lumora_test::XvfbServer server;
    bool started = false;
};
Display* display = static_cast<Display*>(testing::AddGlobalTestEnvironment(new Display));

GtkWidget* toplevel(ui::Dialog& d) { return dynamic_cast<ui::gtk::GtkDialog&>(d).window(); }

// For a look at it: build/linux/screenshots/NAME.png.
void screenshot(GtkWidget* window, const char* name) {
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(window), &width, &height);
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(window), 0, 0, width, height);
    if (!shot) return;
    const std::string dir = lumora_test::binaryDir() + "../screenshots";
    g_mkdir_with_parents(dir.c_str(), 0755);
    gdk_pixbuf_save(shot, (dir + "/" + name + ".png").c_str(), "png", nullptr, nullptr);
    g_object_unref(shot);
}

class Quiet : public ui::DialogHandler {};

TEST(GtkDialogs, ControlsTakeThePixelRectanglesOfTheirDialogUnitsAndBitmapsTheirColours) {
    ASSERT_TRUE(display->started && ui::startDialogs());
    Quiet quiet;
    auto d = ui::createModeless(dialog_test::everyControl(), quiet);
    ASSERT_TRUE(d);
    const std::vector<std::uint8_t> packed = dialog_test::paletteBitmap();
    ui::Bitmap bitmap;
    ASSERT_TRUE(ui::decodePackedBitmap(packed.data(), packed.size(), bitmap));
    d->setBitmap(90, bitmap);
    GtkWidget* window = toplevel(*d);
    ASSERT_TRUE(pumpUntil([&] { return gtk_widget_get_mapped(window); }));
    // Laid out (on a loaded machine that may take a moment).
    pumpUntil([&] { return d->controlRect(IDOK).right == 279; });

    // DejaVu Sans 8 pt at 96 dpi, a wide font: its letters average 7 pixels, its cell is 13 high.
    EXPECT_EQ(d->baseUnits().x, 7);
    EXPECT_EQ(d->baseUnits().y, 13);
    auto expectRect = [&](int id, RECT want) {
        const RECT got = d->controlRect(id);
        EXPECT_EQ((std::vector<LONG>{got.left, got.top, got.right, got.bottom}),
                  (std::vector<LONG>{want.left, want.top, want.right, want.bottom}))
            << "control " << id;
    };
    // x * 7 / 4 and y * 13 / 8, each rounded (halves up); sizes mapped on their own.
    expectRect(10, {88, 11, 88 + 140, 11 + 20});       // edit {50, 7, 80, 12}
    expectRect(21, {25, 78, 25 + 140, 78 + 16});       // radio {14, 48, 80, 10}
    expectRect(60, {200, 124, 200 + 173, 124 + 49});   // list view {114, 76, 99, 30}
    expectRect(IDOK, {191, 210, 191 + 88, 210 + 23});  // button {109, 129, 50, 14}
    expectRect(90, {105, 163, 105 + 70, 163 + 42});    // picture {60, 100, 40, 26}
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(window), &width, &height);
    EXPECT_EQ(width, 385);   // 220 * 7 / 4
    EXPECT_EQ(height, 244);  // 150 * 13 / 8, rounded

    screenshot(window, "dialog_every_control");

    // Each bitmap pixel covers a quarter of the picture's width and half its height; their
    // centres on the screen show the colour table's entries (once the window has been drawn).
    const RECT picture = d->controlRect(90);
    const int cellWidth = (picture.right - picture.left) / 4, cellHeight = (picture.bottom - picture.top) / 2;
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    auto onScreen = [&] {
        std::vector<std::uint32_t> colours;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdkWindow, picture.left + x * cellWidth + cellWidth / 2,
                                                             picture.top + y * cellHeight + cellHeight / 2, 1, 1);
                if (!shot) return std::vector<std::uint32_t>{};
                const guchar* p = gdk_pixbuf_get_pixels(shot);
                colours.push_back((std::uint32_t{p[0]} << 16) | (p[1] << 8) | p[2]);
                g_object_unref(shot);
            }
        return colours;
    };
    const std::vector<std::uint32_t> palette(std::begin(dialog_test::kPaletteColours),
                                             std::end(dialog_test::kPaletteColours));
    pumpUntil([&] { return onScreen() == palette; });
    EXPECT_EQ(onScreen(), palette);
}

// The list's tab stops on the screen: the text after a tab starts at the first stop right of the
// text before it, whatever that text's width, so the pieces of shorter lines stand in a column.
TEST(GtkDialogs, TabsInAListsItemsMoveOnToItsTabStopsOnTheScreen) {
    ASSERT_TRUE(display->started && ui::startDialogs());
    Quiet quiet;
    auto d = ui::createModeless(dialog_test::tabbedList(), quiet);
    ASSERT_TRUE(d);
    GtkWidget* window = toplevel(*d);
    ASSERT_TRUE(pumpUntil([&] { return gtk_widget_get_mapped(window); }));
    ASSERT_EQ(d->baseUnits().x, 7);
    d->setTabStops(40, {40, 80});
    for (const char* item : {"Ulm\tb", "Hauptbahnhofstrasse\tb", "a\tb"}) d->addItem(40, item);
    const RECT list = d->controlRect(40);
    const int width = list.right - list.left, height = list.bottom - list.top;
    std::vector<std::vector<int>> lines;
    pumpUntil([&] {
        GdkPixbuf* shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(window), list.left, list.top, width, height);
        if (!shot) return false;
        const guchar* pixels = gdk_pixbuf_get_pixels(shot);
        const int stride = gdk_pixbuf_get_rowstride(shot), channels = gdk_pixbuf_get_n_channels(shot);
        lines = dialog_test::textPieces(width, height, [&](int x, int y) {
            const guchar* p = pixels + y * stride + x * channels;
            return p[0] + p[1] + p[2] < 3 * 128;
        });
        g_object_unref(shot);
        return lines.size() == 3;
    });
    screenshot(window, "dialog_tab_stops");
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines) ASSERT_EQ(line.size(), 2u);
    // Sorted: a, Hauptbahnhofstrasse, Ulm. The short ones' second pieces at the first stop
    // (70 pixels), the long one's, which runs past it, at the second (140 pixels).
    EXPECT_NEAR(lines[0][1] - lines[0][0], 70, 2);
    EXPECT_EQ(lines[2][1], lines[0][1]);
    EXPECT_NEAR(lines[1][1] - lines[1][0], 140, 2);
    EXPECT_EQ(lines[1][1] - lines[0][1], 70);
}

// Runs xdotool with the display's server and waits for it.
bool xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Gives the window the X server's keyboard focus; its X window id for xdotool.
std::string focusWindow(GtkWidget* window) {
    const std::string xid = std::to_string(gdk_x11_window_get_xid(gtk_widget_get_window(window)));
    settle();  // the server has mapped the window
    if (!xdotool({"windowfocus", "--sync", xid})) return "";
    return pumpUntil([&] { return gtk_window_is_active(GTK_WINDOW(window)); }) ? xid : "";
}

class Keys : public ui::DialogHandler {
public:
    bool onCommand(ui::Dialog&, int id, ui::CommandEvent event) override {
        if (event == ui::CommandEvent::Clicked) commands.push_back(id);
        return true;  // stays open for the next key
    }
    std::vector<int> commands;
};

TEST(GtkDialogs, TabWalksTheTemplateOrderEnterPressesTheDefaultButtonEscapeCancels) {
    ASSERT_TRUE(display->started && ui::startDialogs());
    using ui::ControlClass;
    // The default button comes before the edit in the template, though it stands below it.
    const ui::DialogTemplate keys{
        400, "Tasten", 160, 80, "DejaVu Sans", 8,
        {
            {IDOK, ControlClass::DefaultButton, "OK", {50, 60, 50, 14}},
            {10, ControlClass::Edit, "", {7, 7, 100, 12}},
            {-1, ControlClass::StaticText, "&Hinweis", {7, 22, 100, 8}},
            {30, ControlClass::CheckBox, "&Merken", {7, 34, 100, 10}},
            {31, ControlClass::CheckBox, "Gesperrt", {7, 46, 100, 10}, ui::kDisabled},
            {IDCANCEL, ControlClass::PushButton, "Abbrechen", {104, 60, 50, 14}},
        }};
    Keys h;
    auto d = ui::createModeless(keys, h);
    ASSERT_TRUE(d);
    GtkWidget* window = toplevel(*d);
    ASSERT_TRUE(pumpUntil([&] { return gtk_widget_get_mapped(window); }));
    const std::string xid = focusWindow(window);
    ASSERT_FALSE(xid.empty());
    // The first tab stop has the focus when the dialog opens.
    EXPECT_EQ(d->focusedControl(), IDOK);

    auto key = [&](const char* name, int focusAfter) {
        ASSERT_TRUE(xdotool({"key", "--window", xid, name}));
        EXPECT_TRUE(pumpUntil([&] { return d->focusedControl() == focusAfter; }))
            << name << ": focus on " << d->focusedControl() << ", not " << focusAfter;
    };
    key("Tab", 10);
    key("Tab", 30);        // the label is no stop
    key("Tab", IDCANCEL);  // nor the disabled box
    key("Tab", IDOK);      // round again
    key("shift+Tab", IDCANCEL);
    key("shift+Tab", 30);
    key("Return", 30);  // on a check box: the default button
    key("Escape", 30);
    key("space", 30);  // presses the box
    EXPECT_TRUE(pumpUntil([&] { return h.commands.size() == 3; }));
    EXPECT_EQ(h.commands, (std::vector<int>{IDOK, IDCANCEL, 30}));
    EXPECT_TRUE(d->checked(30));
    d->setFocus(IDOK);
    key("alt+h", 30);  // a label's mnemonic: the control after it, which it does not press
    EXPECT_TRUE(d->checked(30));
    d->setFocus(IDCANCEL);
    key("Return", IDCANCEL);  // on a push button: that button
    EXPECT_TRUE(pumpUntil([&] { return h.commands.size() == 4; }));
    EXPECT_EQ(h.commands.back(), IDCANCEL);
    // Ended, a modeless dialog's window is gone, as on Windows.
    HWND hwnd = d->hwnd();
    ASSERT_TRUE(IsWindow(hwnd));
    d->end(IDCANCEL);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(d->hwnd(), nullptr);
}

// A list emptied while the user's row is selected: nothing selected afterwards, and no other row
// reported chosen on the way (a page that follows the selection would take it for the user's).
class ListChoices : public ui::DialogHandler {
public:
    void onNotify(ui::Dialog&, int id, ui::NotifyEvent event, int item) override {
        if (id == 60 && event == ui::NotifyEvent::ItemChanged) items.push_back(item);
    }
    std::vector<int> items;
};

TEST(GtkDialogs, AListEmptiedUnderTheUsersChoiceReportsNoOtherRowOnTheWay) {
    ASSERT_TRUE(display->started && ui::startDialogs());
    ListChoices h;
    auto d = ui::createModeless(dialog_test::everyControl(), h);
    ASSERT_TRUE(d);
    GtkWidget* window = toplevel(*d);
    ASSERT_TRUE(pumpUntil([&] { return gtk_widget_get_mapped(window); }));
    d->addColumn(60, "Ger\xe4t", -1);
    for (const char* device : {"Standardmodem", "ISDN-Karte", "Zweites Modem"}) d->addItem(60, device);
    const std::string xid = focusWindow(window);
    ASSERT_FALSE(xid.empty());
    d->setFocus(60);
    // The user's arrow keys move the list's cursor and choose its row.
    ASSERT_TRUE(xdotool({"key", "--window", xid, "Down"}));
    ASSERT_TRUE(pumpUntil([&] { return d->selection(60) >= 0; }));
    h.items.clear();
    d->clearItems(60);
    settle();
    EXPECT_EQ(d->selection(60), -1);
    EXPECT_TRUE(std::none_of(h.items.begin(), h.items.end(), [](int item) { return item >= 0; }))
        << "reported " << h.items.size() << " changes, the first to row " << h.items.front();
    d->addItem(60, "ISDN-Karte");
    settle();
    EXPECT_EQ(d->selection(60), -1);
}

class KeyPage : public ui::PageHandler {
public:
    bool onSetActive(ui::Sheet& s, ui::Dialog&) override {
        s.showButton(ui::WizardButton::Back, false);
        s.showButton(ui::WizardButton::Help, false);
        s.setDefaultButton(ui::WizardButton::Next);
        return true;
    }
    int onWizardNext(ui::Sheet&, ui::Dialog&) override {
        log.push_back("next");
        return ui::kStay;
    }
    bool onQueryCancel(ui::Sheet&, ui::Dialog&) override {
        log.push_back("cancel");
        return false;
    }
    std::vector<std::string> log;
};

TEST(GtkDialogs, OnASheetTabWalksThePageThenTheButtonsEnterPressesTheDefaultEscapeAsksToCancel) {
    ASSERT_TRUE(display->started && ui::startDialogs());
    using ui::ControlClass;
    const ui::DialogTemplate page{
        601, "Ger\xe4t", 220, 90, "DejaVu Sans", 8,
        {
            {-1, ControlClass::StaticText, "Bitte w\xe4hlen Sie das Ger\xe4t f\xfcr die Verbindung:", {7, 7, 200, 20}},
            {10, ControlClass::Edit, "ISDN-Karte", {7, 30, 150, 12}},
            {30, ControlClass::CheckBox, "&Merken", {7, 48, 100, 10}},
        }};
    KeyPage handler;
    ui::SheetTemplate t;
    t.caption = "Einrichtung";
    t.buttonTexts = {"< &Zur\xfc" "ck", "&Weiter >", "&Fertig stellen", "Abbrechen", "Hilfe"};
    t.pages = {{&page, &handler}};
    const std::vector<std::uint8_t> ico = dialog_test::paletteIcon();
    ASSERT_TRUE(ui::decodeIconFile(ico.data(), ico.size(), t.icon));
    auto sheet = ui::createSheet(t);
    ASSERT_TRUE(sheet);
    GtkWidget* window = dynamic_cast<ui::gtk::GtkSheet&>(*sheet).window();
    ASSERT_TRUE(pumpUntil([&] { return gtk_widget_get_mapped(window); }));
    const std::string xid = focusWindow(window);
    ASSERT_FALSE(xid.empty());
    screenshot(window, "dialog_wizard_sheet");
    GdkPixbuf* icon = gtk_window_get_icon(GTK_WINDOW(window));
    ASSERT_TRUE(icon);
    EXPECT_EQ(gdk_pixbuf_get_width(icon), 4);
    ui::Dialog& p = sheet->page(0);
    p.setFocus(10);
    // Keys reach the window in the order they are typed; where the focus is shows once they did.
    auto key = [&](const char* name) { ASSERT_TRUE(xdotool({"key", "--window", xid, name})); };
    auto focusOn = [&](int id) { return pumpUntil([&] { return p.focusedControl() == id; }); };
    key("Tab");
    EXPECT_TRUE(focusOn(30));
    key("Tab");  // Next (Back is hidden)
    EXPECT_TRUE(focusOn(-1));
    key("Tab");     // Cancel
    key("Return");  // presses the focused Cancel
    key("shift+Tab");
    key("shift+Tab");
    EXPECT_TRUE(focusOn(30));
    key("Return");  // on the check box: the default button, Next
    key("Escape");
    key("alt+m");  // the check box's mnemonic presses it
    EXPECT_TRUE(pumpUntil([&] { return handler.log.size() == 3; }));
    EXPECT_EQ(handler.log, (std::vector<std::string>{"cancel", "next", "cancel"}));
    EXPECT_TRUE(pumpUntil([&] { return p.checked(30); }));
}

}  // namespace
