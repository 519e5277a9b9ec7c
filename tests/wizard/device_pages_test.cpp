// The device pages in this process on a display of their own, read off the screen's pixels: the
// device list's rows with the icons the telephony library gives their devices, and the repeat
// search's bar stepping while the serial ports are still being probed.
#include "icons.h"
#include "modem_sim.h"
#include "orvane_app.h"
#include "orvane_dlg.h"
#include "user_choice.h"
#include "wizard_dialogs.h"
#include "wizard_process.h"
#include "xvfb.h"

#include <ras.h>
#include <tapi.h>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

using namespace wizard_test;

namespace {

// A rectangle of the screen as it is shown now.
class ScreenArea {
public:
    explicit ScreenArea(const RECT& r)
        : image_(gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.left, r.top,
                                            r.right - r.left, r.bottom - r.top)) {}
    ~ScreenArea() {
        if (image_) g_object_unref(image_);
    }
    ScreenArea(const ScreenArea&) = delete;
    ScreenArea& operator=(const ScreenArea&) = delete;

    bool valid() const { return image_ != nullptr; }
    int width() const { return image_ ? gdk_pixbuf_get_width(image_) : 0; }
    int height() const { return image_ ? gdk_pixbuf_get_height(image_) : 0; }
    // 0xRRGGBB at (x, y) of the area.
    std::uint32_t at(int x, int y) const {
        const guchar* p = gdk_pixbuf_read_pixels(image_) + static_cast<size_t>(y) * gdk_pixbuf_get_rowstride(image_) +
                          static_cast<size_t>(x) * gdk_pixbuf_get_n_channels(image_);
        return static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
    }

private:
    GdkPixbuf* image_;
};

bool near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// A control's rectangle on the screen: the page fills the sheet's window from its top left.
RECT onScreen(ui::Sheet& sheet, ui::Dialog& page, int id) {
    const RECT window = sheet.windowRect();
    const RECT c = page.controlRect(id);
    return {window.left + c.left, window.top + c.top, window.left + c.right, window.top + c.bottom};
}

struct Pixel {
    int x, y;
    std::uint32_t rgb;
};

// The pixels an icon shows at the list's 16 x 16 that do not depend on how it is shrunk: where a
// square of four pixels of the large icon is one opaque colour.
std::vector<Pixel> smallIconPixels(HICON icon) {
    std::vector<Pixel> pixels;
    winapi::IconImage image;
    if (!winapi::iconImage(icon, image) || image.width != 32 || image.height != 32) return pixels;
    auto at = [&](int x, int y) { return image.argb[static_cast<size_t>(y * 32 + x)]; };
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t p = at(2 * x, 2 * y);
            if (p >> 24 == 0xFF && at(2 * x + 1, 2 * y) == p && at(2 * x, 2 * y + 1) == p && at(2 * x + 1, 2 * y + 1) == p)
                pixels.push_back({x, y, p & 0xFFFFFF});
        }
    return pixels;
}

// Where in the area the icon's pixels show, as the top left of its 16 x 16; (-1, -1) for nowhere.
POINT findIcon(const ScreenArea& area, const std::vector<Pixel>& icon) {
    for (int y = 0; y + 16 <= area.height(); ++y)
        for (int x = 0; x + 16 <= area.width(); ++x)
            if (std::all_of(icon.begin(), icon.end(), [&](const Pixel& p) { return near(area.at(x + p.x, y + p.y), p.rgb, 6); }))
                return {x, y};
    return {-1, -1};
}

// How far the bar is filled, 0 to 1, along its middle row: the run from its left end that differs
// from the empty trough at its right end.
double barFill(const ScreenArea& bar) {
    if (!bar.valid() || bar.width() < 20) return 0;
    const int y = bar.height() / 2, inset = 3, last = bar.width() - 1 - inset;
    const std::uint32_t trough = bar.at(last, y);
    int x = inset;
    while (x < last && !near(bar.at(x, y), trough, 24)) ++x;
    return static_cast<double>(x - inset) / (last - inset);
}

struct WizardDevicePages : ::testing::Test {
    lumora_test::XvfbServer display;
    std::string work;
    COrvaneApp app;
    std::unique_ptr<COrvaneDlg> wizard;

    void SetUp() override {
        if (!display.start()) GTEST_SKIP() << "no Xvfb";
        setWindowsVersion("98");
        work = lumora_test::scratchDir();
    }
    // The check page, the device choice and the device list (indexes 0, 1, 2), from `startPage`.
    ui::Sheet* start(const char* startPage) {
        ConfigBlock block = testBlock("");
        block.m_Pages.prufe.m_Order = 1;
        block.m_Pages.gerat.m_Order = 2;
        block.m_Pages.geratFaul.m_Order = 3;
        writeConfigFile(block, work + "wizard.ovb");
        setVariable("StartPage", startPage);
        if (::chdir(work.c_str()) != 0 || !app.initInstance()) return nullptr;
        wizard = app.createWizard();
        if (!wizard) return nullptr;
        pumpMessages(500);
        return wizard->sheet();
    }
};

