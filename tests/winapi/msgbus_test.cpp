// The prefix bus on Linux: winmsg end to end, prefixes kept apart, a stale socket, a daemon that
// dies, no daemon at all, and a burst of broadcasts. (Under Windows all of this is the system's.)
#ifndef _WIN32
#define WIN32_LEAN_AND_MEAN  // the Linux socket calls below, not WinSock's
#include <windows.h>

#include "testenv.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::pair<UINT, std::pair<WPARAM, LPARAM>>> received;

LRESULT CALLBACK receivingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= 0xC000) received.push_back({msg, {wParam, lParam}});
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND createReceiver() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &receivingProc;
        wc.lpszClassName = "BusTestReceiver";
        registered = RegisterClassA(&wc) != 0;
    }
    return CreateWindowExA(0, "BusTestReceiver", "bus test", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                           nullptr, nullptr, nullptr);
}

bool got(UINT id, WPARAM wParam, LPARAM lParam) {
    for (auto& [msg, params] : received)
        if (msg == id && params.first == wParam && params.second == lParam) return true;
    return false;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits (pumping this thread's messages) until done() or the limit.
bool waitFor(const std::function<bool()>& done, int limitMs = 20000) {
    for (int waited = 0; waited <= limitMs; waited += 20) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string winmsg() { return lumora_test::builtProgram("winmsg"); }

int run(const std::string& command) { return std::system(command.c_str()); }

// A `winmsg listen` in the background; its output goes to files in a scratch folder.
struct Listener {
    std::string out, err;

    Listener(const std::string& prefix, const std::string& arguments) {
        const std::string dir = lumora_test::scratchDir();
        out = dir + "out";
        err = dir + "err";
        const std::string env = prefix.empty() ? "" : "LUMORA_PREFIX='" + prefix + "' ";
        run(env + "'" + winmsg() + "' listen " + arguments + " >'" + out + "' 2>'" + err + "' &");
    }
    bool ready() {
        return waitFor([&] { return readFile(err).find("listening") != std::string::npos; });
    }
    std::string output() const { return readFile(out); }
    bool printed(size_t lines) {
        return waitFor([&] {
            const std::string text = output();
            return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines;
        }, 120000);
    }
};

std::string ownPrefix() { return std::getenv("LUMORA_PREFIX"); }

// A prefix made for one test; removing it at the end also ends its bus daemon.
struct ScratchPrefix {
    std::string path = lumora_test::scratchDir() + "prefix";
    ~ScratchPrefix() {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ec);
    }
};

pid_t busDaemonPid(const std::string& prefix) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s/run/bus", prefix.c_str());
    ucred cred{};
    socklen_t size = sizeof cred;
    pid_t pid = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0)
        pid = cred.pid;
    ::close(fd);
    return pid;
}

TEST(MessageBus, ListenersHearPostsOfTheirOwnPrefixOnly) {
    ScratchPrefix a, b;
    Listener inA(a.path, "WM_X --count 1 --timeout 60");
    Listener inB(b.path, "WM_X --count 1 --timeout 60");
    ASSERT_TRUE(inA.ready()) << readFile(inA.err);
    ASSERT_TRUE(inB.ready()) << readFile(inB.err);

    EXPECT_EQ(run("LUMORA_PREFIX='" + a.path + "' '" + winmsg() + "' post wm_x 5 6"), 0);
    ASSERT_TRUE(inA.printed(1));
    EXPECT_EQ(inA.output(), "WM_X 5 6\n");

    // A's post has long been on A's bus; B's listener still waits and takes the next one of B.
    EXPECT_EQ(run("LUMORA_PREFIX='" + b.path + "' '" + winmsg() + "' post WM_X 7 8"), 0);
    ASSERT_TRUE(inB.printed(1));
    EXPECT_EQ(inB.output(), "WM_X 7 8\n");
}

