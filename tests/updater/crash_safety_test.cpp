// The updater under load and killed: eight TnUpdate processes fetching at once while another
// process writes the same registry, and TnUpdate killed at random points of a download and of an
// archive's unpacking, after which the next run must complete.
// LUMORA_KILL_ROUNDS sets the number of kills (10 by default, 3 under Wine; 50 for a stress run).
#include "updater_fixture.h"

#include "packed_archive.h"
#include "testenv.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>

using lumora_test::HttpTestServer;
using lumora_test::packedArchive;

namespace updater_test {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Every file below a folder by its relative name, with its content; empty for a missing folder.
Files contents(const std::string& folder) {
    Files files;
    std::error_code error;
    if (!fs::is_directory(folder, error)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        files[fs::relative(entry.path(), folder).generic_string()] = readFile(entry.path().string());
    }
    return files;
}

// Under Wine a whole run takes seconds instead of a fraction of one: fewer kills by default there.
int killRounds() {
    const int usual = lumora_test::onLinux() ? 10 : 3;
    const char* setting = std::getenv("LUMORA_KILL_ROUNDS");
    const int rounds = setting ? std::atoi(setting) : usual;
    return rounds > 0 ? rounds : usual;
}

// The archive of a skin with `count` pages in folders of 100, and the files it unpacks to.
std::pair<std::string, Files> skin(const std::string& version, int count, size_t bigFile) {
    std::vector<std::pair<std::string, std::string>> entries;
    Files files;
    for (int i = 0; i < count; ++i) {
        const std::string name = "pages" + std::to_string(i / 100) + "/page" + std::to_string(i) + ".htm";
        std::string content = version + " " + std::to_string(i) + std::string(200 + i % 700, 'x');
        entries.emplace_back(name, content);
        files[name] = content;
    }
    if (bigFile) {
        std::string big(bigFile, 'b');
        big.replace(0, version.size(), version);
        entries.emplace_back("images/big.bin", big);
        files["images/big.bin"] = big;
    }
    return {packedArchive(entries), files};
}

class CrashSafety : public UpdaterTest {
protected:
    void SetUp() override {
        UpdaterTest::SetUp();
        ASSERT_TRUE(server_.listening());
        useProxy(server_);
    }

    std::string fetchOptions(const std::string& name, const std::string& local, int mode,
                             const BroadcastListener& listener) const {
        return "-r\"http://update.example/" + tag_ + "/" + name + "\" -l\"" + local + "\" -x\"" +
               std::to_string(mode) + "\" " + listener.options(7);
    }

    HttpTestServer server_;
};

TEST_F(CrashSafety, EightUpdatersAndAnotherWriterLoseNoRegistryWrite) {
    // Each updater keeps the date and outcome of its fetch in the registry, while this process
    // writes values of its own into the same database as fast as it can.
    constexpr int kUpdaters = 8;
    const std::string date = "Sun, 02 Jan 2000 10:00:00 GMT";
    std::vector<HANDLE> running;
    std::vector<std::unique_ptr<BroadcastListener>> listeners;
    for (int i = 0; i < kUpdaters; ++i) {
        const std::string name = "file" + std::to_string(i) + ".txt";
        server_.serveText("/" + tag_ + "/" + name, "content " + std::to_string(i), date);
        listeners.push_back(std::make_unique<BroadcastListener>(tag_ + "l" + std::to_string(i)));
    }
    for (int i = 0; i < kUpdaters; ++i) {
        const std::string name = "file" + std::to_string(i) + ".txt";
        running.push_back(startUpdater(fetchOptions(name, folder_ + name, 0, *listeners[i])));
        ASSERT_NE(running.back(), nullptr);
    }
    const std::string ownKey = "Software\\Tarnwell\\LoadTest\\" + tag_;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ownKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    int written = 0;
    auto allEnded = [&] {
        for (HANDLE process : running)
            if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) return false;
        return true;
    };
    const DWORD until = GetTickCount() + 60000;
    while (!allEnded() && static_cast<int32_t>(until - GetTickCount()) > 0) {
        const std::string value = std::to_string(written);
        ASSERT_EQ(RegSetValueExA(key, ("v" + value).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS)
            << "write " << written << " failed while the updaters ran";
        ++written;
        for (auto& listener : listeners) listener->pump(0);
    }
    ASSERT_TRUE(allEnded()) << "the updaters did not end within a minute";
    for (HANDLE process : running) CloseHandle(process);

    for (int i = 0; i < kUpdaters; ++i) {
        const std::string name = "file" + std::to_string(i) + ".txt";
        EXPECT_TRUE(listeners[i]->waitForFinal(10000)) << name;
        EXPECT_EQ(listeners[i]->kinds().back(), 'e') << name << ": " << listeners[i]->kinds();
        EXPECT_EQ(readFile(folder_ + name), "content " + std::to_string(i));
        const std::string record = recordKey("http://update.example/" + tag_ + "/" + name, slashes(folder_ + name) + ".tmp");
        EXPECT_EQ(registryText(record, "Success"), "1") << name;
        EXPECT_EQ(registryText(record, "Date"), date) << name;
    }
    EXPECT_GT(written, 0);
    for (int i = 0; i < written; ++i) {
        char data[32] = {};
        DWORD size = sizeof data;
        ASSERT_EQ(RegQueryValueExA(key, ("v" + std::to_string(i)).c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data), &size),
                  ERROR_SUCCESS)
            << "value " << i << " of " << written << " is lost";
        EXPECT_EQ(std::string(data), std::to_string(i));
    }
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, ownKey.c_str());
}

