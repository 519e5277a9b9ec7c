// The window behind the wizard, as the user sees it: the real program on a screen of its own,
// its configured picture placed (or stretched) on the background colour when the program carries
// the "BG" picture, the blue gradient when it does not, the wizard window placed relative to the
// picture and kept on the screen, and the Shift+Ctrl clicks at the screen's left edge. Checked on
// the screen's pixels.
#include "background_wnd.h"
#include "wizard_process.h"
#include "xvfb.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

using namespace wizard_test;
namespace fs = std::filesystem;

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr std::uint32_t kColour = 0x208040;  // the background colour as 0xRRGGBB
constexpr std::uint32_t kRed = 0xE01010;
constexpr std::uint32_t kGreen = 0x10C010;
constexpr std::uint32_t kRootBlack = 0x000000;

lumora_test::XvfbServer display;

std::uint32_t pixelAt(int x, int y) {
    GdkPixbuf* p = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, 1, 1);
    if (!p) return 0xFFFFFFFF;
    const guchar* px = gdk_pixbuf_get_pixels(p);
    const std::uint32_t rgb = static_cast<std::uint32_t>(px[0]) << 16 | px[1] << 8 | px[2];
    g_object_unref(p);
    return rgb;
}

// Waits (about 10 s at most) until the pixel at (x, y) is `rgb`, or is not, as `wanted` says.
bool pixelIs(int x, int y, std::uint32_t rgb, bool wanted = true) {
    for (int i = 0; i < 100; ++i, ::usleep(100000))
        if ((pixelAt(x, y) == rgb) == wanted) return true;
    ADD_FAILURE() << "pixel " << x << "," << y << " is 0x" << std::hex << pixelAt(x, y);
    return false;
}

void screenshot(const std::string& name) {
    const char* folder = std::getenv("LUMORA_SCREENSHOTS");
    const fs::path dir = folder ? fs::path(folder) : fs::path(lumora_test::binaryDir()) / ".." / "screenshots";
    std::error_code ec;
    fs::create_directories(dir, ec);
    GdkPixbuf* image = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), 0, 0, kScreenWidth, kScreenHeight);
    if (!image) return;
    gdk_pixbuf_save(image, (dir / (name + ".png")).string().c_str(), "png", nullptr, nullptr);
    g_object_unref(image);
}

// Shift and Ctrl held while clicking at (x, y).
void gestureClick(int x, int y) {
    ::usleep(300000);
    const std::string command = "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
                                " keydown shift keydown ctrl click 1 keyup ctrl keyup shift";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
}

// A 200 × 120 picture of 8 bits a pixel: its left half red, its right half green.
CDibDoc picture() {
    const LONG w = 200, h = 120;
    std::vector<BYTE> rows(static_cast<size_t>(w) * h);
    for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x) rows[static_cast<size_t>(y * w + x)] = x < w / 2 ? 1 : 2;
    CDibDoc dib;
    std::string error;
    dib.setPacked(packDib(w, h, 8, {{0, 0, 0}, {0xE0, 0x10, 0x10}, {0x10, 0xC0, 0x10}}, rows), error);
    return dib;
}

