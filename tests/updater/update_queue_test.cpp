// The browser center's update queue end to end: the connection monitor of the browser center
// queues the update list and the files it names, starts the built TnUpdate from the program folder
// for one file at a time, and takes its broadcasts; the files come from the test HTTP server as
// the proxy of the Internet settings.
#include "updater_fixture.h"

#include "connection_monitor.h"
#include "update_renames.h"
#include "packed_archive.h"
#include "testenv.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <functional>

using lumora_test::HttpAnswer;
using lumora_test::HttpTestServer;
using lumora_test::packedArchive;

namespace updater_test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDate = "Sat, 01 Jan 2000 10:00:00 GMT";

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string builtUpdater() { return lumora_test::builtProgram(lumora_test::onLinux() ? "tnupdate" : "TnUpdate"); }

// The application object as the monitor sees it, on a LAN (the queue runs at every tick).
class QueueHost : public ConnectionHost {
public:
    std::string folder, program;
    std::vector<std::string> pages, skins;

    bool dialupInUse() override { return false; }
    bool isSignupMode() override { return false; }
    std::string entryName() override { return ""; }
    std::string userName() override { return ""; }
    std::string password() override { return ""; }
    void setLastConnectionError(const std::string&) override {}
    void showPopup(const std::string& page) override { pages.push_back(page); }
    void closePopup() override {}
    void setPopupStatus(const std::string&) override {}
    void onConnected() override {}
    void onDisconnected() override {}
    std::string installDir() override { return folder; }
    std::string programName() override { return program; }
    unsigned updatePeriodMs() override { return 50; }
    void skinUpdated(const std::string& skinName) override { skins.push_back(skinName); }
};

class UpdateQueue : public UpdaterTest {
protected:
    void SetUp() override {
        UpdaterTest::SetUp();
        ASSERT_TRUE(server_.listening());
        useProxy(server_);
        // The program folder holds the updater, as installed, and is the current folder.
        host_.folder = folder_;
        host_.program = lower("q" + tag_);
        const std::string updater = lumora_test::onLinux() ? "tnupdate" : "TnUpdate.exe";
        fs::copy_file(builtUpdater(), folder_ + updater);
        before_ = fs::current_path();
        fs::current_path(folder_);
        ASSERT_TRUE(monitor_.create(host_));
    }

    void TearDown() override {
        monitor_.destroy();
        fs::current_path(before_);
        UpdaterTest::TearDown();
    }

    // The path the server serves a file of the list under.
    std::string served(const std::string& file) const { return "/update/" + host_.program + "/" + file; }

    void serveList(const std::string& entries) {
        server_.serveText(served("update.ini"), "[Update]\r\n" + entries, kDate);
    }

    std::string versionsKey() const { return "Software\\" + host_.program + "\\Updates"; }

    void forgetVersion(const char* file) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, versionsKey().c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteValueA(key, file), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    void recordVersion(const char* file, const char* version) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, versionsKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, file, 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(std::strlen(version) + 1));
        RegCloseKey(key);
    }

    std::string recorded(const char* file, bool* found = nullptr) const {
        return registryText(versionsKey(), file, found);
    }

    // An update check: the list is queued, as after a connection, and the queue runs until it is
    // empty again.
    bool check() {
        monitor_.requestFileUpdate("update.ini");
        monitor_.requestFileUpdate("update.ini");
        EXPECT_EQ(monitor_.updateQueue().size(), 1u);
        return pumpUntil([&] { return monitor_.updateQueue().empty(); });
    }

    bool pumpUntil(const std::function<bool()>& done, DWORD limit = 60000) {
        const DWORD until = GetTickCount() + limit;
        while (!done()) {
            if (static_cast<int32_t>(until - GetTickCount()) <= 0) return false;
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(10);
        }
        return true;
    }

    // The request lines the server received for a file of the list.
    std::vector<std::string> requestsFor(const std::string& file) const {
        std::vector<std::string> found;
        for (const std::string& request : server_.requests())
            if (request.find(served(file) + " HTTP/1.0") != std::string::npos) found.push_back(request);
        return found;
    }

    std::string trace() const { return readFile(folder_ + "trace.txt"); }

    HttpTestServer server_;
    QueueHost host_;
    CConnectionMonitor monitor_;
    fs::path before_;
};

