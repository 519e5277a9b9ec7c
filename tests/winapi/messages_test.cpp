// Windows, message queues, timers, registered and broadcast messages: conformance tests that run
// on Linux against winapi and under Wine against its user32.
#include <windows.h>

#include "testenv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages the recording window procedure saw, in order (only the tests' own thread writes).
std::vector<Seen> seen;
LRESULT nextCreateResult = 0;
// What WM_CREATE carried (its CREATESTRUCTA lives only while the window is being created).
LPVOID createParams = nullptr;
std::string createName;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    seen.push_back({hwnd, msg, wParam, lParam});
    if (msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        createParams = cs->lpCreateParams;
        createName = cs->lpszName ? cs->lpszName : "";
        return nextCreateResult;
    }
    if (msg == WM_USER + 50) return static_cast<LRESULT>(wParam * 10 + lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::string uniqueName(const char* hint) {
    // uniqueKey() ends in "<hint>-<pid>-<counter>", unique within the Wine run.
    std::string key = lumora_test::uniqueKey(hint);
    return key.substr(key.find_last_of('\\') + 1);
}

std::string registerRecordingClass(int wndExtra = 0) {
    std::string name = uniqueName("Cls");
    WNDCLASSA wc{};
    wc.lpfnWndProc = &recordingProc;
    wc.cbWndExtra = wndExtra;
    wc.lpszClassName = name.c_str();
    EXPECT_NE(RegisterClassA(&wc), 0);
    return name;
}

HWND createHidden(const std::string& cls, const char* title = "", LPVOID param = nullptr) {
    return CreateWindowExA(0, cls.c_str(), title, WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, param);
}

size_t indexOf(UINT msg, HWND hwnd) {
    for (size_t i = 0; i < seen.size(); ++i)
        if (seen[i].msg == msg && seen[i].hwnd == hwnd) return i;
    return SIZE_MAX;
}

bool sawMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    for (const Seen& s : seen)
        if (s.hwnd == hwnd && s.msg == msg && s.wParam == wParam && s.lParam == lParam) return true;
    return false;
}

// The way the system waits for something while staying responsive: dispatch every waiting
// message, sleep 100 ms, look again. Gives up after `limitMs`.
bool pumpUntil(const std::function<bool()>& done, int limitMs = 10000) {
    for (int waited = 0;; waited += 100) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (waited >= limitMs) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

void drainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

class Messages : public ::testing::Test {
protected:
    void SetUp() override {
        seen.clear();
        nextCreateResult = 0;
        drainQueue();
    }
    void TearDown() override { drainQueue(); }
};

TEST_F(Messages, CreationAndDestructionSendTheirMessagesInOrder) {
    const std::string cls = registerRecordingClass();
    int token = 7;
    HWND hwnd = createHidden(cls, "Verbindungsmonitor", &token);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindow(hwnd));

    const size_t ncCreate = indexOf(WM_NCCREATE, hwnd), create = indexOf(WM_CREATE, hwnd);
    ASSERT_NE(ncCreate, SIZE_MAX);
    ASSERT_NE(create, SIZE_MAX);
    EXPECT_LT(ncCreate, create);
    EXPECT_EQ(createParams, &token);
    EXPECT_EQ(createName, "Verbindungsmonitor");
    char title[64];
    EXPECT_EQ(GetWindowTextA(hwnd, title, sizeof title), 18);
    EXPECT_STREQ(title, "Verbindungsmonitor");

    seen.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    const size_t destroy = indexOf(WM_DESTROY, hwnd), ncDestroy = indexOf(WM_NCDESTROY, hwnd);
    ASSERT_NE(destroy, SIZE_MAX);
    ASSERT_NE(ncDestroy, SIZE_MAX);
    EXPECT_LT(destroy, ncDestroy);
    EXPECT_EQ(ncDestroy, seen.size() - 1);  // nothing after WM_NCDESTROY
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(DestroyWindow(hwnd));
    // Wine answers ERROR_ACCESS_DENIED for a handle that is no window at all.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    }
}

