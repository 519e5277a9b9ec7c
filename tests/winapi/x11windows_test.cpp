// Other programs' X11 windows as seen through EnumWindows, FindWindowA and GetWindowTextA, on an
// Xvfb display of the test's own (Linux only; under Wine the X11 windows are Wine's business).
#ifndef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "xvfb.h"

namespace {

pid_t spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

void stop(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

std::string capture(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        ::pclose(p);
    }
    return out;
}

bool have(const char* program) {
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

bool waitUntil(bool (*done)(const std::string&), const std::string& arg) {
    for (int i = 0; i < 200; ++i) {
        if (done(arg)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

struct Found {
    HWND hwnd = nullptr;
    int count = 0;
};

BOOL CALLBACK findTitled(HWND hwnd, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    char title[256];
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::string(title).find("Internet Explorer") != std::string::npos) {
        found->hwnd = hwnd;
        ++found->count;
    }
    return TRUE;
}

TEST(X11Windows, OtherProgramsWindowsAreEnumeratedFoundAndRead) {
    if (!have("Xvfb") || !have("xmessage") || !have("xprop") || !have("xwininfo"))
        GTEST_SKIP() << "Xvfb and the X11 utilities are not installed";
    lumora_test::XvfbServer server;
    const bool up = server.start("800x600x24");
    pid_t client = up ? spawn({"xmessage", "-name", "probe", "-title", "Microsoft Internet Explorer",
                               "hallo"})
                      : 0;
    std::string window;
    if (client > 0 && waitUntil(
            [](const std::string&) {
                return capture("xwininfo -root -tree").find("Internet Explorer") !=
                       std::string::npos;
            },
            ""))
        window = capture("xwininfo -root -tree | grep 'Internet Explorer' | awk '{print $1}' | head -1");
    if (!window.empty()) {
        window.pop_back();  // the newline
        // What a window manager announces: the client list, the program's name in UTF-8 and
        // its process.
        std::system(("xprop -root -f _NET_CLIENT_LIST 32x -set _NET_CLIENT_LIST " + window).c_str());
        std::system(("xprop -id " + window + " -f _NET_WM_NAME 8u -set _NET_WM_NAME "
                     "'\xc3\x9c" "bertragung - Microsoft Internet Explorer'").c_str());
    }

    Found found;
    EnumWindows(&findTitled, reinterpret_cast<LPARAM>(&found));
    HWND byClass = FindWindowA("Xmessage", nullptr);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    char title[256] = "";
    if (found.hwnd) GetWindowTextA(found.hwnd, title, sizeof title);
    const BOOL closeAsked = found.hwnd ? PostMessageA(found.hwnd, WM_CLOSE, 0, 0) : FALSE;
    const BOOL otherRefused = found.hwnd ? !PostMessageA(found.hwnd, WM_USER, 0, 0) : FALSE;

    stop(client);
    server.stop();
    ASSERT_TRUE(up) << "Xvfb did not start";
    ASSERT_FALSE(window.empty()) << "the test window did not appear";

    EXPECT_EQ(found.count, 1);
    EXPECT_EQ(byClass, found.hwnd);
    EXPECT_STREQ(title, "\xdc" "bertragung - Microsoft Internet Explorer");  // Windows-1252
    EXPECT_EQ(width, 800);
    EXPECT_TRUE(closeAsked);
    EXPECT_TRUE(otherRefused);
}

}  // namespace
#endif