// The program's "BG" picture resource: any bitmap file beside it under that name.
void addPictureResource(const std::string& programFolder) {
    const std::vector<BYTE> packed = picture().packed();
    std::vector<BYTE> file = {'B', 'M'};
    const DWORD size = static_cast<DWORD>(14 + packed.size());
    const DWORD bitsOffset = 14 + picture().bitsOffset();
    for (DWORD v : {size, DWORD{0}, bitsOffset})
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<BYTE>(v >> (8 * i)));
    file.insert(file.end(), packed.begin(), packed.end());
    std::ofstream(fs::path(programFolder) / "orvane.BG.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

struct BackgroundWindow : ::testing::Test {
    static void SetUpTestSuite() {
        if (display.start("800x600x24")) gtk_init_check(nullptr, nullptr);
    }
    static void TearDownTestSuite() { display.stop(); }

    std::string program = programFolder({});
    std::string work = lumora_test::scratchDir();
    pid_t wizard = 0;

    void SetUp() override {
        if (display.display().empty()) GTEST_SKIP() << "no Xvfb";
        setWindowsVersion("2000");
    }
    void TearDown() override {
        if (wizard > 0) {
            ::kill(wizard, SIGTERM);
            waitWizard(wizard);
        }
    }
    // Starts the wizard with one page and the background settings given.
    void start(LONG x, LONG y, DWORD placement, DWORD stretch) {
        ConfigBlock block = testBlock("");
        block.m_Pages.welcome.m_Order = 1;
        CWizardData& data = block.m_Data;
        data.m_Background = picture();
        data.m_BackgroundColour = 0x00408020;
        data.m_WizardX = x;
        data.m_WizardY = y;
        data.m_Placement = placement;
        data.m_Stretch = stretch;
        writeConfigFile(block, work + "wizard.ovb");
        wizard = startWizard(program, work, {});
        ASSERT_TRUE(traceShows(work, "shown")) << readFile(work + "trace.txt");
    }
    std::string trace() { return readFile(work + "trace.txt"); }
};

TEST_F(BackgroundWindow, PlacesThePictureAndTheWizardAndAnswersTheCornerClicks) {
    addPictureResource(program);
    // Right edge, centred vertically: the picture at 600,240; the wizard 10,10 from the screen's
    // top left, i.e. -590,-230 from the picture's.
    start(-590, -230, 9, 0);
    EXPECT_NE(trace().find("background: picture 200x120 at 600,240\n"), std::string::npos) << trace();
    EXPECT_NE(trace().find("wizard window at 10,10\n"), std::string::npos) << trace();
    EXPECT_TRUE(pixelIs(650, 300, kRed));
    EXPECT_TRUE(pixelIs(750, 300, kGreen));
    EXPECT_TRUE(pixelIs(799, 240, kGreen));
    EXPECT_TRUE(pixelIs(700, 239, kColour));  // above the picture
    EXPECT_TRUE(pixelIs(700, 360, kColour));  // below it
    EXPECT_TRUE(pixelIs(599, 300, kColour));  // left of it
    EXPECT_TRUE(pixelIs(9, 9, kColour));      // left of and above the wizard
    EXPECT_TRUE(pixelIs(12, 12, kColour, false));
    screenshot("background_placed");

    // Shift+Ctrl at the left edge below the corner hides the wizard, and shows it again.
    gestureClick(5, 50);
    ASSERT_TRUE(traceShows(work, "background: wizard hidden")) << trace();
    EXPECT_TRUE(pixelIs(12, 12, kColour));
    screenshot("background_wizard_hidden");
    gestureClick(5, 50);
    ASSERT_TRUE(traceShows(work, "background: wizard shown"));
    EXPECT_TRUE(pixelIs(12, 12, kColour, false));

    // A click without both keys does nothing; Shift+Ctrl in the corner shrinks the window to a
    // strip at the top left (the bare screen shows beside it), and back to the whole screen.
    ASSERT_EQ(std::system("xdotool mousemove 5 5 keydown shift click 1 keyup shift"), 0);
    gestureClick(5, 5);
    ASSERT_TRUE(traceShows(work, "background: strip")) << trace();
    EXPECT_EQ(trace().find("background: full screen"), std::string::npos);
    EXPECT_TRUE(pixelIs(650, 300, kRootBlack));
    EXPECT_TRUE(pixelIs(5, 50, kColour));
    screenshot("background_strip");
    gestureClick(5, 5);
    ASSERT_TRUE(traceShows(work, "background: full screen"));
    EXPECT_TRUE(pixelIs(650, 300, kRed));
}

TEST_F(BackgroundWindow, StretchesThePictureAndKeepsTheWizardOnTheScreen) {
    addPictureResource(program);
    start(5000, 5000, 0, 1);
    EXPECT_TRUE(pixelIs(100, 100, kRed));
    EXPECT_TRUE(pixelIs(399, 100, kRed));
    EXPECT_TRUE(pixelIs(401, 100, kGreen));
    EXPECT_TRUE(pixelIs(100, 599, kRed));
    // The wizard is pulled back to end at the right edge, and at the bottom edge.
    const std::string text = trace();
    const size_t at = text.find("wizard window at ");
    ASSERT_NE(at, std::string::npos) << text;
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + at, "wizard window at %d,%d", &x, &y), 2);
    EXPECT_GT(x, 100);
    EXPECT_GT(y, 100);
    // The picture is four times as wide: its red half ends at 400.
    const auto stretched = [](int px) { return px < 400 ? kRed : kGreen; };
    EXPECT_TRUE(pixelIs(x - 1, y + 20, stretched(x - 1)));
    EXPECT_TRUE(pixelIs(x + 1, y + 20, stretched(x + 1), false));
    EXPECT_TRUE(pixelIs(kScreenWidth - 1, y + 20, kGreen, false));
    EXPECT_TRUE(pixelIs(x + 20, kScreenHeight - 1, stretched(x + 20), false));
    EXPECT_TRUE(pixelIs(x + 20, y - 1, stretched(x + 20)));
    screenshot("background_stretched");
}

