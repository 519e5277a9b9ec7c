// The registry on Linux: one database shared by the processes of a prefix, durable when a writer
// is killed, correct with concurrent writers, failing cleanly when damaged or locked, and the
// registry a new prefix starts with.
#include <windows.h>

#include <gtest/gtest.h>

#include "prefix.h"
#include "run_program.h"
#include "testenv.h"

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using lumora_test::runProgram;

std::string queryString(HKEY root, const std::string& path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char data[256] = {};
    DWORD size = sizeof data - 1;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(data) : "<" + std::to_string(status) + ">";
}

LSTATUS setString(HKEY key, const char* name, const std::string& text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

// Runs `body` in a forked process, which opens the registry for itself; returns its exit code.
int inChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

TEST(RegistryProcesses, ProcessesOfAPrefixShareOneRegistry) {
    const std::string path = lumora_test::uniqueKey("shared");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
    ASSERT_EQ(setString(key, "fromParent", "1"), ERROR_SUCCESS);
    HKEY doomed = nullptr;
    ASSERT_EQ(RegCreateKeyA(key, "Doomed", &doomed), ERROR_SUCCESS);

    const int child = inChild([&] {
        HKEY own = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &own)) return 1;
        if (queryString(own, "", "fromParent") != "1") return 2;
        if (setString(own, "fromChild", "2")) return 3;
        return RegDeleteKeyA(own, "Doomed") ? 4 : 0;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(queryString(key, "", "fromChild"), "2");
    EXPECT_EQ(setString(doomed, "v", "x"), ERROR_KEY_DELETED);  // deleted by the other process
    RegCloseKey(doomed);
    RegCloseKey(key);
}

TEST(RegistryProcesses, AcknowledgedWritesSurviveAKilledWriter) {
    const std::string path = lumora_test::uniqueKey("killed");
    const std::string probe = lumora_test::builtProgram("registry_probe");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        const std::string key = "HKCU\\" + path;
        ::execl(probe.c_str(), probe.c_str(), "count", key.c_str(), "1000000", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    FILE* acks = ::fdopen(fds[0], "r");
    long last = -1;
    char line[64];
    while (last < 300 && std::fgets(line, sizeof line, acks)) last = std::strtol(line, nullptr, 10);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    std::fclose(acks);
    ASSERT_GE(last, 300);

    for (long i = 0; i <= last; ++i) {
        const std::string name = "v" + std::to_string(i);
        ASSERT_EQ(queryString(HKEY_CURRENT_USER, path, name.c_str()), std::to_string(i)) << name;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(winapi::prefixFile("registry.db").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
}

TEST(RegistryProcesses, ConcurrentWritersLoseNothingAndCreateAKeyOnce) {
    const std::string path = lumora_test::uniqueKey("writers") + "\\Shared";
    constexpr int kProcesses = 4;
    constexpr int kValues = 150;
    constexpr int kCreated = 10, kOpened = 11;
    int barrier[2];
    ASSERT_EQ(::pipe(barrier), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(barrier[1]);
            char go;
            (void)!::read(barrier[0], &go, 1);  // returns when the parent closes the pipe
            HKEY key = nullptr;
            DWORD disposition = 0;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, &disposition))
                ::_exit(1);
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "p" + std::to_string(p) + "-" + std::to_string(i);
                if (setString(key, name.c_str(), name) || setString(key, "last", name)) ::_exit(2);
            }
            ::_exit(disposition == REG_CREATED_NEW_KEY ? kCreated : kOpened);
        }
        children.push_back(pid);
    }
    ::close(barrier[0]);
    ::close(barrier[1]);
    int created = 0, opened = 0;
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        created += WEXITSTATUS(status) == kCreated;
        opened += WEXITSTATUS(status) == kOpened;
    }
    EXPECT_EQ(created, 1);
    EXPECT_EQ(opened, kProcesses - 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, DWORD(kProcesses * kValues + 1));
    RegCloseKey(key);
}

TEST(RegistryProcesses, ALockedDatabaseFailsWritesAfterABoundedWaitAndStillReads) {
    const std::string path = lumora_test::uniqueKey("locked");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
    ASSERT_EQ(setString(key, "before", "1"), ERROR_SUCCESS);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(winapi::prefixFile("registry.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const int child = inChild([&] {
        ::setenv("LUMORA_REGISTRY_BUSY_MS", "200", 1);
        ::freopen("/dev/null", "w", stderr);
        HKEY own = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &own)) return 1;
        if (queryString(own, "", "before") != "1") return 2;
        return setString(own, "during", "x") == ERROR_BUSY ? 0 : 3;
    });
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(child, 0);
    EXPECT_EQ(setString(key, "after", "x"), ERROR_SUCCESS);
    RegCloseKey(key);
}

