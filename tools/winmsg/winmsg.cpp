// winmsg: the prefix's registered window messages from a Linux shell.
//   winmsg post NAME [wParam [lParam]]                 broadcast to every top-level window
//   winmsg post --title TEXT NAME [wParam [lParam]]    post to the windows whose title contains TEXT
//   winmsg listen NAME... [--count N] [--timeout SECONDS]
// listen prints each message it receives as "NAME wParam lParam" on a line of its own, with NAME
// as written on its command line, and ends after N messages (0 = never) or, with status 1, after
// the timeout.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: winmsg post [--title TEXT] NAME [wParam [lParam]]\n"
                 "       winmsg listen NAME... [--count N] [--timeout SECONDS]\n");
    return 2;
}

bool parseUnsigned(const char* text, unsigned long long& value) {
    if (!*text || *text == '-') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 0);
    return errno == 0 && *end == '\0';
}

bool parseSigned(const char* text, long long& value) {
    if (!*text) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 0);
    return errno == 0 && *end == '\0';
}

struct TitleSearch {
    std::string text;
    std::vector<HWND> found;
};

BOOL CALLBACK collectByTitle(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<TitleSearch*>(data);
    char title[512];
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::strstr(title, search->text.c_str())) search->found.push_back(hwnd);
    return TRUE;
}

int post(int argc, char** argv) {
    std::string title;
    bool byTitle = false;
    int i = 0;
    if (i < argc && std::strcmp(argv[i], "--title") == 0) {
        if (i + 1 >= argc) return usage();
        title = argv[i + 1];
        byTitle = true;
        i += 2;
    }
    if (i >= argc || argc - i > 3) return usage();
    const char* name = argv[i];
    unsigned long long wParam = 0;
    long long lParam = 0;
    if (argc - i > 1 && !parseUnsigned(argv[i + 1], wParam)) return usage();
    if (argc - i > 2 && !parseSigned(argv[i + 2], lParam)) return usage();
    UINT id = RegisterWindowMessageA(name);
    if (!id) {
        std::fprintf(stderr, "winmsg: not a message name: \"%s\"\n", name);
        return 2;
    }
    if (!byTitle) {
        if (!PostMessageA(HWND_BROADCAST, id, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam))) {
            std::fprintf(stderr, "winmsg: cannot broadcast %s (error %lu)\n", name,
                         static_cast<unsigned long>(GetLastError()));
            return 1;
        }
        return 0;
    }
    TitleSearch search{title, {}};
    EnumWindows(&collectByTitle, reinterpret_cast<LPARAM>(&search));
    if (search.found.empty()) {
        std::fprintf(stderr, "winmsg: no window's title contains \"%s\"\n", title.c_str());
        return 1;
    }
    int status = 0;
    for (HWND hwnd : search.found) {
        if (!PostMessageA(hwnd, id, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam))) {
            std::fprintf(stderr, "winmsg: cannot post %s to window %08x (error %lu)\n", name,
                         static_cast<unsigned>(reinterpret_cast<uintptr_t>(hwnd)),
                         static_cast<unsigned long>(GetLastError()));
            status = 1;
        }
    }
    return status;
}

LRESULT CALLBACK listenerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int listen(int argc, char** argv) {
    std::map<UINT, std::string> names;
    unsigned long long count = 0, timeout = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0 || std::strcmp(argv[i], "--timeout") == 0) {
            if (i + 1 >= argc) return usage();
            if (!parseUnsigned(argv[i + 1], argv[i][2] == 'c' ? count : timeout)) return usage();
            ++i;
            continue;
        }
        UINT id = RegisterWindowMessageA(argv[i]);
        if (!id) {
            std::fprintf(stderr, "winmsg: not a message name: \"%s\"\n", argv[i]);
            return 2;
        }
        names.emplace(id, argv[i]);  // the first spelling of a name is the one printed
    }
    if (names.empty()) return usage();

    WNDCLASSA wc{};
    wc.lpfnWndProc = &listenerProc;
    wc.lpszClassName = "winmsg";
    if (!RegisterClassA(&wc)) return 1;
    HWND hwnd = CreateWindowExA(0, "winmsg", "winmsg listen", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                nullptr, nullptr, nullptr);
    if (!hwnd) {
        std::fprintf(stderr, "winmsg: cannot create the listening window\n");
        return 1;
    }
    constexpr UINT_PTR kTimeout = 1;
    const unsigned long long ms = timeout > USER_TIMER_MAXIMUM / 1000 ? USER_TIMER_MAXIMUM : timeout * 1000;
    if (timeout && !SetTimer(hwnd, kTimeout, static_cast<UINT>(ms), nullptr)) return 1;
    std::string list;
    for (auto& [id, name] : names) list += " " + name;
    std::fprintf(stderr, "winmsg: listening for%s\n", list.c_str());

    unsigned long long received = 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == hwnd && msg.message == WM_TIMER && msg.wParam == kTimeout) {
            std::fprintf(stderr, "winmsg: timed out after %llu message(s)\n", received);
            DestroyWindow(hwnd);
            return 1;
        }
        auto it = names.find(msg.message);
        if (it != names.end()) {
            std::printf("%s %llu %lld\n", it->second.c_str(),
                        static_cast<unsigned long long>(msg.wParam),
                        static_cast<long long>(msg.lParam));
            std::fflush(stdout);
            if (count && ++received >= count) break;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyWindow(hwnd);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    if (std::strcmp(argv[1], "post") == 0) return post(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "listen") == 0) return listen(argc - 2, argv + 2);
    return usage();
}
