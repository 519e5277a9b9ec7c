// End-to-end tests of the window-control extender: pollex runs a script that drives a program of
// ours in another process, the way a user's script drives an installation dialog. Under Wine the
// Windows builds of pollex, pxctl.dll and ctltarget (every common control) share one Wine prefix
// and an Xvfb display.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../pollex_run.h"
#include "testenv.h"
#include "xvfb.h"

namespace {

namespace fs = std::filesystem;

const std::string kScripts = LUMORA_SOURCE_DIR "/tests/extenders/ctl/scripts/";

std::vector<std::string> fileLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> result;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

// Waits until the file has a line `wanted` (the program's "ready"); false after `seconds`.
bool waitForLine(const std::string& path, const std::string& wanted, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        const auto all = fileLines(path);
        if (std::find(all.begin(), all.end(), wanted) != all.end()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

class UnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kWine) || !fs::exists(kWineBin + "pollex.exe") || !fs::exists(kWineBin + "pxctl.dll") ||
            !fs::exists(kWineBin + "ctltarget.exe"))
            GTEST_SKIP() << "no Wine or no wine-tests build of pollex, pxctl and ctltarget";
        ASSERT_TRUE(xvfb_.start());
        dir_ = lumora_test::scratchDir();
        host_.wine = true;
        host_.winePrefix = dir_ + "/wineprefix";
        ASSERT_EQ(std::system((host_.wineEnvironment() + kWine + " wineboot -i >/dev/null 2>&1").c_str()), 0);
    }
    void TearDown() override {
        if (!host_.winePrefix.empty())
            std::system(("WINEPREFIX='" + host_.winePrefix + "' /usr/lib/wine/wineserver64 -k >/dev/null 2>&1").c_str());
    }
    // Starts ctltarget in the prefix; its report goes to `log`.
    void startTarget(const std::string& log) {
        const std::string command = "cd '" + kWineBin + "' && " + host_.wineEnvironment() + kWine +
                                    " ctltarget.exe >'" + log + "' 2>/dev/null &";
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_TRUE(waitForLine(log, "ready", 60)) << "ctltarget did not come up";
    }
    lumora_test::XvfbServer xvfb_;
    std::string dir_;
    Host host_;
};

