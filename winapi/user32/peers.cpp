// The prefix's window list (run/windows) and the handles of other processes' windows.
#include "peers.h"

#include "atoms.h"
#include "bus.h"
#include "prefix.h"
#include "window.h"

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

namespace winapi::user32 {
namespace {

constexpr const char* kMagic = "lumora-window 1";

struct Entry {
    std::string busName;
    DWORD threadId = 0;
    std::string className;
    std::string title;
};

std::string folder() { return prefixFile("run/windows"); }

std::string fileOf(DWORD pid, DWORD hwnd) {
    char name[32];
    std::snprintf(name, sizeof name, "/%u-%08x", static_cast<unsigned>(pid),
                  static_cast<unsigned>(hwnd));
    return folder() + name;
}

bool processAlive(DWORD pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool readEntry(const std::string& file, Entry& entry) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::string magic, thread;
    if (!std::getline(in, magic) || magic != kMagic) return false;
    if (!std::getline(in, entry.busName) || !std::getline(in, thread) ||
        !std::getline(in, entry.className))
        return false;
    entry.threadId = static_cast<DWORD>(std::strtoul(thread.c_str(), nullptr, 10));
    std::ostringstream rest;
    rest << in.rdbuf();
    entry.title = rest.str();
    return true;
}

// One window of another process of the prefix.
class PeerWindow final : public WindowRef {
public:
    PeerWindow(DWORD pid, DWORD hwnd) : pid_(pid), hwnd_(hwnd) {}

    bool alive() const override {
        Entry e;
        return processAlive(pid_) && readEntry(fileOf(pid_, hwnd_), e);
    }
    std::string text() const override {
        Entry e;
        return readEntry(fileOf(pid_, hwnd_), e) ? e.title : std::string();
    }
    std::string className() const override {
        Entry e;
        return readEntry(fileOf(pid_, hwnd_), e) ? e.className : std::string();
    }
    DWORD processId() const override { return pid_; }
    DWORD threadId() const override {
        Entry e;
        return readEntry(fileOf(pid_, hwnd_), e) ? e.threadId : 0;
    }
    bool post(UINT msg, WPARAM wParam, LPARAM lParam) override {
        Entry e;
        if (!readEntry(fileOf(pid_, hwnd_), e)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        // A registered message travels by name: the other process has its own id for it.
        const std::string name = isAtomRange(msg) ? atomName(msg) : std::string();
        if (isAtomRange(msg) && name.empty()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        if (!busPost(e.busName, hwnd_, name, msg, wParam, lParam)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        return true;
    }

private:
    DWORD pid_;
    DWORD hwnd_;
};

struct Published {
    std::mutex mutex;
    std::set<DWORD> hwnds;
    bool cleanupRegistered = false;
    std::map<std::pair<DWORD, DWORD>, HWND> peerHandles;  // (pid, their hwnd) -> our handle
};

Published& published() {
    static Published* p = new Published;
    return *p;
}

// Windows the program did not destroy leave the list when the program exits.
void withdrawAll() {
    Published& p = published();
    std::lock_guard lock(p.mutex);
    for (DWORD h : p.hwnds) ::unlink(fileOf(static_cast<DWORD>(::getpid()), h).c_str());
    p.hwnds.clear();
}

}  // namespace

void publishWindow(HWND hwnd, std::string_view className, std::string_view title) {
    const DWORD value = HandleTable::toValue(hwnd);
    const DWORD pid = static_cast<DWORD>(::getpid());
    auto w = localWindow(hwnd);
    std::string text = std::string(kMagic) + "\n" + busName() + "\n" +
                       std::to_string(w ? w->threadId() : 0) + "\n" + std::string(className) +
                       "\n" + std::string(title);
    ::mkdir(folder().c_str(), 0755);
    const std::string file = fileOf(pid, value);
    const std::string temporary = file + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::fprintf(stderr, "winapi: cannot list window %08x in %s\n",
                         static_cast<unsigned>(value), folder().c_str());
            ::unlink(temporary.c_str());
            return;
        }
    }
    ::rename(temporary.c_str(), file.c_str());
    Published& p = published();
    std::lock_guard lock(p.mutex);
    p.hwnds.insert(value);
    if (!p.cleanupRegistered) {
        p.cleanupRegistered = true;
        std::atexit(&withdrawAll);
    }
}

void withdrawWindow(HWND hwnd) {
    const DWORD value = HandleTable::toValue(hwnd);
    ::unlink(fileOf(static_cast<DWORD>(::getpid()), value).c_str());
    Published& p = published();
    std::lock_guard lock(p.mutex);
    p.hwnds.erase(value);
}

std::vector<PeerHandle> peerWindows() {
    struct Found {
        DWORD pid;
        DWORD hwnd;
        int64_t modified;
    };
    std::vector<Found> found;
    const DWORD self = static_cast<DWORD>(::getpid());
    if (DIR* dir = ::opendir(folder().c_str())) {
        while (dirent* e = ::readdir(dir)) {
            unsigned pid = 0, hwnd = 0;
            char tail = 0;
            if (std::sscanf(e->d_name, "%u-%8x%c", &pid, &hwnd, &tail) != 2 || pid == self) continue;
            const std::string file = folder() + "/" + e->d_name;
            if (!processAlive(pid)) {
                ::unlink(file.c_str());  // left behind by a program that died
                continue;
            }
            struct stat st{};
            if (::stat(file.c_str(), &st) != 0) continue;
            found.push_back({pid, hwnd, static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                                            st.st_mtim.tv_nsec});
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.modified > b.modified; });
    std::vector<PeerHandle> out;
    Published& p = published();
    std::lock_guard lock(p.mutex);
    for (const Found& f : found) {
        HWND& handle = p.peerHandles[{f.pid, f.hwnd}];
        if (!handle) handle = addHandle<HWND>(std::make_shared<PeerWindow>(f.pid, f.hwnd));
        out.push_back({handle, f.pid});
    }
    return out;
}

}  // namespace winapi::user32