TEST_F(WizardDevicePages, EachRowOfTheDeviceListShowsTheTelephonyIconOfItsDevice) {
    addDialDevice("ISDN-Karte PCI", "isdn");
    addDialDevice("Testmodem 56k", "modem");
    ui::Sheet* sheet = start("2");
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->activePage(), 2);
    ui::Dialog& page = sheet->page(2);
    ASSERT_EQ(page.itemCount(IDC_LIST), 2);

    // The telephony library's line devices are the dial devices in the same order.
    RASDEVINFOA devices[2] = {};
    devices[0].dwSize = sizeof devices[0];
    DWORD size = sizeof devices, count = 0;
    ASSERT_EQ(RasEnumDevicesA(devices, &size, &count), 0u);
    ASSERT_EQ(count, 2u);
    std::vector<std::vector<Pixel>> icons;
    for (DWORD id = 0; id < count; ++id) {
        HICON icon = nullptr;
        ASSERT_EQ(lineGetIcon(id, nullptr, &icon), 0);
        icons.push_back(smallIconPixels(icon));
        ASSERT_GT(icons.back().size(), 40u) << "an icon whose large image is its small one doubled";
    }
    // Where each device's icon shows in the list, waited for until the list is drawn.
    std::vector<POINT> found(count, POINT{-1, -1});
    for (int attempt = 0; attempt < 50 && std::any_of(found.begin(), found.end(), [](POINT p) { return p.x < 0; });
         ++attempt) {
        pumpMessages(100);
        const ScreenArea list(onScreen(*sheet, page, IDC_LIST));
        ASSERT_TRUE(list.valid());
        for (DWORD id = 0; id < count; ++id) found[id] = findIcon(list, icons[id]);
    }
    for (DWORD id = 0; id < count; ++id) {
        ASSERT_GE(found[id].x, 0) << devices[id].szDeviceName << "'s icon is not in the list";
        // The row showing it is the row of that device's name.
        const int row = page.findItem(IDC_LIST, devices[id].szDeviceName);
        const int other = page.findItem(IDC_LIST, devices[1 - id].szDeviceName);
        EXPECT_EQ(row < other, found[id].y < found[1 - id].y) << devices[id].szDeviceName;
    }
    EXPECT_EQ(found[0].x, found[1].x) << "both icons at the rows' start";
    EXPECT_NE(found[0].y, found[1].y) << "the modem's and the ISDN card's icons look different";
}

TEST_F(WizardDevicePages, TheRepeatSearchsBarStepsOnTheScreenWhileThePortsAreStillProbed) {
    // COM1's modem never answers: the search waits there for the port's time-outs, after its first
    // step. COM3's modem answers, and the standard modem is prepared for it.
    ModemSim silent(1, "silent");
    ModemSim modem(3, "ok");
    ASSERT_TRUE(silent.running() && modem.running());
    std::filesystem::copy_file(LUMORA_WIZARD_DEPLOY "/mdm.reg", work + "mdm.reg");
    ui::Sheet* sheet = start("1");
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->activePage(), 1);
    ui::Dialog& page = sheet->page(1);

    page.press(IDC_BUTTON1);  // "S&ystemerkennung wiederholen"
    double most = 0;
    bool nextShownDisabled = true;
    for (int i = 0; i < 600 && !page.isShown(IDC_BUTTON1); ++i) {
        pumpMessages(50);
        if (page.isShown(IDC_BUTTON1)) break;  // ended: the screen shows the page again
        nextShownDisabled = nextShownDisabled && !sheet->isButtonEnabled(ui::WizardButton::Next);
        most = std::max(most, barFill(ScreenArea(onScreen(*sheet, page, IDC_PROGRESS))));
    }
    ASSERT_TRUE(page.isShown(IDC_BUTTON1)) << "the search did not end";
    EXPECT_GT(most, 0.25) << "the bar on the screen never showed a port's step before the search ended";
    EXPECT_TRUE(nextShownDisabled);
    EXPECT_EQ(theUserChoice.m_ComPort, 3u);
    EXPECT_EQ(silent.commands(), (std::vector<std::string>{"AT&F1", "AT&F"}));
    EXPECT_TRUE(sheet->isButtonEnabled(ui::WizardButton::Next)) << "given back after the search";
}

}  // namespace