// A prefix whose database file holds `content`; the prefix counts as initialised.
std::string damagedPrefix(const std::string& content) {
    const std::string prefix = lumora_test::scratchDir();
    std::ofstream(prefix + "registry.db", std::ios::binary) << content;
    std::ofstream(prefix + ".initialised");
    return prefix;
}

TEST(RegistryDamage, ADamagedDatabaseFailsEveryCallWithOneMessage) {
    // The header of a real database followed by garbage, and garbage alone.
    const std::string sample = lumora_test::scratchDir() + "sample.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(sample.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t (x); INSERT INTO t VALUES (1)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const std::string header = lumora_test::readWholeFile(sample).substr(0, 100);
    for (const std::string& content :
         {header + std::string(8092, '\xa5'), std::string(3000, 'R') + "egistry garbage"}) {
        const std::string prefix = damagedPrefix(content);
        auto result = runProgram("registry_probe",
                                 {"get", "HKLM\\System\\Lumora", "WindowsVersion", "set", "HKCU\\Software\\X",
                                  "v", "1", "get", "HKCU\\Software\\X", "v"},
                                 {"LUMORA_PREFIX=" + prefix});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(lines(result.out), (std::vector<std::string>{"1009 ", "1009", "1009 "}));
        size_t messages = 0;
        for (size_t at = result.err.find("damaged"); at != std::string::npos; at = result.err.find("damaged", at + 1))
            ++messages;
        EXPECT_EQ(messages, 1u) << result.err;
        EXPECT_EQ(lumora_test::readWholeFile(prefix + "registry.db"), content);  // left as it was
        std::filesystem::remove_all(prefix);
    }
    std::filesystem::remove_all(std::filesystem::path(sample).parent_path());
}

TEST(RegistryTemplate, ANewPrefixStartsAsAFreshlyInstalledMachine) {
    std::string prefix = lumora_test::scratchDir();
    prefix.pop_back();
    const std::string shellFolders = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::string telephony = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";
    // The serial ports are the links to character devices the prefix's "dosdevices" holds.
    std::filesystem::create_directories(prefix + "/dosdevices");
    std::filesystem::create_symlink("/dev/null", prefix + "/dosdevices/com2");
    std::filesystem::create_symlink("/nonexistent/ttyS9", prefix + "/dosdevices/com3");
    auto result = runProgram(
        "registry_probe",
        {"get", "HKLM\\System\\Lumora", "WindowsVersion",
         "get", "HKLM\\SOFTWARE\\Microsoft\\Internet Explorer", "Version",
         "get", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", "Path",
         "get", telephony, "CurrentID",
         "get", telephony + "\\Location0", "Name",
         "get", telephony + "\\Location0", "Country",
         "get", "HKLM\\Hardware\\DeviceMap\\Serialcomm", "COM1",
         "get", "HKLM\\Hardware\\DeviceMap\\Serialcomm", "COM2",
         "get", "HKLM\\Hardware\\DeviceMap\\Serialcomm", "COM3",
         "get", shellFolders, "Favorites",
         "get", shellFolders, "Programs"},
        {"LUMORA_PREFIX=" + prefix});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto got = lines(result.out);
    ASSERT_EQ(got.size(), 11u) << result.out;
    std::string windowsPrefix = prefix;
    for (char& c : windowsPrefix)
        if (c == '/') c = '\\';
    EXPECT_EQ(got[0], "0 2000");
    EXPECT_EQ(got[1].rfind("0 6.", 0), 0u) << got[1];
    EXPECT_GE(got[1].substr(2), "4.72.3110.1");  // compared as text, as the browser check does
    EXPECT_EQ(got[2], "0 " + windowsPrefix + "\\programs\\Internet Explorer;");
    EXPECT_EQ(got[3], "0 1");
    EXPECT_EQ(got[4], "0 Standardstandort");
    EXPECT_EQ(got[5], "0 49");
    EXPECT_EQ(got[6].substr(0, 2), "2 ");  // no link, no port
    EXPECT_EQ(got[7], "0 COM2");
    EXPECT_EQ(got[8].substr(0, 2), "2 ");  // a link to no device is no port
    EXPECT_EQ(got[9], "0 " + windowsPrefix + "\\user\\Favorites");
    EXPECT_EQ(got[10], "0 " + windowsPrefix + "\\user\\Start Menu\\Programs");
    EXPECT_TRUE(std::filesystem::is_directory(prefix + "/user/Favorites"));
    EXPECT_TRUE(std::filesystem::is_directory(prefix + "/user/Start Menu/Programs"));
    std::filesystem::remove_all(prefix);
}

}  // namespace
