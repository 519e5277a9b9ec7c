// The Windows wizard as another program sees it (under Wine): the real Orvane.exe, its background
// window of the class "WINBGCLASS" over the whole screen, its comctl32 wizard sheet top-most at
// the configured place, its pages driven through their controls by id with the system's own
// messages (BM_CLICK, WM_SETTEXT), and what the pages wrote to the variables file.
#include "config_block.h"
#include "testenv.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;
constexpr int kChoice1 = 1201;
constexpr int kEdit1 = 1401;

struct Search {
    DWORD process;
    const char* className;
    int childId;  // 0: any window of the class
    HWND found = nullptr;
};

BOOL CALLBACK findOwnWindow(HWND hwnd, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (process != search->process || lstrcmpiA(name, search->className) != 0 || !IsWindowVisible(hwnd) ||
        (search->childId && !GetDlgItem(hwnd, search->childId)))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A visible top-level window of the process and class (holding the control `childId`), waited
// for (about 20 s at most).
HWND windowOf(DWORD process, const char* className, int childId = 0) {
    for (int i = 0; i < 200; ++i, Sleep(100)) {
        Search search{process, className, childId};
        EnumWindows(findOwnWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

// The sheet's active page once it holds the control `id`.
HWND pageWith(HWND sheet, int id) {
    for (int i = 0; i < 200; ++i, Sleep(100)) {
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (page && GetDlgItem(page, id)) return page;
    }
    return nullptr;
}

void press(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string variable(const std::string& file, const char* key) {
    char value[64] = {};
    GetPrivateProfileStringA("variables", key, "<absent>", value, sizeof value, file.c_str());
    return value;
}

TEST(WizardOnWindows, PagesDrivenByControlIdOverTheBackgroundWindowWriteTheVariables) {
    const std::string work = lumora_test::scratchDir();
    std::string shortName = lumora_test::uniqueKey("w");
    shortName = shortName.substr(shortName.rfind('\\') + 1);
    ConfigBlock block;
    block.m_Version = 21;
    block.m_Data.m_ShortName = shortName;
    block.m_Data.m_ProviderTitle = "Testanbieter";
    block.m_Data.m_CleanupHelper = {"cmdprobe.exe", SW_HIDE, 1};
    block.m_Data.m_WizardX = 30;  // the shipped program has no "BG" picture: the place as it stands
    block.m_Data.m_WizardY = 40;
    block.m_Data.m_CaptionFlag = 0;  // no title bar
    CPageRecords& p = block.m_Pages;
    p.member.m_Order = 1;
    p.userData.m_Order = 2;
    p.userData.m_SingleField = 0;
    p.userData.m_UserMin = 1;
    p.userData.m_UserMax = 3;
    p.userData.m_PasswordMin = 1;
    p.userData.m_PasswordMax = 5;
    p.reboot.m_Order = 3;
    const std::vector<BYTE> bytes = writeConfigFile(block);
    std::ofstream(work + "wizard.ovb", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const std::string record = work + "probe";
    SetEnvironmentVariableA("LUMORA_PROBE_RECORD", record.c_str());

    const std::string program = lumora_test::builtProgram("Orvane");
    std::string line = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, work.c_str(),
                               &startup, &process))
        << GetLastError();
    CloseHandle(process.hThread);
    const auto end = [&] {
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
    };

    // Behind the wizard: the background window over the whole screen.
    HWND background = windowOf(process.dwProcessId, "WINBGCLASS");
    HWND sheet = windowOf(process.dwProcessId, "#32770", kNext);
    if (!background || !sheet) {
        TerminateProcess(process.hProcess, 1);
        end();
        FAIL() << "background " << background << ", sheet " << sheet;
    }
    char title[32] = {};
    GetWindowTextA(background, title, sizeof title);
    EXPECT_STREQ(title, "WinBG");
    RECT r{};
    GetWindowRect(background, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    // The wizard at its configured place, above every other window.
    GetWindowRect(sheet, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_TRUE(GetWindowLongA(sheet, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Without its title bar the frame is drawn anew: the client area takes the bar's place.
    EXPECT_FALSE((GetWindowLongA(sheet, GWL_STYLE) & WS_CAPTION) == WS_CAPTION);
    RECT client{};
    GetClientRect(sheet, &client);
    EXPECT_LT((r.bottom - r.top) - client.bottom, GetSystemMetrics(SM_CYCAPTION));

    // Shift+Ctrl clicks at the screen's left edge: below the corner they hide and show the
    // wizard, in the corner they shrink the background to a strip and back; one key is not enough.
    const auto click = [&](WPARAM keys, int x, int y) {
        SendMessageA(background, WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(background, WM_LBUTTONUP, keys, MAKELPARAM(x, y));
    };
    click(MK_SHIFT | MK_CONTROL, 5, 50);
    EXPECT_FALSE(IsWindowVisible(sheet));
    click(MK_SHIFT | MK_CONTROL, 5, 50);
    EXPECT_TRUE(IsWindowVisible(sheet));
    click(MK_CONTROL, 5, 5);
    click(MK_SHIFT | MK_CONTROL, 12, 5);
    GetWindowRect(background, &r);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    click(MK_SHIFT | MK_CONTROL, 5, 5);
    GetWindowRect(background, &r);
    EXPECT_EQ(r.right - r.left, 10);
    EXPECT_EQ(r.bottom - r.top, 100);
    click(MK_SHIFT | MK_CONTROL, 5, 5);
    GetWindowRect(background, &r);
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));

    // Membership: an existing customer, so the user data page follows.
    HWND page = pageWith(sheet, kChoice1 + 1);
    ASSERT_TRUE(page);
    press(page, kChoice1 + 1);
    press(sheet, kNext);
    // User data in four fields of at most three characters: longer text is cut, and Next waits
    // until every field holds one at least.
    page = pageWith(sheet, kEdit1 + 4);
    ASSERT_TRUE(page);
    const char* fields[] = {"ab", "cd", "", "gh", "geheimnis"};
    for (int i = 0; i < 5; ++i) SendMessageA(GetDlgItem(page, kEdit1 + i), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fields[i]));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kNext)));
    SendMessageA(GetDlgItem(page, kEdit1 + 2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("efgh"));
    char cut[16] = {};
    // (GetWindowTextA does not ask a control of another process.)
    SendMessageA(GetDlgItem(page, kEdit1 + 2), WM_GETTEXT, sizeof cut, reinterpret_cast<LPARAM>(cut));
    EXPECT_STREQ(cut, "efg");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kNext)));
    press(sheet, kNext);
    // The restart page: later, then Finish ends the wizard in order.
    page = pageWith(sheet, kChoice1 + 1);
    ASSERT_TRUE(page);
    ASSERT_FALSE(GetDlgItem(page, kEdit1));
    press(page, kChoice1 + 1);
    press(sheet, kFinish);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    end();

    const std::string file = shortName + ".dat";
    EXPECT_EQ(variable(file, "Username"), "abcdefggh");
    EXPECT_EQ(variable(file, "Password"), "gehei");
    EXPECT_EQ(variable(file, "NewUser"), "0");
    // Ended in order: no clean-up.
    EXPECT_FALSE(std::ifstream(record + ".cmdprobe").good());
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    DeleteFileA((std::string(windows) + "\\" + file).c_str());
}

// The device list's "Modem-Assistent" on Windows 98 (Wine's version for the program): the
// wizard window is hidden and disabled while the modem installation's stand-in runs, and shown
// and enabled again once it has ended, the modem it installed recorded in the modem class.
TEST(WizardOnWindows, TheModemInstallationRunsWhileTheWizardIsHiddenAndDisabled) {
    constexpr int kModemWizardButton = 1502;
    const std::string work = lumora_test::scratchDir();
    ConfigBlock block;
    block.m_Version = 21;
    block.m_Data.m_ShortName = "modem";
    block.m_Data.m_ProviderTitle = "Testanbieter";
    // The device pages follow the system check; the wizard resumes at the device list.
    block.m_Pages.prufe.m_Order = 1;
    block.m_Pages.gerat.m_Order = 2;
    block.m_Pages.geratFaul.m_Order = 3;
    block.m_Pages.geratFaul.m_ModemWizardCaption = "Modem-Assistent";
    block.m_Pages.reboot.m_Order = 4;
    const std::vector<BYTE> bytes = writeConfigFile(block);
    std::ofstream(work + "wizard.ovb", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // The program (not its helpers) sees Windows 98, where the button is enabled.
    HKEY version = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Orvane.exe", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &version, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(version, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    RegCloseKey(version);

    const std::string program = lumora_test::builtProgram("Orvane");
    std::string line = "\"" + program + "\" -p 02";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        work.c_str(), &startup, &process);
    ASSERT_TRUE(started) << GetLastError();
    CloseHandle(process.hThread);
    const auto end = [&] {
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Orvane.exe");
    };
    HWND sheet = windowOf(process.dwProcessId, "#32770", kNext);
    HWND page = sheet ? pageWith(sheet, kModemWizardButton) : nullptr;
    if (!page || !IsWindowEnabled(GetDlgItem(page, kModemWizardButton))) {
        TerminateProcess(process.hProcess, 1);
        end();
        FAIL() << "no device list with an enabled modem button: sheet " << sheet << ", page " << page;
    }
    EXPECT_TRUE(IsWindowVisible(sheet));
    press(page, kModemWizardButton);
    HWND installer = nullptr;
    for (int i = 0; i < 200 && !installer; ++i, Sleep(100)) installer = FindWindowA("#32770", "Modem-Assistent");
    ASSERT_TRUE(installer);
    EXPECT_FALSE(IsWindowVisible(sheet));
    EXPECT_FALSE(IsWindowEnabled(sheet));
    SendMessageA(GetDlgItem(installer, IDOK), BM_CLICK, 0, 0);
    bool back = false;
    for (int i = 0; i < 200 && !back; ++i, Sleep(100)) back = IsWindowVisible(sheet) && IsWindowEnabled(sheet);
    EXPECT_TRUE(back) << "the wizard window stayed hidden or disabled";
    EXPECT_FALSE(IsWindow(installer));
    // The stand-in itself runs as the Windows NT family (Wine's own version): the NT modem class.
    HKEY modem = nullptr;
    char name[64] = {};
    DWORD size = sizeof name - 1;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000",
                            0, KEY_READ, &modem),
              ERROR_SUCCESS);
    RegQueryValueExA(modem, "FriendlyName", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(modem);
    EXPECT_EQ(std::string(name).rfind("Standardmodem an COM", 0), 0u) << name;

    // Cancelled and confirmed: the wizard ends. (Posted: the question runs inside the click.)
    PostMessageA(GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
    HWND question = windowOf(process.dwProcessId, "#32770", 1053);
    ASSERT_TRUE(question);
    press(question, 1053);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    end();
}

}  // namespace