TEST_F(UpdateQueue, CheckFetchesEachNewerFileOnceAndTheNextCheckOnlyWhatChanged) {
    const std::string skin = packedArchive({{"skin.ini", "[Portal]\r\nURL=portal.htm\r\n"}, {"portal.htm", "neu"}});
    // Versions compare as text: "1.10" is older than "1.9".
    serveList("blue.dat=2\r\nNotes.TXT=1.9\r\nreadme.txt=1.10\r\nsame.txt=5\r\nlower.txt=3\r\ntnupdate.exe=7\r\n");
    recordVersion("Notes.TXT", "1.10");
    recordVersion("readme.txt", "1.9");
    recordVersion("same.txt", "5");
    recordVersion("lower.txt", "4");
    server_.serveText(served("blue.dat"), skin, kDate);
    server_.serveText(served("notes.txt"), "notes", kDate);
    // The new updater is a working one: on Windows it runs the next check.
    HttpAnswer updater;
    updater.bodyFile = builtUpdater();
    updater.lastModified = kDate;
    server_.setAnswer(served("tnupdate.exe"), updater);
    for (const char* file : {"readme.txt", "same.txt", "lower.txt"}) server_.serveText(served(file), "x", kDate);

    ASSERT_TRUE(check());

    // The list and each newer file exactly once; the request paths are lower case.
    EXPECT_EQ(requestsFor("update.ini").size(), 1u);
    EXPECT_EQ(requestsFor("blue.dat").size(), 1u);
    EXPECT_EQ(requestsFor("notes.txt").size(), 1u);
    EXPECT_EQ(requestsFor("tnupdate.exe").size(), 1u);
    for (const char* file : {"readme.txt", "same.txt", "lower.txt"}) EXPECT_TRUE(requestsFor(file).empty()) << file;

    // The skin archive went with -x"1": unpacked into its folder, recorded under its ".dat" name
    // and handed to the application under the skin's name.
    EXPECT_EQ(readFile(folder_ + "blue/portal.htm"), "neu");
    EXPECT_EQ(recorded("blue.dat"), "2");
    EXPECT_EQ(host_.skins, std::vector<std::string>{"blue"});
    // An ordinary file arrives under "_"; the updater's own file replaces the updater once it ran.
    EXPECT_EQ(readFile(folder_ + "_notes.txt"), "notes");
    EXPECT_EQ(recorded("Notes.TXT"), "1.9");
    EXPECT_TRUE(readFile(folder_ + "tnupdate.exe") == readFile(builtUpdater()));
    EXPECT_FALSE(exists(folder_ + "_tnupdate.exe"));
    EXPECT_EQ(recorded("tnupdate.exe"), "7");
    EXPECT_EQ(recorded("readme.txt"), "1.9");
    EXPECT_EQ(recorded("lower.txt"), "4");
    // The skin-loading page at the first progress of a file, the skin-loaded page once at the end.
    ASSERT_TRUE(pumpUntil([&] { return host_.pages.size() >= 2; }, 5000));
    EXPECT_EQ(host_.pages, (std::vector<std::string>{"SKLoadin.htm", "SKLoaded.htm"}));

    // The command line reaching the updater is lower case, message names included.
    const std::string lines = trace();
    EXPECT_NE(lines.find("-l\"" + lower(folder_) + "_notes.txt\" -s\"wm_tn_update_start\" "
                         "-f\"wm_tn_update_fail\" -e\"wm_tn_update_end\""),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find(served("blue.dat") + "\" -l\""), std::string::npos);
    EXPECT_NE(lines.find("\" -x\"1\"\""), std::string::npos);

    // The next check: the list answers 304, so the local copy is read again; only the file whose
    // recorded version went missing is fetched again.
    server_.clearRequests();
    host_.pages.clear();
    forgetVersion("Notes.TXT");
    server_.serveText(served("notes.txt"), "notes 2", "Sun, 02 Jan 2000 10:00:00 GMT");
    ASSERT_TRUE(check());
    ASSERT_EQ(requestsFor("update.ini").size(), 1u);
    EXPECT_NE(requestsFor("update.ini")[0].find("If-Modified-Since: "), std::string::npos);
    EXPECT_EQ(requestsFor("notes.txt").size(), 1u);
    EXPECT_EQ(server_.requests().size(), 2u);
    EXPECT_EQ(recorded("Notes.TXT"), "1.9");
    EXPECT_EQ(readFile(folder_ + "_notes.txt"), "notes 2");
}

