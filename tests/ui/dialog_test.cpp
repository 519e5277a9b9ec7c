// The dialog layer through real dialogs of the build's toolkit (GTK under Xvfb on Linux, Win32
// dialogs under Wine): control access by id, a wizard sheet's page sequence and buttons, timers and
// registered messages reaching dialogs and the active page, and bitmaps through their palettes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog_support.h"
#include "testenv.h"

using dialog_test::pumpUntil;

namespace {

// Drives the dialog with every control from its own messages: what it sets it reads back, and a
// button command posted from outside presses the check box and then OK.
class ControlsHandler : public ui::DialogHandler {
public:
    void onInit(ui::Dialog& d) override {
        d.setText(10, "M\xfcller-Schmidt");
        d.setText(11, "geheim");
        d.setChecked(20, true);
        d.setChecked(21, true);
        sortedAt = {d.addItem(40, "beta"), d.addItem(40, "Alpha"), d.addItem(40, "gamma")};
        d.setSelection(40, 1);
        d.addItem(50, "Modem");
        d.addItem(50, "ISDN-Ger\xe4t");
        d.setSelection(50, 1);
        d.addColumn(60, "Ger\xe4t", -1);
        d.addItem(60, "Standardmodem");
        d.setItemText(60, 0, 0, "\xc4nderung");
        d.setProgressRange(70, 1, 50);
        d.setProgress(70, 60);
        d.enable(80, false);
        d.show(11, false);
        PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(80, BN_CLICKED), 0);  // disabled: nothing
        PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(30, BN_CLICKED), 0);
    }
    bool onCommand(ui::Dialog& d, int id, ui::CommandEvent event) override {
        if (event == ui::CommandEvent::Changed) {
            changes.push_back(id);
            return true;
        }
        clicks.push_back(id);
        if (id == 30) {
            boxChecked = d.checked(30);
            seen = {d.text(10), d.text(11), d.text(40), d.text(50), d.itemText(60, 0)};
            radios = {d.checked(20), d.checked(21)};
            sorted = {d.itemText(40, 0), d.itemText(40, 1), d.itemText(40, 2)};
            found = d.findItem(50, "isdn-GER\xc4T");
            progress = d.progress(70);
            states = {d.isEnabled(80), d.isShown(11), d.isShown(10)};
            PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return false;
    }
    void onEnd(ui::Dialog&, int result) override { ended = result; }

    std::vector<int> sortedAt, clicks, changes;
    std::vector<std::string> seen, sorted;
    std::vector<bool> radios, states;
    bool boxChecked = false;
    int found = -2, progress = -2, ended = 0;
};

