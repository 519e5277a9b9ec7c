// The updater tests' shared helpers (see updater_fixture.h).
#include "updater_fixture.h"

#include "testenv.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace updater_test {
namespace {

constexpr const char* kInternetSettings =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kUpdaterSettings = "Software\\Tarnwell\\TNUpdate";
constexpr const char* kWindowClass = "LumoraUpdaterTestListener";
// A run that has not ended after this long is stuck; the longest wait of the updater itself is
// its connect time-out followed by its receive time-out.
constexpr DWORD kRunLimitMilliseconds = 150 * 1000;

void setValue(HKEY hive, const std::string& key, const char* name, DWORD type, const void* data,
              DWORD size) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(opened);
}

}  // namespace

BroadcastListener::BroadcastListener(const std::string& tag)
    : start_("WM_TEST_UPDATE_START_" + tag), end_("WM_TEST_UPDATE_END_" + tag),
      fail_("WM_TEST_UPDATE_FAIL_" + tag) {
    startId_ = RegisterWindowMessageA(start_.c_str());
    endId_ = RegisterWindowMessageA(end_.c_str());
    failId_ = RegisterWindowMessageA(fail_.c_str());
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = &BroadcastListener::procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);  // fails harmlessly when a listener registered it before
    window_ = CreateWindowExA(0, kWindowClass, "updater test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window_, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

BroadcastListener::~BroadcastListener() {
    if (window_) DestroyWindow(window_);
}

std::string BroadcastListener::options(unsigned identifier) const {
    return "-s\"" + start_ + "\" -f\"" + fail_ + "\" -e\"" + end_ + "\" -i\"" +
           std::to_string(identifier) + "\"";
}

LRESULT CALLBACK BroadcastListener::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<BroadcastListener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message != 0) {
        const char kind = message == self->startId_ ? 's'
                          : message == self->endId_ ? 'e'
                          : message == self->failId_ ? 'f'
                                                     : 0;
        if (kind) {
            self->messages_.push_back({kind, wParam, lParam});
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void BroadcastListener::pump(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (ms) Sleep(10);
    } while (static_cast<int32_t>(until - GetTickCount()) > 0);
}

bool BroadcastListener::waitForFinal(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    for (;;) {
        pump(0);
        for (const Message& m : messages_)
            if (m.kind == 'e' || m.kind == 'f') return true;
        if (static_cast<int32_t>(until - GetTickCount()) <= 0) return false;
        Sleep(10);
    }
}

std::string BroadcastListener::kinds() const {
    std::string text;
    for (const Message& m : messages_) text += m.kind;
    return text;
}

void UpdaterTest::SetUp() {
    folder_ = lumora_test::scratchDir();
    const std::string key = lumora_test::uniqueKey("u");
    tag_ = key.substr(key.find_last_of('\\') + 1);
    for (char& c : tag_)
        if (c == '-') c = '_';
    useNoProxy();
}

void UpdaterTest::TearDown() {
    useNoProxy();
    clearUpdaterWaitLimit();
}

HANDLE UpdaterTest::startUpdater(const std::string& options) {
    const std::string program = lumora_test::builtProgram(lumora_test::onLinux() ? "tnupdate" : "TnUpdate");
    std::string commandLine = "\"" + program + "\" " + options;
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    const std::string folder = lumora_test::binaryDir();
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start " << program << ": " << GetLastError();
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD UpdaterTest::runUpdater(const std::string& options, BroadcastListener* listener, bool expectFinal) {
    HANDLE process = startUpdater(options);
    if (!process) return ~0u;
    const DWORD until = GetTickCount() + kRunLimitMilliseconds;
    while (WaitForSingleObject(process, 20) == WAIT_TIMEOUT) {
        if (listener) listener->pump(0);
        if (static_cast<int32_t>(until - GetTickCount()) <= 0) {
            TerminateProcess(process, 99);
            ADD_FAILURE() << "TnUpdate did not end: " << options;
            break;
        }
    }
    DWORD code = ~0u;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    // Broadcasts may still be on their way when the updater has ended.
    if (listener && expectFinal) {
        EXPECT_TRUE(listener->waitForFinal(10000)) << listener->kinds();
    }
    return code;
}

void UpdaterTest::useProxy(const lumora_test::HttpTestServer& server) {
    useProxy(server.address() + ":" + std::to_string(server.port()));
}

void UpdaterTest::useProxy(const std::string& proxy) {
    const DWORD on = 1;
    setValue(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", REG_DWORD, &on, sizeof on);
    setValue(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", REG_SZ, proxy.c_str(),
             static_cast<DWORD>(proxy.size() + 1));
}

void UpdaterTest::useNoProxy() {
    const DWORD off = 0;
    setValue(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", REG_DWORD, &off, sizeof off);
}

bool waitForFile(const std::string& path, DWORD ms) {
    for (DWORD waited = 0; !exists(path); waited += 50) {
        if (waited >= ms) return false;
        Sleep(50);
    }
    return true;
}

HeldFile::HeldFile(const std::string& path, const std::string& flag) : flag_(flag) {
    std::string line = "\"" + lumora_test::builtProgram("file_holder") + "\" \"" + path + "\" \"" + flag + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    CloseHandle(process.hThread);
    holder_ = process.hProcess;
    held_ = waitForFile(flag + ".ready", 20000);
}

HeldFile::~HeldFile() {
    release();
    if (holder_) CloseHandle(holder_);
}

bool HeldFile::release() {
    if (!holder_) return false;
    writeFile(flag_, "");
    return WaitForSingleObject(holder_, 20000) == WAIT_OBJECT_0;
}

void setUpdaterWaitLimit(DWORD seconds) {
    setValue(HKEY_CURRENT_USER, kUpdaterSettings, "WaitSeconds", REG_DWORD, &seconds, sizeof seconds);
}

void clearUpdaterWaitLimit() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUpdaterSettings, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
    RegDeleteValueA(opened, "WaitSeconds");
    RegCloseKey(opened);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string registryText(const std::string& key, const char* name, bool* found, HKEY hive) {
    if (found) *found = false;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return "";
    char value[1024];
    DWORD size = sizeof value - 1, type = 0;
    const LSTATUS status = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || type != REG_SZ) return "";
    if (found) *found = true;
    return std::string(value, size > 0 && value[size - 1] == '\0' ? size - 1 : size);
}

std::string recordKey(const std::string& remote, const std::string& temporary) {
    return "Software\\Tarnwell\\TNUpdate\\" + remote + "\\" + temporary;
}

std::vector<std::string> subkeys(const std::string& key) {
    std::vector<std::string> names;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return names;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    RegCloseKey(opened);
    return names;
}

std::string slashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

}  // namespace updater_test
