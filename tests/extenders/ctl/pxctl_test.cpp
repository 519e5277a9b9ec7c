// End-to-end tests of the window-control extender: pollex runs a script that drives a program of
// ours in another process, the way a user's script drives an installation dialog. Under Wine the
// Windows builds of pollex, pxctl.dll and ctltarget (every common control) share one Wine prefix
// and an Xvfb display; on Linux the GTK ctltarget is driven over an accessibility bus of the
// test's own session bus.
#include <gtest/gtest.h>

#include <dlfcn.h>
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

#include "../../../extenders/net/extender_protocol.h"
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

// A line the program under test should have reported, how often, and why.
struct ReportLine {
    const char* line;
    long times;
    const char* why;
};

void expectReport(const std::string& log, std::initializer_list<ReportLine> expected) {
    const auto report = fileLines(log);
    for (const auto& e : expected)
        EXPECT_EQ(std::count(report.begin(), report.end(), e.line), e.times) << e.line << " " << e.why;
}

// The Windows builds under Wine: by default the x86_64 test build under 64-bit Wine.
class UnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        configure(host_);
        for (const char* file : {"pollex.exe", "pxctl.dll", "ctltarget.exe"})
            if (!fs::exists(host_.wineLoader) || !fs::exists(host_.wineBin + file))
                GTEST_SKIP() << "no Wine or no build of " << file << " in " << host_.wineBin;
        if (host_.wine32 && std::system((host_.wineLoader + " --version >/dev/null 2>&1").c_str()) != 0)
            GTEST_SKIP() << "this machine does not run 32-bit Wine";
        ASSERT_TRUE(xvfb_.start());
        dir_ = lumora_test::scratchDir();
        host_.winePrefix = dir_ + "/wineprefix";
        ASSERT_EQ(std::system((host_.wineEnvironment() + host_.wineLoader + " wineboot -i >/dev/null 2>&1").c_str()), 0);
    }
    void TearDown() override {
        if (!host_.winePrefix.empty()) host_.stopWine();
    }
    virtual void configure(Host& host) { host.wine = true; }
    // Starts ctltarget in the prefix; its report goes to `log`.
    void startTarget(const std::string& log) {
        const std::string command = "cd '" + host_.wineBin + "' && " + host_.wineEnvironment() + host_.wineLoader +
                                    " ctltarget.exe >'" + log + "' 2>/dev/null &";
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_TRUE(waitForLine(log, "ready", 60)) << "ctltarget did not come up";
    }
    void everyWord();
    lumora_test::XvfbServer xvfb_;
    std::string dir_;
    Host host_;
};

// The shipped i686 build (windows preset) under 32-bit Wine, where the machine runs 32-bit code.
class UnderWine32 : public UnderWine {
protected:
    void configure(Host& host) override {
        host.wine = true;
        host.wine32 = true;
        host.wineLoader = "/usr/lib/wine/wine";
        host.wineBin = LUMORA_SOURCE_DIR "/build/windows/bin/";
    }
};

// Every word once with a good and once with a bad argument, the errors by their messages; what
// the program saw of it comes from its own report.
TEST_F(UnderWine, EveryWordAgainstAProgramInAnotherProcess) { everyWord(); }
TEST_F(UnderWine32, EveryWordAgainstAProgramInAnotherProcess) { everyWord(); }