TEST(MessageBus, WindowsOfOtherProcessesCanBeFoundReadAndPostedTo) {
    Listener listener("", "WM_PEER --count 2 --timeout 60");
    ASSERT_TRUE(listener.ready()) << readFile(listener.err);

    HWND peer = FindWindowA("winmsg", "WINMSG LISTEN");
    ASSERT_NE(peer, nullptr);
    char title[64];
    EXPECT_EQ(GetWindowTextA(peer, title, sizeof title), 13);
    EXPECT_STREQ(title, "winmsg listen");
    DWORD pid = 0;
    GetWindowThreadProcessId(peer, &pid);
    EXPECT_NE(pid, static_cast<DWORD>(::getpid()));

    EXPECT_TRUE(PostMessageA(peer, RegisterWindowMessageA("wm_peer"), 1, -2));
    EXPECT_EQ(run("'" + winmsg() + "' post --title 'msg list' WM_PEER 3 4"), 0);
    ASSERT_TRUE(listener.printed(2));
    EXPECT_EQ(listener.output(), "WM_PEER 1 -2\nWM_PEER 3 4\n");

    // Once the listener has ended, its window is gone for everybody.
    EXPECT_TRUE(waitFor([&] { return !IsWindow(peer); }));
    EXPECT_NE(run("'" + winmsg() + "' post --title 'msg list' WM_PEER 5 6 2>/dev/null"), 0);
}

TEST(MessageBus, AStaleSocketIsReplacedByANewDaemon) {
    // A socket file nobody listens on, as a daemon killed outright leaves it.
    std::filesystem::create_directories(ownPrefix() + "/run");
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s/run/bus", ownPrefix().c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);

    HWND hwnd = createReceiver();
    ASSERT_NE(hwnd, nullptr);
    const UINT id = RegisterWindowMessageA("WM_STALE");
    EXPECT_EQ(run("'" + winmsg() + "' post WM_STALE 3 4"), 0);
    EXPECT_TRUE(waitFor([&] { return got(id, 3, 4); }));
    DestroyWindow(hwnd);
}

TEST(MessageBus, ADaemonThatDiesIsReplacedAndPostingNeverHangs) {
    HWND hwnd = createReceiver();
    ASSERT_NE(hwnd, nullptr);
    const pid_t daemon = busDaemonPid(ownPrefix());
    ASSERT_GT(daemon, 0);
    ASSERT_EQ(::kill(daemon, SIGKILL), 0);

    // Without a bus a broadcast still reaches this process's own windows.
    const UINT id = RegisterWindowMessageA("WM_REVIVE");
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, id, 1, 1));
    EXPECT_TRUE(waitFor([&] { return got(id, 1, 1); }));

    // The window's process brings a new daemon up; posts from other processes arrive again.
    bool arrived = false;
    for (int attempt = 0; attempt < 20 && !arrived; ++attempt) {
        run("'" + winmsg() + "' post WM_REVIVE 2 2 2>/dev/null");
        arrived = waitFor([&] { return got(id, 2, 2); }, 1000);
    }
    EXPECT_TRUE(arrived);
    DestroyWindow(hwnd);
}

TEST(MessageBus, WithoutADaemonBroadcastsStayInsideTheProcess) {
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", "/nonexistent", 1);  // no dbus-daemon to be found
    testing::internal::CaptureStderr();
    HWND hwnd = createReceiver();
    const std::string told = testing::internal::GetCapturedStderr();
    ::setenv("PATH", path.c_str(), 1);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_NE(told.find("dbus-daemon"), std::string::npos) << told;

    const UINT id = RegisterWindowMessageA("WM_ALONE");
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, id, 9, 9));
    EXPECT_TRUE(waitFor([&] { return got(id, 9, 9); }));
    DestroyWindow(hwnd);
}

TEST(MessageBus, ABurstOfTenThousandBroadcastsArrivesCompleteAndInOrder) {
    constexpr int kCount = 10000;
    Listener listener("", "WM_BURST --count 10000 --timeout 300");
    ASSERT_TRUE(listener.ready()) << readFile(listener.err);
    const UINT id = RegisterWindowMessageA("WM_BURST");
    int accepted = 0;
    for (int i = 0; i < kCount; ++i) accepted += PostMessageA(HWND_BROADCAST, id, i, -i) ? 1 : 0;
    EXPECT_EQ(accepted, kCount);
    ASSERT_TRUE(listener.printed(kCount)) << readFile(listener.err);
    std::istringstream lines(listener.output());
    std::string line;
    int expected = 0;
    while (std::getline(lines, line)) {
        ASSERT_EQ(line, "WM_BURST " + std::to_string(expected) + " " + std::to_string(-expected));
        ++expected;
    }
    EXPECT_EQ(expected, kCount);
}

}  // namespace
#endif