TEST_F(Messages, CreateFailsWhenTheWindowRefusesOrTheClassIsUnknown) {
    const std::string cls = registerRecordingClass();
    nextCreateResult = -1;
    HWND hwnd = createHidden(cls);
    EXPECT_EQ(hwnd, nullptr);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().msg, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(seen.back().hwnd));

    EXPECT_EQ(createHidden(uniqueName("Unknown")), nullptr);
    // Wine reports ERROR_CLASS_DOES_NOT_EXIST here; Windows ERROR_CANNOT_FIND_WND_CLASS.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    }

    WNDCLASSA again{};
    again.lpfnWndProc = &recordingProc;
    again.lpszClassName = cls.c_str();
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST_F(Messages, WindowTextIsSetReadAndTruncatedLikeWindows) {
    const std::string cls = registerRecordingClass();
    HWND hwnd = createHidden(cls);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(hwnd), 0);
    EXPECT_TRUE(SetWindowTextA(hwnd, "Lumora Browser Center"));
    EXPECT_EQ(GetWindowTextLengthA(hwnd), 21);
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(GetWindowTextA(hwnd, buffer, 5), 4);
    EXPECT_STREQ(buffer, "Lumo");
    EXPECT_EQ(GetWindowTextA(hwnd, buffer, 0), 0);
    EXPECT_TRUE(SetWindowTextA(hwnd, "\xdc" "bertragung"));  // Windows-1252 text stays as it is
    char full[32];
    EXPECT_EQ(GetWindowTextA(hwnd, full, sizeof full), 11);
    EXPECT_STREQ(full, "\xdc" "bertragung");

    char name[256];
    EXPECT_EQ(GetClassNameA(hwnd, name, sizeof name), static_cast<int>(cls.size()));
    EXPECT_EQ(name, cls);
    DestroyWindow(hwnd);

    buffer[0] = 'x';
    EXPECT_EQ(GetWindowTextA(hwnd, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Messages, UserDataAndExtraBytesKeepTheirValues) {
    const std::string cls = registerRecordingClass(8);
    HWND hwnd = createHidden(cls);
    ASSERT_NE(hwnd, nullptr);
    int object = 0;
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&object)), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&object));
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, 5), reinterpret_cast<LONG_PTR>(&object));
    EXPECT_EQ(SetWindowLongA(hwnd, GWLP_USERDATA, -5), 5);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), -5);

    EXPECT_EQ(SetWindowLongA(hwnd, 0, 0x12345678), 0);
    EXPECT_EQ(SetWindowLongA(hwnd, 4, 42), 0);
    EXPECT_EQ(GetWindowLongA(hwnd, 0), 0x12345678);
    EXPECT_EQ(GetWindowLongA(hwnd, 4), 42);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongA(hwnd, 6), 0);  // would reach past the 8 extra bytes
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));

    // The window procedure can be replaced and reached again through the old one.
    auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 50, 4, 2), 42);
    EXPECT_EQ(CallWindowProcA(old, hwnd, WM_USER + 50, 1, 3), 13);
    DestroyWindow(hwnd);
}

struct Search {
    HWND wanted;
    bool found;
};

BOOL CALLBACK findWanted(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (hwnd == search->wanted) search->found = true;
    return TRUE;
}

TEST_F(Messages, FindWindowMatchesClassAndTitleInAnyLetterCase) {
    const std::string cls = registerRecordingClass();
    const std::string title = uniqueName("Titel");
    HWND hwnd = createHidden(cls, title.c_str());
    ASSERT_NE(hwnd, nullptr);
    std::string lowerClass = cls, upperTitle = title;
    for (char& c : lowerClass) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upperTitle) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    EXPECT_EQ(FindWindowA(cls.c_str(), nullptr), hwnd);
    EXPECT_EQ(FindWindowA(nullptr, title.c_str()), hwnd);
    EXPECT_EQ(FindWindowA(lowerClass.c_str(), upperTitle.c_str()), hwnd);
    EXPECT_EQ(FindWindowA(cls.c_str(), "another title"), nullptr);
    EXPECT_EQ(FindWindowA(uniqueName("NoSuchClass").c_str(), nullptr), nullptr);

    Search search{hwnd, false};
    EnumWindows(&findWanted, reinterpret_cast<LPARAM>(&search));
    EXPECT_TRUE(search.found);

    DestroyWindow(hwnd);
    EXPECT_EQ(FindWindowA(cls.c_str(), nullptr), nullptr);
}