TEST_F(UpdateQueue, FailedFileKeepsItsVersionAndUnknownReportsAreOnlyTraced) {
    serveList("a.txt=2\r\nb.txt=3\r\n");
    recordVersion("a.txt", "1");
    HttpAnswer broken;
    broken.status = 500;
    broken.reason = "Internal Server Error";
    server_.setAnswer(served("a.txt"), broken);
    server_.serveText(served("b.txt"), "b", kDate);
    ASSERT_TRUE(check());
    EXPECT_EQ(recorded("a.txt"), "1");
    EXPECT_FALSE(exists(folder_ + "_a.txt"));
    // A failure does not hold up the files after it.
    EXPECT_EQ(recorded("b.txt"), "3");

    // Reports nobody asked for change nothing.
    const UINT end = RegisterWindowMessageA("WM_TN_UPDATE_END");
    const UINT fail = RegisterWindowMessageA("WM_TN_UPDATE_FAIL");
    monitor_.requestFileUpdate("c.txt");
    SendMessageA(monitor_.hwnd(), end, 40000, 0);
    SendMessageA(monitor_.hwnd(), fail, 40001, 0);
    EXPECT_EQ(monitor_.updateQueue().size(), 1u);
    bool recordedC = true;
    recorded("c.txt", &recordedC);
    EXPECT_FALSE(recordedC);
    const std::string lines = trace();
    EXPECT_NE(lines.find("Update successfull, but invalid ID encountered"), std::string::npos);
    EXPECT_NE(lines.find("Update failed, but invalid ID encountered"), std::string::npos);
    server_.serveText(served("c.txt"), "c", kDate);
    ASSERT_TRUE(pumpUntil([&] { return monitor_.updateQueue().empty(); }));

    // The next check asks for the failed file again.
    server_.serveText(served("a.txt"), "a", kDate);
    server_.clearRequests();
    ASSERT_TRUE(check());
    EXPECT_EQ(requestsFor("a.txt").size(), 1u);
    EXPECT_TRUE(requestsFor("b.txt").empty());
    EXPECT_EQ(recorded("a.txt"), "2");
    EXPECT_EQ(readFile(folder_ + "_a.txt"), "a");
}

TEST_F(UpdateQueue, UpdaterFileThatStaysInUseIsLeftUnderItsNewName) {
    // On Windows the held file would be the updater that has to run first.
    if (!lumora_test::onLinux()) GTEST_SKIP() << "the updater's file cannot be held while it runs";
    serveList("tnupdate.exe=2\r\n");
    server_.serveText(served("tnupdate.exe"), "new updater", kDate);
    writeFile(folder_ + "tnupdate.exe", "old updater");
    HeldFile holder(folder_ + "tnupdate.exe", folder_ + "release");
    ASSERT_TRUE(holder.held());
    monitor_.setReplaceWaitLimit(1000);
    ASSERT_TRUE(check());
    EXPECT_TRUE(holder.release());
    EXPECT_EQ(readFile(folder_ + "tnupdate.exe"), "old updater");
    EXPECT_EQ(readFile(folder_ + "_tnupdate.exe"), "new updater");
    EXPECT_NE(trace().find("still in use: the new updater stays as"), std::string::npos);
}

TEST_F(UpdateQueue, RenamedFilesReplaceTheirDestinationsInsideTheProgramFolderOnly) {
    // The lines come from a signup file: a name reaching outside the program folder is no rename.
    writeFile(folder_ + "_lumora.exe", "new program");
    writeFile(folder_ + "lumora.exe", "old program");
    writeFile(folder_ + "_Ardial32.dll", "new library");
    writeFile(folder_ + "_x.txt", "x");
    const fs::path outside = fs::path(folder_).parent_path().parent_path() / (tag_ + ".txt");
    writeFile(folder_ + "signup.tni", "[RenameFiles]\r\n_lumora.exe=lumora.exe\r\n_Ardial32.dll=Ardial32.dll\r\n"
                                      "_x.txt=..\\" + tag_ + ".txt\r\n..\\" + tag_ + ".txt=y.txt\r\n");
    EXPECT_EQ(renameFilesViaUpdater(folder_, folder_ + "signup.tni", "RenameFiles"), 2);
    EXPECT_TRUE(pumpUntil([&] { return readFile(folder_ + "lumora.exe") == "new program" &&
                                       readFile(folder_ + "Ardial32.dll") == "new library"; }, 20000));
    EXPECT_FALSE(exists(folder_ + "_lumora.exe"));
    EXPECT_EQ(readFile(folder_ + "_x.txt"), "x");
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_FALSE(exists(folder_ + "y.txt"));
}

}  // namespace
}  // namespace updater_test