// Every word once with a good and once with a bad argument, the errors by their messages; what
// the program saw of it comes from its own report.
TEST_F(UnderWine, EveryWordAgainstAProgramInAnotherProcess) {
    const std::string log = dir_ + "/target.log";
    startTarget(log);
    const PollexRun run = pollex({host_.path(kScripts + "controls.pxl")}, host_);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, lines({
        "info 20014 51 0 / ERROR -1 101: ctlGetInfo: Invalid parameter",
        "byname 100 late 123 none 0 / ERROR -1 203: ctl: Must specify child text / ERROR -1 204: ctl:  Specified "
        "parent window doesn't exist",
        "byseq &Newsletter / ERROR -1 202: ctl:: Invalid child sequence number or ID",
        "byid Edit / ERROR -1 202: ctl:: Invalid child sequence number or ID",
        "byclass 113 / ERROR -1 203: ctl: Must specify child text",
        "exist 100 0 / ERROR -1 The third parameter must be between 1 and 4. / ERROR -1 240: Second parameter must "
        "be a number. / ERROR -1 The second parameter must be a text string.",
        "info Lumora Steuerelemente 0 0 / ERROR -1 201:ctl: Invalid window handle",
        "messages 0 1 / ERROR -1 212: cSendMsg: Invalid message number / ERROR -1 214: cSendMsg: 'lparam' is "
        "invalid / ERROR -1 215: cSendMsg: Specified window does not exist / ERROR -1 211: cSendMsg: Invalid window "
        "handle / ERROR -1 213: cSendMsg: 'wparam' is invalid",
        "checkbox 0 0 2 2 / ERROR -1 221: Request code out of bounds",
        "radio 0 1 1 / ERROR -1 220: cRadioBtn:  Cannot clear radio buttons.  Set Only. / ERROR -1 221: Request code "
        "out of bounds",
        "enable 1 0 0 / ERROR -1 221: Request code out of bounds",
        "click 0 1 / ERROR -1 201:ctl: Invalid window handle",
        "edit 1 Erika Muster / Reich formatiert / ERROR -1 201:ctl: Invalid window handle",
        "listbox Berlin\tHamburg\tKoeln / 1 Hamburg / ERROR -1 List/Combo box item number bad / ERROR -1 223: "
        "Specified window has an unknown class name or style.",
        "multiple 2 Rot\tBlau / 1 *EMPTY* / ERROR -1 246: Second parameter contains out of range item numbers. / "
        "ERROR -1 245: Second parameter must be a list of numbers. / ERROR -1 247: This List Box does not allow the "
        "selection of multiple items. / ERROR -1 223: Specified window has an unknown class name or style.",
        "drawn ERROR -1 248: This List Box does not support retrieval of item text.",
        "combo Analog\tISDN\tDSL / 1 / ERROR -1 List/Combo box item number bad / ERROR -1 223: Specified window has an "
        "unknown class name or style.",
        "dblclick 1 / ERROR -1 230: Window will not respond to mouse double clicks.",
        "tab 1 / ERROR -1 List/Combo box item number bad / ERROR -1 223: Specified window has an unknown class name or "
        "style.",
        "ip 192.168.0.1 1 10.0.0.138 / ERROR -1 249: Second parameter must be a valid IP address. / ERROR -1 227: "
        "Specified window is not an IP address control. / ERROR -1 227: Specified window is not an IP address control.",
        "listview Anna\tBernd / 0301\t0402 / 1 1 1 / ERROR -1 252: Column number parameter must be greater than zero. "
        "/ ERROR -1 List/Combo box item number bad",
        "tree 1 0 1 / ERROR -1 250: The second parameter must be a tab-delimited list of node names. / ERROR -1 250: "
        "The second parameter must be a tab-delimited list of node names. / ERROR -1 223: Specified window has an "
        "unknown class name or style.",
        "bars Bereit\tOffline / Spalte A\tSpalte B / ERROR -1 223: Specified window has an unknown class name or style. "
        "/ ERROR -1 223: Specified window has an unknown class name or style.",
        "updown 3 0 10 3 7 / ERROR -1 231: Second parameter out of range. / ERROR -1 240: Second parameter must be a "
        "number. / ERROR -1 223: Specified window has an unknown class name or style.",
        "dtp 2024:2:29:10:20:30 / 1 2049:7:4:8:15:0 / 1 / ERROR -1 232: Found invalid datetime string.  / ERROR -1 "
        "232: Found invalid datetime string.  / ERROR -1 232: Found invalid datetime string.  / ERROR -1 251: Second "
        "parameter must be a date/time in standard format.",
        "calendar 1 1950:3:1:0:0:0\t1950:3:3:0:0:0 / ERROR -1 236: Dates span more time  than control will permit. / "
        "ERROR -1 232: Found invalid datetime string. ",
        "toolbar &Oeffnen\tSpeichern / 1 / ERROR -1 238: Specified button is either hidden or disabled. / ERROR -1 "
        "237: Unable to find specified button.",
        "trackbar 25 0 100 25 60 / ERROR -1 231: Second parameter out of range.",
        "focus 1 / ERROR -1 201:ctl: Invalid window handle / cursor IBEAM ARROW / ERROR -1 221: Request code out of "
        "bounds",
        "submitted 0 0",
    }));

    // The program heard of every change as of a user's: four clicks took the three-state box to
    // "indeterminate" and back to "checked"; the owners were told of selections, the double
    // clicks, the date (with its weekday), the toolbar button and the slider.
    const auto report = fileLines(log);
    auto count = [&](const std::string& line) { return std::count(report.begin(), report.end(), line); };
    EXPECT_EQ(count("command id=101 code=0"), 4);
    EXPECT_EQ(count("command id=103 code=0"), 1) << "a checked radio button is not clicked again";
    EXPECT_EQ(count("command id=100 code=0"), 2) << "cclickbutton and cpostbutton";
    EXPECT_EQ(count("command id=106 code=1"), 1) << "LBN_SELCHANGE for csetlbitem";
    EXPECT_EQ(count("command id=106 code=2"), 1) << "LBN_DBLCLK for cdblclickitem";
    EXPECT_EQ(count("command id=107 code=1"), 2) << "csetlbitemex and cclearlball";
    EXPECT_EQ(count("command id=109 code=1"), 1) << "CBN_SELCHANGE for csetcbitem";
    EXPECT_EQ(count("double click on people item 0"), 1);
    EXPECT_EQ(count("date changed 2049-7-4 weekday=0"), 1);
    EXPECT_EQ(count("date changed 2000-2-29 weekday=2"), 1);
    EXPECT_EQ(count("command id=201 code=0"), 1) << "the enabled toolbar button only";
    EXPECT_EQ(count("command id=202 code=0"), 0);
    EXPECT_EQ(count("volume 60"), 1);
    EXPECT_EQ(count("command id=104 code=256"), 1) << "EN_SETFOCUS for csetfocus";
    EXPECT_EQ(count("submitted name=Erika Muster newsletter=1 isdn=1 line=2"), 1);
}

}  // namespace