TEST_F(Messages, RegisteredNamesGiveOneIdInAnyLetterCase) {
    const std::string name = uniqueName("WM_TN_UPDATE_START");
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const UINT id = RegisterWindowMessageA(name.c_str());
    EXPECT_GE(id, 0xC000u);
    EXPECT_LE(id, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA(lower.c_str()), id);
    EXPECT_EQ(RegisterWindowMessageA(name.c_str()), id);
    EXPECT_NE(RegisterWindowMessageA(uniqueName("WM_TN_UPDATE_END").c_str()), id);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

TEST_F(Messages, PostedMessagesComeInOrderAndTheQuitMessageLast) {
    const std::string cls = registerRecordingClass();
    HWND hwnd = createHidden(cls);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(PostMessageA(hwnd, WM_USER + 1, 1, 10));
    PostQuitMessage(42);
    EXPECT_TRUE(PostMessageA(hwnd, WM_USER + 2, 2, 20));

    MSG msg;
    // PM_NOREMOVE shows the first message and leaves it; a range skips what lies outside it.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 2u);

    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(msg.lParam, 10);
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_TRUE(sawMessage(hwnd, WM_USER + 1, 1, 10));
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 42u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // the quit message is gone
    DestroyWindow(hwnd);

    EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Messages, ThreadMessagesHaveNoWindowAndBadTargetsAreRefused) {
    EXPECT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 7, 7, 70));
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 7));
    EXPECT_EQ(msg.lParam, 70);

    EXPECT_FALSE(PostThreadMessageA(0xFFFFFFF0u, WM_USER, 0, 0));
    // Windows answers ERROR_INVALID_THREAD_ID; Wine answers ERROR_INVALID_PARAMETER.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
    }

    const std::string cls = registerRecordingClass();
    HWND gone = createHidden(cls);
    DestroyWindow(gone);
    EXPECT_EQ(GetMessageA(&msg, gone, 0, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Messages, OtherThreadsPostAndSendToTheWindowsThread) {
    const std::string cls = registerRecordingClass();
    HWND hwnd = createHidden(cls);
    ASSERT_NE(hwnd, nullptr);
    std::atomic<LRESULT> sendResult{-1};
    std::atomic<bool> posted{false};
    std::thread other([&] {
        posted = PostMessageA(hwnd, WM_USER + 3, 3, 30) != FALSE;
        sendResult = SendMessageA(hwnd, WM_USER + 50, 6, 5);  // waits until this thread answers
    });
    EXPECT_TRUE(pumpUntil([&] { return sendResult != -1; }));
    other.join();
    EXPECT_TRUE(posted);
    EXPECT_EQ(sendResult, 65);
    EXPECT_TRUE(sawMessage(hwnd, WM_USER + 3, 3, 30));
    DestroyWindow(hwnd);
}

TEST_F(Messages, WindowTimersTickRestartAndStop) {
    const std::string cls = registerRecordingClass();
    HWND hwnd = createHidden(cls);
    ASSERT_NE(hwnd, nullptr);
    auto ticked = [&](UINT_PTR id) { return sawMessage(hwnd, WM_TIMER, id, 0); };

    EXPECT_NE(SetTimer(hwnd, 1, 20, nullptr), 0u);
    EXPECT_TRUE(pumpUntil([&] { return ticked(1); }));

    // Setting an existing timer again replaces its interval: a minute becomes 20 ms.
    EXPECT_NE(SetTimer(hwnd, 7, 60000, nullptr), 0u);
    EXPECT_NE(SetTimer(hwnd, 7, 20, nullptr), 0u);
    EXPECT_TRUE(pumpUntil([&] { return ticked(7); }));
    // ... and a short interval becomes a minute: no tick in the next 300 ms.
    EXPECT_NE(SetTimer(hwnd, 7, 60000, nullptr), 0u);
    seen.clear();
    pumpUntil([] { return false; }, 300);
    EXPECT_FALSE(ticked(7));

    EXPECT_TRUE(KillTimer(hwnd, 1));
    seen.clear();
    pumpUntil([] { return false; }, 300);
    EXPECT_FALSE(ticked(1));
    EXPECT_FALSE(KillTimer(hwnd, 1));
    EXPECT_TRUE(KillTimer(hwnd, 7));
    DestroyWindow(hwnd);
}

TEST_F(Messages, ATimerThatElapsesSeveralTimesWaitsAsOneMessage) {
    const std::string cls = registerRecordingClass();
    HWND hwnd = createHidden(cls);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(SetTimer(hwnd, 3, 200, nullptr), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
    KillTimer(hwnd, 3);
    DestroyWindow(hwnd);
}

std::vector<UINT_PTR> procTicks;

VOID CALLBACK timerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD) {
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(msg, static_cast<UINT>(WM_TIMER));
    procTicks.push_back(id);
}

TEST_F(Messages, ThreadTimersCallTheirProcedureThroughDispatch) {
    procTicks.clear();
    const UINT_PTR id = SetTimer(nullptr, 0, 20, &timerProc);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(pumpUntil([] { return !procTicks.empty(); }));
    EXPECT_EQ(procTicks.front(), id);
    EXPECT_TRUE(KillTimer(nullptr, id));
}

// The custom-dial library waits for the browser center this way: the window must keep getting
// its timers and the messages other threads post while the caller loops.
TEST_F(Messages, AWaitThatPumpsKeepsTimersAndPostedMessagesFlowing) {
    const std::string cls = registerRecordingClass();
    HWND hwnd = createHidden(cls);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(SetTimer(hwnd, 5, 50, nullptr), 0u);
    std::thread poster([hwnd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        PostMessageA(hwnd, WM_USER + 9, 1, 0);
    });
    const bool finished = pumpUntil([&] { return sawMessage(hwnd, WM_USER + 9, 1, 0); });
    poster.join();
    EXPECT_TRUE(finished);
    EXPECT_TRUE(sawMessage(hwnd, WM_TIMER, 5, 0));
    KillTimer(hwnd, 5);
    DestroyWindow(hwnd);
}

TEST_F(Messages, BroadcastsReachTheSendersOwnHiddenWindows) {
    const std::string cls = registerRecordingClass();
    HWND first = createHidden(cls), second = createHidden(cls);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const UINT id = RegisterWindowMessageA(uniqueName("WM_TRIGGER_PROGRESS").c_str());
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, id, 11, 12));
    EXPECT_TRUE(pumpUntil([&] {
        return sawMessage(first, id, 11, 12) && sawMessage(second, id, 11, 12);
    }));
    DestroyWindow(first);
    DestroyWindow(second);
}