TEST_F(BackgroundWindow, WithoutThePictureResourceItShowsTheBlueGradientAndTheConfiguredPlace) {
    // A "BG" file that is no picture is no picture resource.
    std::ofstream(fs::path(program) / "orvane.BG.bmp", std::ios::binary) << "BM and text, not a bitmap";
    start(20, 30, 9, 0);
    EXPECT_NE(trace().find("background: gradient\n"), std::string::npos) << trace();
    EXPECT_NE(trace().find("wizard window at 20,30\n"), std::string::npos) << trace();
    // One row a pixel: 255 - y * 255 / 600, truncated.
    EXPECT_TRUE(pixelIs(700, 0, 0x0000FF));
    EXPECT_TRUE(pixelIs(700, 300, 0x00007F));
    EXPECT_TRUE(pixelIs(5, 599, 0x000000));
    EXPECT_TRUE(pixelIs(700, 598, 0x000000));
    EXPECT_TRUE(pixelIs(700, 597, 0x000001));
    EXPECT_TRUE(pixelIs(19, 100, 0x0000D4));
    EXPECT_TRUE(pixelIs(21, 100, 0x0000D4, false));
    screenshot("background_gradient");
}

// Every placement value for a picture smaller than the screen, and for one wider and taller,
// which ends on the screen by moving left and up.
TEST(PicturePlacement, TheTenValuesAndPicturesLargerThanTheScreen) {
    const struct {
        DWORD placement;
        LONG x, y;
    } small[] = {{0, 0, 0},     {1, 0, 0},     {2, 300, 0},   {3, 600, 0},   {4, 0, 480},
                 {5, 300, 480}, {6, 600, 480}, {7, 0, 240},   {8, 300, 240}, {9, 600, 240}};
    for (const auto& c : small) {
        const RECT r = picturePlace(200, 120, 800, 600, c.placement);
        EXPECT_EQ(r.left, c.x) << c.placement;
        EXPECT_EQ(r.top, c.y) << c.placement;
        EXPECT_EQ(r.right - r.left, 200);
        EXPECT_EQ(r.bottom - r.top, 120);
    }
    const RECT large = picturePlace(1000, 700, 800, 600, 0);
    EXPECT_EQ(large.left, -200);
    EXPECT_EQ(large.top, -100);
    EXPECT_EQ(large.right, 800);
    EXPECT_EQ(large.bottom, 600);
    // Centred, it would end past the right edge: moved left until it ends there.
    EXPECT_EQ(picturePlace(1000, 700, 800, 600, 8).left, -200);
    // The wizard: pulled back when its last column or row (less the caption) lies past the screen.
    EXPECT_EQ(clampWizardPosition({700, 500}, {200, 150}, {800, 600}, 19).x, 601);
    EXPECT_EQ(clampWizardPosition({700, 500}, {200, 150}, {800, 600}, 19).y, 451);
    EXPECT_EQ(clampWizardPosition({601, 470}, {200, 150}, {800, 600}, 19).x, 601);
    EXPECT_EQ(clampWizardPosition({601, 470}, {200, 150}, {800, 600}, 19).y, 470);
}

}  // namespace