void UnderWine::everyWord() {
    const std::string log = dir_ + "/target.log";
    startTarget(log);

    // Two scripts at once read item structures through the one shared section: each must get
    // its own control's items every time.
    std::string concurrent = "load pxctl.dll\nw = cwndbyname 0 \"Lumora Steuerelemente\"\n"
                             "people = cwndbyid $w 112\nheader = cwndbyid $w 115\n";
    for (int i = 0; i < 15; ++i) concurrent += "a = cgetlvtext $people\nb = cgethrtext $header\nprint $a|$b\n";
    std::ofstream(dir_ + "/concurrent.pxl") << concurrent;
    PollexRun parallel[2];
    std::thread other([&] { parallel[1] = pollex({host_.path(dir_ + "/concurrent.pxl")}, host_); });
    parallel[0] = pollex({host_.path(dir_ + "/concurrent.pxl")}, host_);
    other.join();
    std::string fifteen;
    for (int i = 0; i < 15; ++i) fifteen += "Anna\tBernd|Spalte A\tSpalte B\n";
    EXPECT_EQ(parallel[0].output, fifteen);
    EXPECT_EQ(parallel[1].output, fifteen);

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
        "out of bounds / 1",
        "enable 1 0 0 / ERROR -1 221: Request code out of bounds",
        "click 0 1 / ERROR -1 201:ctl: Invalid window handle",
        "edit 1 Erika Muster / Reich formatiert / ERROR -1 201:ctl: Invalid window handle",
        "listbox Berlin\tHamburg\tKoeln / 1 Hamburg / ERROR -1 List/Combo box item number bad / ERROR -1 223: "
        "Specified window has an unknown class name or style.",
        "multiple 2 Rot\tBlau / 1 *EMPTY* / ERROR -1 246: Second parameter contains out of range item numbers. / "
        "ERROR -1 245: Second parameter must be a list of numbers. / ERROR -1 247: This List Box does not allow the "
        "selection of multiple items. / ERROR -1 223: Specified window has an unknown class name or style.",
        "drawn ERROR -1 248: This List Box does not support retrieval of item text. / huge ERROR -1 234: Unable to "
        "allocate system memory.",
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
    expectReport(log, {
        {"command id=101 code=0", 4, ""},
        {"command id=103 code=0", 2, "cradiobutton once; ccheckbox 2 once, then no more"},
        {"command id=100 code=0", 2, "cclickbutton and cpostbutton"},
        {"command id=106 code=1", 1, "LBN_SELCHANGE for csetlbitem"},
        {"command id=106 code=2", 1, "LBN_DBLCLK for cdblclickitem"},
        {"command id=107 code=1", 2, "csetlbitemex and cclearlball"},
        {"command id=109 code=1", 1, "CBN_SELCHANGE for csetcbitem"},
        {"double click on people item 0", 1, ""},
        {"date changed 2049-7-4 weekday=0", 1, ""},
        {"date changed 2000-2-29 weekday=2", 1, ""},
        {"command id=201 code=0", 1, "the enabled toolbar button only"},
        {"command id=202 code=0", 0, ""},
        {"volume 60", 1, ""},
        {"command id=104 code=256", 1, "EN_SETFOCUS for csetfocus"},
        {"submitted name=Erika Muster newsletter=1 isdn=1 line=2", 1, ""},
    });
}

// The README's script fills and sends the form.
TEST_F(UnderWine, ReadmeScriptFillsAndSendsTheForm) {
    const std::string log = dir_ + "/target.log";
    startTarget(log);
    const PollexRun run = pollex({host_.path(kScripts + "fill.pxl"), "NAME=Hans Wein"}, host_);
    EXPECT_EQ(run.output, "sent Hans Wein\n");
    ASSERT_TRUE(waitForLine(log, "submitted name=Hans Wein newsletter=1 isdn=1 line=2", 10));
}

// Runs a pollex script against the GTK program in a D-Bus session of its own with its
// accessibility bus: the program is started, waited for, driven, and given five seconds to end.
// The program's report goes to `log`; the script's output (and "exit N") is returned.
std::string runOnDesktop(const std::string& script, const std::string& variable, const std::string& log) {
    const std::string runner =
        "T=\"$1\"; L=\"$2\"; shift 2; \"$T\" >\"$L\" 2>/dev/null & t=$!; "
        "for i in $(seq 300); do grep -qx ready \"$L\" && break; sleep 0.1; done; "
        "\"$@\" >\"$L.out\" 2>/dev/null; s=$?; "
        "for i in $(seq 50); do kill -0 $t 2>/dev/null || break; sleep 0.1; done; kill $t 2>/dev/null; "
        "echo \"exit $s\" >>\"$L.out\"";
    // The bus's own services write to the session's output: only the script's is compared.
    const std::string command = "env -u NO_AT_BRIDGE -u GTK_A11Y dbus-run-session -- sh -c '" + runner + "' sh '" +
                                lumora_test::builtProgram("ctltarget_gtk") + "' '" + log + "' '" +
                                lumora_test::builtProgram("pollex") + "' '" + kScripts + script + "' '" + variable +
                                "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return "(the session did not run)";
    std::ifstream in(log + ".out", std::ios::binary);
    std::stringstream output;
    output << in.rdbuf();
    return output.str();
}