TEST(Dialogs, ControlsAreReadAndSetByIdAndAPostedButtonCommandPressesTheButton) {
    ASSERT_TRUE(ui::startDialogs());
    ControlsHandler h;
    EXPECT_EQ(ui::runModal(dialog_test::everyControl(), h), IDOK);
    EXPECT_EQ(h.ended, IDOK);
    // The disabled button's command did nothing; the check box was pressed, then OK.
    EXPECT_EQ(h.clicks, (std::vector<int>{30, IDOK}));
    EXPECT_TRUE(h.boxChecked);
    // The edit keeps its limit of 5 characters, umlauts included; text set by the program reports
    // a change, as the user's typing does.
    ASSERT_EQ(h.seen.size(), 5u);
    EXPECT_EQ(h.seen[0], "M\xfclle");
    EXPECT_EQ(h.seen[1], "geheim");
    EXPECT_EQ(h.seen[2], "beta");
    EXPECT_EQ(h.seen[3], "ISDN-Ger\xe4t");
    EXPECT_EQ(h.seen[4], "\xc4nderung");
    EXPECT_NE(std::count(h.changes.begin(), h.changes.end(), 10), 0);
    EXPECT_EQ(h.radios, (std::vector<bool>{false, true}));
    EXPECT_EQ(h.sortedAt, (std::vector<int>{0, 0, 2}));
    EXPECT_EQ(h.sorted, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(h.found, 1);
    EXPECT_EQ(h.progress, 50);
    EXPECT_EQ(h.states, (std::vector<bool>{false, false, true}));
}

// Four pages: the second refuses to be shown, the first stays once on Next, the last ends the
// sheet with Finish in Help's place.
class WizardPage : public ui::PageHandler {
public:
    WizardPage(std::vector<std::string>& log, std::string name, bool refuses)
        : log_(log), name_(std::move(name)), refuses_(refuses) {}
    bool onSetActive(ui::Sheet& s, ui::Dialog&) override {
        log_.push_back(name_ + (refuses_ ? " refused" : " shown"));
        if (refuses_) return false;
        const bool last = name_ == "d";
        s.showButton(ui::WizardButton::Back, name_ != "a");
        s.showButton(ui::WizardButton::Next, !last);
        s.showButton(ui::WizardButton::Finish, last);
        s.showButton(ui::WizardButton::Help, false);
        if (last) s.placeButton(ui::WizardButton::Finish, ui::WizardButton::Help);
        s.setDefaultButton(last ? ui::WizardButton::Finish : ui::WizardButton::Next);
        return true;
    }
    int onWizardNext(ui::Sheet&, ui::Dialog&) override {
        log_.push_back(name_ + " next");
        return stayOnce_ ? (stayOnce_ = false, ui::kStay) : ui::kGoOn;
    }
    bool onQueryCancel(ui::Sheet&, ui::Dialog&) override {
        log_.push_back(name_ + " cancel asked");
        return false;
    }
    bool stayOnce_ = false;

private:
    std::vector<std::string>& log_;
    std::string name_;
    bool refuses_;
};

ui::DialogTemplate page(int id, const char* caption) {
    return ui::DialogTemplate{id, caption, 200, 100, "MS Sans Serif", 8,
                              {{1000 + id, ui::ControlClass::StaticText, caption, {7, 7, 180, 10}}}};
}

TEST(Dialogs, AWizardSkipsARefusingPageInTheDirectionOfTravelAndPagesDriveTheButtons) {
    ASSERT_TRUE(ui::startDialogs());
    std::vector<std::string> log;
    WizardPage a(log, "a", false), b(log, "b", true), c(log, "c", false), d(log, "d", false);
    a.stayOnce_ = true;
    const ui::DialogTemplate pa = page(201, "Eins"), pb = page(202, "Zwei"), pc = page(203, "Drei"),
                             pd = page(204, "Vier");
    ui::SheetTemplate t;
    t.caption = "Einrichtung";
    t.buttonTexts = {"< &Zur\xfc" "ck", "&Weiter >", "&Fertig", "Abbrechen", "Hilfe"};
    t.pages = {{&pa, &a}, {&pb, &b}, {&pc, &c}, {&pd, &d}};
    auto sheet = ui::createSheet(t);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->activePage(), 0);
    EXPECT_FALSE(sheet->isButtonShown(ui::WizardButton::Back));
    EXPECT_EQ(sheet->buttonText(ui::WizardButton::Back), "< &Zur\xfc" "ck");

    sheet->pressButton(ui::WizardButton::Next);  // stays
    EXPECT_EQ(sheet->activePage(), 0);
    sheet->pressButton(ui::WizardButton::Next);  // b refuses: on to c
    EXPECT_EQ(sheet->activePage(), 2);
    EXPECT_TRUE(sheet->isButtonShown(ui::WizardButton::Back));
    sheet->pressButton(ui::WizardButton::Back);  // b refuses again: back to a
    EXPECT_EQ(sheet->activePage(), 0);
    EXPECT_TRUE(sheet->setActivePage(3));
    EXPECT_FALSE(sheet->isButtonShown(ui::WizardButton::Next));
    EXPECT_TRUE(sheet->isButtonShown(ui::WizardButton::Finish));
    // Finish stands where Help stood, Help is hidden.
    EXPECT_FALSE(sheet->isButtonShown(ui::WizardButton::Help));
    sheet->pressButton(ui::WizardButton::Next);  // hidden: nothing
    EXPECT_EQ(sheet->activePage(), 3);
    sheet->pressButton(ui::WizardButton::Cancel);  // the page says no
    EXPECT_EQ(log, (std::vector<std::string>{"a shown", "a next", "a next", "b refused", "c shown",
                                             "b refused", "a shown", "d shown", "d cancel asked"}));
    EXPECT_EQ(sheet->activePage(), 3);
    EXPECT_EQ(ui::findSheet(sheet->hwnd()), sheet.get());
    EXPECT_EQ(ui::findSheet(sheet->page(3).hwnd()), sheet.get());
}

// A page that counts the helper's registered message; the second page ends the sheet from its own
// timer.
class MessagePage : public ui::PageHandler {
public:
    MessagePage(UINT message, int index) : message_(message), index_(index) {}
    bool onSetActive(ui::Sheet&, ui::Dialog& page) override {
        if (index_ == 0) {
            // From "another program": a broadcast, and a post to the sheet's window.
            PostMessageA(HWND_BROADCAST, message_, 7, 0);
            PostMessageA(page.sheet()->hwnd(), message_, 8, 0);
        } else {
            SetTimer(page.hwnd(), 5, 20, nullptr);
        }
        return true;
    }
    bool onMessage(ui::Dialog& page, UINT msg, WPARAM wParam, LPARAM, LRESULT&) override {
        if (msg != message_) return false;
        received.push_back(static_cast<int>(wParam));
        if (received.size() == 2) page.sheet()->pressButton(ui::WizardButton::Next);
        return true;
    }
    void onTimer(ui::Dialog& page, UINT_PTR id) override {
        KillTimer(page.hwnd(), id);
        timers.push_back(static_cast<int>(id));
        page.sheet()->end(IDOK);
    }
    std::vector<int> received, timers;

private:
    UINT message_;
    int index_;
};