TEST_F(CrashSafety, AKilledUpdaterLeavesTheOldFilesOrTheNewOnesAndTheNextRunCompletes) {
    const std::string local = folder_ + "skin.dat";
    const std::string target = folder_ + "skin";
    const std::string staging = folder_ + "skin1";
    // Under Wine every file costs far more: a smaller skin there.
    const int files = lumora_test::onLinux() ? 1500 : 300;
    const auto [oldArchive, oldFiles] = skin("old", files * 2 / 3, 0);
    const auto [newArchive, newFiles] = skin("new", files, lumora_test::onLinux() ? 4 << 20 : 1 << 20);
    // Without a date the server never answers "not modified": every run fetches the file whole.
    server_.serveText("/" + tag_ + "/skin.dat", newArchive, "");

    auto installOld = [&] {
        for (const std::string& folder : {target, staging, target + ".old"}) fs::remove_all(folder);
        fs::remove(local + ".tmp");
        for (const auto& [name, content] : oldFiles) {
            fs::create_directories(fs::path(target + "/" + name).parent_path());
            writeFile(target + "/" + name, content);
        }
        writeFile(local, oldArchive);
    };
    auto runToEnd = [&](int round) {
        BroadcastListener listener(tag_ + "r" + std::to_string(round));
        runUpdater(fetchOptions("skin.dat", local, 1, listener), &listener);
        return listener.kinds();
    };

    // One whole run gives the time over which the kills are spread.
    installOld();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(runToEnd(0).back(), 'e');
    const auto whole = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(contents(target), newFiles);

    const unsigned seed = static_cast<unsigned>(std::random_device{}());
    SCOPED_TRACE("seed " + std::to_string(seed) + ", a whole run " + std::to_string(whole.count()) + " ms");
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, static_cast<int>(whole.count() * 11 / 10) + 1);
    std::map<std::string, int> seen;
    const int rounds = killRounds();
    for (int round = 1; round <= rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        installOld();
        BroadcastListener listener(tag_ + "k" + std::to_string(round));
        HANDLE process = startUpdater(fetchOptions("skin.dat", local, 1, listener));
        ASSERT_NE(process, nullptr);
        Sleep(static_cast<DWORD>(delay(random)));
        TerminateProcess(process, 9);
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);

        // Where the kill landed, for the record.
        ++seen[exists(local + ".tmp") ? "download" : exists(staging) ? "unpacking" : "before or after"];
        const std::string archive = readFile(local);
        EXPECT_TRUE(archive == oldArchive || archive == newArchive) << "the archive is " << archive.size() << " bytes";
        const Files skinNow = contents(target);
        if (!exists(target)) {
            // The one moment between the two renames that put the new folder in place: the old
            // folder is whole under its side name and the new one whole in the staging folder.
            EXPECT_EQ(contents(target + ".old"), oldFiles);
            EXPECT_EQ(contents(staging), newFiles);
        } else {
            EXPECT_TRUE(skinNow == oldFiles || skinNow == newFiles)
                << "the skin folder holds " << skinNow.size() << " files, neither the old nor the new skin";
        }

        ASSERT_EQ(runToEnd(round).back(), 'e');
        EXPECT_EQ(readFile(local), newArchive);
        EXPECT_EQ(contents(target), newFiles);
        EXPECT_FALSE(exists(staging));
        EXPECT_FALSE(exists(target + ".old"));
    }
    std::cout << "kills landed: ";
    for (const auto& [phase, count] : seen) std::cout << phase << " " << count << "  ";
    std::cout << "(a whole run " << whole.count() << " ms)\n";
}

}  // namespace
}  // namespace updater_test