// Every word on the Linux desktop: pollex and the GTK program in one D-Bus session with its
// accessibility bus, on an Xvfb display of the test's own. Words without a counterpart answer
// their messages; the script's texts are Windows-1252 and reach the program as UTF-8.
TEST(Desktop, EveryWordOverTheAccessibilityBus) {
    lumora_test::XvfbServer xvfb;
    ASSERT_TRUE(xvfb.start());
    const std::string log = lumora_test::scratchDir() + "/target.log";
    const std::string output = runOnDesktop("desktop.pxl", "UNUSED=", log);
    EXPECT_EQ(output, lines({
        "info 20014 51 / ERROR -1 101: ctlGetInfo: Invalid parameter",
        "byname 100 late 123 none 0 / ERROR -1 203: ctl: Must specify child text / ERROR -1 204: ctl:  Specified "
        "parent window doesn't exist",
        "byseq Lumora Steuerelemente / ERROR -1 202: ctl:: Invalid child sequence number or ID",
        "byid Edit / ERROR -1 202: ctl:: Invalid child sequence number or ID",
        "byclass 113 / ERROR -1 203: ctl: Must specify child text",
        "exist 100 0 / ERROR -1 The third parameter must be between 1 and 4. / ERROR -1 240: Second parameter must "
        "be a number.",
        "messages ERROR -1 233: This function is not supported by  the current comctl32.dll / ERROR -1 212: "
        "cSendMsg: Invalid message number",
        "checkbox 0 0 1 1 / ERROR -1 221: Request code out of bounds",
        "radio 0 1 / ERROR -1 220: cRadioBtn:  Cannot clear radio buttons.  Set Only.",
        "enable 1 / ERROR -1 233: This function is not supported by  the current comctl32.dll",
        "click 1 1 / ERROR -1 201:ctl: Invalid window handle",
        "edit 1 Erika M\xfcller / ERROR -1 201:ctl: Invalid window handle",
        "listbox Berlin\tHamburg\tKoeln / 1 Hamburg / ERROR -1 List/Combo box item number bad / ERROR -1 223: "
        "Specified window has an unknown class name or style.",
        "multiple 2 Rot\tBlau / 1 *EMPTY* / ERROR -1 246: Second parameter contains out of range item numbers. / "
        "ERROR -1 245: Second parameter must be a list of numbers. / ERROR -1 247: This List Box does not allow the "
        "selection of multiple items.",
        "combo Analog\tISDN\tDSL / 1 / ERROR -1 List/Combo box item number bad",
        "dblclick 1 / ERROR -1 230: Window will not respond to mouse double clicks.",
        "tab 1 / ERROR -1 List/Combo box item number bad",
        "ip ERROR -1 227: Specified window is not an IP address control. / ERROR -1 227: Specified window is not an "
        "IP address control.",
        "listview Anna\tBernd / 0301\t0402 / 1 1 / ERROR -1 252: Column number parameter must be greater than zero. / "
        "ERROR -1 List/Combo box item number bad",
        "tree 1 0 1 / ERROR -1 250: The second parameter must be a tab-delimited list of node names. / ERROR -1 223: "
        "Specified window has an unknown class name or style.",
        "bars Bereit / Name\tNummer / ERROR -1 223: Specified window has an unknown class name or style. / ERROR -1 "
        "223: Specified window has an unknown class name or style.",
        "updown 3 0 10 3 / ERROR -1 231: Second parameter out of range. / ERROR -1 240: Second parameter must be a "
        "number.",
        "unsupported ERROR -1 233: This function is not supported by  the current comctl32.dll / ERROR -1 233: This "
        "function is not supported by  the current comctl32.dll / ERROR -1 233: This function is not supported by  "
        "the current comctl32.dll",
        "toolbar Oeffnen\tSpeichern / 1 / ERROR -1 238: Specified button is either hidden or disabled. / ERROR -1 237: "
        "Unable to find specified button.",
        "trackbar 25 0 100 25 60 / ERROR -1 231: Second parameter out of range.",
        "focus 1 / ERROR -1 201:ctl: Invalid window handle",
        "submitted 1",
        "exit 0",
    }));

    // What the program heard: a two-state box asked for "indeterminate" went round and back, the
    // selections, the activated row, the tree path, the values and the toolbar button.
    expectReport(log, {
        {"toggled Newsletter 1", 2, ""},
        {"toggled Newsletter 0", 1, ""},
        {"toggled ISDN 1", 1, ""},
        {"clicked _Weiter", 2, ""},
        {"line 2", 1, ""},
        {"activated people 1", 1, ""},
        {"tab 1", 1, ""},
        {"place Mitte", 1, ""},
        {"count 7", 1, ""},
        {"tool Oeffnen", 1, ""},
        {"volume 60", 1, ""},
        {"submitted name=Erika M\xc3\xbcller newsletter=1 isdn=1 line=2", 1, ""},
    });
}

