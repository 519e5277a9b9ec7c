// What the updater tests share: running the real TnUpdate program, a hidden top-level window
// that receives its broadcasts, the test HTTP server as the proxy of the Internet settings, and
// small file and registry helpers.
#pragma once

#include <windows.h>

#include "httpserver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace updater_test {

// A hidden top-level window that registers the three message names of one updater run and
// records what arrives, in order.
class BroadcastListener {
public:
    struct Message {
        char kind;  // 's' start or progress, 'e' end, 'f' fail
        WPARAM identifier;
        LPARAM parameter;
    };

    explicit BroadcastListener(const std::string& tag);
    ~BroadcastListener();
    BroadcastListener(const BroadcastListener&) = delete;
    BroadcastListener& operator=(const BroadcastListener&) = delete;

    // The updater options naming the messages and the identifier.
    std::string options(unsigned identifier) const;
    // Dispatches what has arrived; waits up to `ms` for more.
    void pump(DWORD ms);
    // Pumps until an end or fail message has arrived (true) or `ms` have passed.
    bool waitForFinal(DWORD ms);
    const std::vector<Message>& messages() const { return messages_; }
    // The kinds in order, e.g. "sse" for start, progress, end.
    std::string kinds() const;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::string start_, end_, fail_;
    UINT startId_ = 0, endId_ = 0, failId_ = 0;
    HWND window_ = nullptr;
    std::vector<Message> messages_;
};

class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs TnUpdate with the options (after the program name) in the test binary's folder and
    // waits for it to end, dispatching broadcasts meanwhile; with `listener`, also for its end or
    // fail message when `expectFinal`. Returns the exit code.
    DWORD runUpdater(const std::string& options, BroadcastListener* listener = nullptr,
                     bool expectFinal = true);
    // Starts TnUpdate without waiting; the caller closes the handle.
    HANDLE startUpdater(const std::string& options);

    // Sends every request to the test server as the proxy of the Internet settings.
    void useProxy(const lumora_test::HttpTestServer& server);
    void useProxy(const std::string& hostAndPort);
    void useNoProxy();

    std::string folder_;  // a fresh scratch folder, ending in a separator
    std::string tag_;     // unique in this run
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool exists(const std::string& path);

// Waits for a file that another process writes; false when it has not come within `ms`.
bool waitForFile(const std::string& path, DWORD ms);

// Another process that holds a file open without sharing, as a running program holds its own
// files, until release() or the end of the test.
class HeldFile {
public:
    HeldFile(const std::string& path, const std::string& flag);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool held() const { return held_; }
    // Lets the holder close the file and end; true when it has ended.
    bool release();

private:
    std::string flag_;
    HANDLE holder_ = nullptr;
    bool held_ = false;
};

// How long the updater waits for files in use before it gives up (the value of the updater's
// settings; the default is 30 seconds).
void setUpdaterWaitLimit(DWORD seconds);
void clearUpdaterWaitLimit();

// A string value under HKEY_CURRENT_USER (or `hive`); `found` tells whether it exists.
std::string registryText(const std::string& key, const char* name, bool* found = nullptr,
                         HKEY hive = HKEY_CURRENT_USER);
// The record key of a fetch: "Software\Tarnwell\TNUpdate\<remote>\<temporary>".
std::string recordKey(const std::string& remote, const std::string& temporary);
// The names of the subkeys of a key below HKEY_CURRENT_USER.
std::vector<std::string> subkeys(const std::string& key);

// The path with every "\" turned into "/", as the updater writes local paths.
std::string slashes(std::string path);

}  // namespace updater_test