TEST_F(Messages, ABroadcastFromAChildProcessReachesTheParentsHiddenWindow) {
    const std::string cls = registerRecordingClass();
    HWND hwnd = createHidden(cls);
    ASSERT_NE(hwnd, nullptr);
    const std::string name = uniqueName("WM_CLOSE_PROGRESS");
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const UINT id = RegisterWindowMessageA(name.c_str());

    // The child registers the name in other letters and exits right after posting.
    const std::string command = lumora_test::builtProgram("winapi_broadcast") + " " + lower + " 5 -6";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(pumpUntil([&] { return sawMessage(hwnd, id, 5, -6); }));
    DestroyWindow(hwnd);
}

TEST_F(Messages, ScreenMetricsDescribeAUsableScreen) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_GE(width, 640);
    EXPECT_GE(height, 480);
    EXPECT_GT(GetSystemMetrics(SM_CYCAPTION), 0);
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_GE(area.left, 0);
    EXPECT_GE(area.top, 0);
    EXPECT_LE(area.right, width);
    EXPECT_LE(area.bottom, height);
    EXPECT_GT(area.right - area.left, 0);
    EXPECT_GT(area.bottom - area.top, 0);
}

#ifndef _WIN32
// Without a display the box is told on standard error and answered with its default button.
// (Under Wine there is always a display, and a real box would wait for a click.)
TEST_F(Messages, MessageBoxWithoutDisplayAnswersWithTheDefaultButton) {
    unsetenv("DISPLAY");
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Verbindung trennen?", "Lumora", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "Fertig", nullptr, MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Nochmal?", "X", MB_RETRYCANCEL | MB_DEFBUTTON4), IDRETRY);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("Lumora: Verbindung trennen? [Ja/Nein] -> Nein"), std::string::npos) << told;
    EXPECT_NE(told.find("Fehler: Fertig"), std::string::npos) << told;
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", 0x0F), 0);
}
#endif

}  // namespace