// The README's script, unchanged from Windows, fills and sends the GTK form.
TEST(Desktop, ReadmeScriptFillsAndSendsTheForm) {
    lumora_test::XvfbServer xvfb;
    ASSERT_TRUE(xvfb.start());
    const std::string log = lumora_test::scratchDir() + "/target.log";
    EXPECT_EQ(runOnDesktop("fill.pxl", "NAME=Hans Linux", log), "sent Hans Linux\nexit 0\n");
    expectReport(log, {{"submitted name=Hans Linux newsletter=1 isdn=1 line=2", 1, ""}});
}

// The entry protocol as a host meets it: the table's 51 names as they stand, the description,
// unknown identifiers with status -1, and an unload that leaves the library usable.
TEST(Desktop, EntryProtocol) {
    void* library = dlopen(lumora_test::builtProgram("libpxctl.so").c_str(), RTLD_NOW);
    ASSERT_NE(library, nullptr) << dlerror();
    using Entry = LONG(WINAPI*)(HWND, DWORD_PTR, DWORD_PTR, DWORD, PXLCALLBACK, DWORD_PTR, PXLHostBuffer*, LPSTR,
                                LPSTR, LPSTR, LPSTR, LPSTR);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "PXLExtender"));
    ASSERT_NE(entry, nullptr);
    static struct {
        LONG status;
        std::string text;
    } answer;
    PXLCALLBACK record = [](LONG status, DWORD_PTR, DWORD_PTR, DWORD, LONG, LPCSTR text) -> LONG {
        answer = {status, text ? text : ""};
        return 1;
    };
    std::vector<std::string> names;
    for (int i = 0;; ++i) {
        PXLTableRecord row{};
        std::string at = std::to_string(i);
        char empty[] = "";
        // No version words at all: this extender checks none.
        if (entry(nullptr, 0, 0, kTableQuery, record, 0, nullptr, reinterpret_cast<LPSTR>(&row), at.data(), empty,
                  empty, empty) != 1)
            break;
        names.emplace_back(row.name, row.nameLength);
        EXPECT_EQ(row.id, i + 1);
    }
    ASSERT_EQ(names.size(), 51u);
    EXPECT_EQ(names[0], "cgetinfo");
    EXPECT_EQ(names[44], "cgetwndcursor");
    EXPECT_EQ(names[50], "cwndexist");
    char description[64] = "", room[] = "64";
    EXPECT_EQ(entry(nullptr, 0, 0, kDescription, record, 0, nullptr, description, room, nullptr, nullptr, nullptr), 1);
    EXPECT_STREQ(description, "PxPilot  PXL Extender");
    char one[] = "1";
    entry(nullptr, 0, 0, 52, record, 0, nullptr, one, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(answer.status, -1);
    EXPECT_EQ(answer.text, "901: PxCtl Extender: Unknown function");
    EXPECT_EQ(entry(nullptr, 0, 0, kUnload, record, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
    entry(nullptr, 0, 0, 1, record, 0, nullptr, one, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(answer.status, 0);
    dlclose(library);
}

}  // namespace