TEST(Dialogs, RegisteredMessagesToTheSheetReachTheActivePageAndTimersReachTheirPage) {
    ASSERT_TRUE(ui::startDialogs());
    const UINT message = RegisterWindowMessageA("LumoraDialogTestProgress");
    MessagePage first(message, 0), second(message, 1);
    const ui::DialogTemplate p1 = page(301, "Fortschritt"), p2 = page(302, "Ende");
    ui::SheetTemplate t;
    t.caption = "Nachrichten";
    t.pages = {{&p1, &first}, {&p2, &second}};
    EXPECT_EQ(ui::runSheet(t), IDOK);
    std::sort(first.received.begin(), first.received.end());
    EXPECT_EQ(first.received, (std::vector<int>{7, 8}));
    EXPECT_TRUE(second.received.empty());
    EXPECT_EQ(second.timers, (std::vector<int>{5}));
}

class Quitting : public ui::PageHandler {
public:
    void onInit(ui::Dialog&) override { PostQuitMessage(5); }
    void onEnd(ui::Dialog&, int) override { ended = true; }
    bool ended = false;
};

TEST(Dialogs, AQuitMessageEndsAModalDialogOrSheetAndReachesTheLoopOutside) {
    ASSERT_TRUE(ui::startDialogs());
    auto quitWaiting = [] {
        MSG msg;
        bool quit = false;
        // What the dialog left besides the quit message does not matter here.
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_QUIT) quit = msg.wParam == 5;
        return quit;
    };
    Quitting dialog;
    EXPECT_EQ(ui::runModal(page(701, "Beenden"), dialog), 0);
    EXPECT_FALSE(dialog.ended);
    EXPECT_TRUE(quitWaiting());

    Quitting first;
    const ui::DialogTemplate p = page(702, "Beenden");
    ui::SheetTemplate t;
    t.caption = "Beenden";
    t.pages = {{&p, &first}};
    EXPECT_EQ(ui::runSheet(t), -1);
    EXPECT_TRUE(quitWaiting());
}

TEST(Dialogs, EightBitBitmapsShowTheirOwnPaletteColours) {
    for (bool rle : {false, true}) {
        const std::vector<std::uint8_t> packed = dialog_test::paletteBitmap(rle);
        ui::Bitmap b;
        ASSERT_TRUE(ui::decodePackedBitmap(packed.data(), packed.size(), b)) << rle;
        ASSERT_EQ(b.width, 4);
        ASSERT_EQ(b.height, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(b.pixel(x, y), dialog_test::kPaletteColours[y * 4 + x]);
        // Cut anywhere, the bitmap is refused rather than read past its end.
        for (size_t size = 0; size < packed.size(); ++size)
            EXPECT_FALSE(ui::decodePackedBitmap(packed.data(), size, b)) << rle << " " << size;
    }
    // As an icon.
    const std::vector<std::uint8_t> ico = dialog_test::paletteIcon();
    ui::Bitmap icon;
    ASSERT_TRUE(ui::decodeIconFile(ico.data(), ico.size(), icon));
    EXPECT_EQ(icon.height, 2);
    EXPECT_EQ(icon.pixel(0, 0), dialog_test::kPaletteColours[0]);
    EXPECT_EQ(icon.pixel(3, 1), dialog_test::kPaletteColours[7]);
    for (size_t size = 0; size < ico.size() - 8; ++size)  // the mask is not read
        EXPECT_FALSE(ui::decodeIconFile(ico.data(), size, icon)) << size;
    // As a .bmp file, read by its Windows path.
    const std::vector<std::uint8_t> packed = dialog_test::paletteBitmap();
    std::vector<std::uint8_t> file = {'B', 'M'};
    const std::uint32_t size = static_cast<std::uint32_t>(14 + packed.size()), offset = 14 + 40 + 8 * 4;
    for (std::uint32_t v : {size, 0u, offset})
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    file.insert(file.end(), packed.begin(), packed.end());
    const std::string path = lumora_test::scratchDir() + "Seitenbild.bmp";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(h);
    ui::Bitmap b;
    ASSERT_TRUE(ui::loadBitmapFile(path, b));
    EXPECT_EQ(b.pixel(3, 1), dialog_test::kPaletteColours[7]);
    EXPECT_FALSE(ui::loadBitmapFile(path + ".fehlt", b));
}

}  // namespace
