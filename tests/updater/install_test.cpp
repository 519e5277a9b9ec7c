// TnUpdate's installing modes: unpacking a packed archive (1), a cabinet's set-up information
// file through the extractor and the shell's install verb (2), and replacing files in use (3, 4).
#include "updater_fixture.h"

#include "cabinet.h"
#include "packed_archive.h"
#include "testenv.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

using lumora_test::HttpTestServer;
using lumora_test::packedArchive;

namespace updater_test {
namespace {

constexpr const char* kDate = "Sat, 01 Jan 2000 10:00:00 GMT";

// A path as the system may spell it back: one separator, one letter case.
std::string normalised(std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t at = 0;
    for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) result.push_back(text.substr(at, end - at));
    return result;
}

class Install : public UpdaterTest {
protected:
    void SetUp() override {
        UpdaterTest::SetUp();
        ASSERT_TRUE(server_.listening());
        useProxy(server_);
    }

    // Serves `content` and runs the updater on it with the mode; returns the listener's kinds.
    std::string fetch(const std::string& name, const std::string& content, const std::string& local,
                      int mode) {
        server_.serveText("/" + tag_ + "/" + name, content, kDate);
        BroadcastListener listener(tag_ + std::to_string(++runs_));
        runUpdater("-r\"http://update.example/" + tag_ + "/" + name + "\" -l\"" + local + "\" -x\"" +
                       std::to_string(mode) + "\" " + listener.options(4),
                   &listener);
        return listener.kinds();
    }

    HttpTestServer server_;
    int runs_ = 0;
};

TEST_F(Install, ArchiveReplacesTheFolderWithBothSeparators) {
    const std::string local = folder_ + "blue.dat";
    const std::string target = folder_ + "blue";
    // An old skin folder and a staging folder left by an interrupted run.
    ASSERT_TRUE(std::filesystem::create_directories(target + "/old"));
    writeFile(target + "/old/gone.htm", "old");
    ASSERT_TRUE(std::filesystem::create_directories(folder_ + "blue1/junk"));
    writeFile(folder_ + "blue1/junk/stale.htm", "stale");

    const std::string archive = packedArchive({{"skin.ini", "[Skin]\r\n"},
                                               {"pages/start.htm", "start"},
                                               {"pages\\end.htm", "end"},
                                               {"pages/deeper\\mixed.htm", "mixed"},
                                               {"empty.txt", ""}});
    const std::string kinds = fetch("blue.dat", archive, local, 1);
    EXPECT_EQ(kinds.back(), 'e');

    EXPECT_EQ(readFile(target + "/skin.ini"), "[Skin]\r\n");
    EXPECT_EQ(readFile(target + "/pages/start.htm"), "start");
    EXPECT_EQ(readFile(target + "/pages/end.htm"), "end");
    EXPECT_EQ(readFile(target + "/pages/deeper/mixed.htm"), "mixed");
    EXPECT_TRUE(exists(target + "/empty.txt"));
    EXPECT_EQ(readFile(target + "/empty.txt"), "");
    EXPECT_FALSE(exists(target + "/old"));
    EXPECT_FALSE(exists(folder_ + "blue1"));
    EXPECT_EQ(readFile(local), archive);  // the archive stays beside the folder
}

TEST_F(Install, ArchiveEntriesThatLeaveTheFolderStopTheUnpacking) {
    const std::string local = folder_ + "inner/red.dat";
    ASSERT_TRUE(std::filesystem::create_directories(folder_ + "inner/red"));
    writeFile(folder_ + "inner/red/keep.htm", "keep");
    const char* escapes[] = {"../escaped.txt", "pages\\..\\..\\escaped.txt", "\\escaped.txt",
                             "C:\\escaped.txt", "pages/.. /escaped.txt"};
    for (const char* name : escapes) {
        const std::string kinds = fetch("red.dat", packedArchive({{"first.htm", "1"}, {name, "evil"}}), local, 1);
        EXPECT_EQ(kinds.back(), 'f') << name;
        EXPECT_FALSE(exists(folder_ + "escaped.txt")) << name;
        EXPECT_FALSE(exists(folder_ + "inner/escaped.txt")) << name;
        // The old folder is left as it was.
        EXPECT_EQ(readFile(folder_ + "inner/red/keep.htm"), "keep") << name;
        // Nor does the staging folder with the entries before the bad one stay.
        EXPECT_FALSE(exists(folder_ + "inner/red1")) << name;
    }
}

TEST_F(Install, ArchiveNeedsAnExtensionInItsFileName) {
    // Cut at the folder's dot, the target would be the sibling folder "skins", deleted whole.
    ASSERT_TRUE(std::filesystem::create_directories(folder_ + "skins.d"));
    ASSERT_TRUE(std::filesystem::create_directories(folder_ + "skins"));
    writeFile(folder_ + "skins/keep.htm", "keep");
    const std::string kinds = fetch("blue", packedArchive({{"skin.ini", "[Skin]\r\n"}}), folder_ + "skins.d/blue", 1);
    EXPECT_EQ(kinds.back(), 'f');
    EXPECT_EQ(readFile(folder_ + "skins/keep.htm"), "keep");
    EXPECT_FALSE(exists(folder_ + "skins1"));
}

TEST_F(Install, ArchiveNamedOnlyByAnExtensionIsRefused) {
    // The local name comes from a key of the server's list. Without a stem the target would be the
    // folder holding the archive (the whole program folder), deleted before the rename.
    ASSERT_TRUE(std::filesystem::create_directories(folder_ + "prog"));
    writeFile(folder_ + "prog/keep.htm", "keep");
    for (const char* name : {".dat", "..dat", " .dat", ". .dat"}) {
        const std::string kinds = fetch("skin.dat", packedArchive({{"skin.ini", "[Skin]\r\n"}}),
                                        folder_ + "prog/" + name, 1);
        EXPECT_EQ(kinds.back(), 'f') << name;
        EXPECT_EQ(readFile(folder_ + "prog/keep.htm"), "keep") << name;
    }
}

TEST_F(Install, ArchivePartsWindowsCannotNameAreRefusedAndWaitsAreBounded) {
    // "x..//y.htm" would make a folder "x.." that Windows can neither open nor delete by that name,
    // so the next update of the skin would wait for ever to delete its old folder.
    const std::string local = folder_ + "teal.dat";
    for (const char* name : {"x..//y.htm", "x../y.htm", "x /y.htm", "pages//y.htm", "y.htm."}) {
        EXPECT_EQ(fetch("teal.dat", packedArchive({{"a.htm", "a"}, {name, "evil"}}), local, 1).back(), 'f')
            << name;
        EXPECT_FALSE(exists(folder_ + "teal")) << name;
        EXPECT_FALSE(exists(folder_ + "teal1")) << name;
    }
    // An old folder whose file stays in use is given up after the wait limit, with the fail
    // message, the old folder and the new files left for the next update.
    // The files not in use stay too: a skin with pages missing is no skin.
    ASSERT_EQ(fetch("teal.dat", packedArchive({{"a.htm", "old"}, {"pages/b.htm", "old b"}}), local, 1).back(), 'e');
    HeldFile holder(folder_ + "teal/a.htm", folder_ + "release");
    ASSERT_TRUE(holder.held());
    setUpdaterWaitLimit(2);
    // Without the archive the updater asks for the file whole, not whether it changed.
    ASSERT_TRUE(std::filesystem::remove(local));
    EXPECT_EQ(fetch("teal.dat", packedArchive({{"a.htm", "new"}}), local, 1).back(), 'f');
    EXPECT_TRUE(holder.release());
    EXPECT_EQ(readFile(folder_ + "teal/a.htm"), "old");
    EXPECT_EQ(readFile(folder_ + "teal/pages/b.htm"), "old b");
    EXPECT_FALSE(exists(folder_ + "teal1"));
    EXPECT_FALSE(exists(folder_ + "teal.old"));
}

TEST_F(Install, FileInUseIsNotReplacedAndFails) {
    // The old file held open: the new one cannot take its place, which is a failure (no end
    // message, no "Success"), and neither the old file nor a temporary file is lost or left.
    const std::string local = folder_ + "held.txt";
    writeFile(local, "old");
    HeldFile holder(local, folder_ + "release");
    ASSERT_TRUE(holder.held());
    EXPECT_EQ(fetch("held.txt", "new", local, 0).back(), 'f');
    EXPECT_TRUE(holder.release());
    // Its program has ended: the file is free at once, though what the program left the system to
    // tidy up (its watches of folders) may take longer.
    HANDLE reopened = CreateFileA(local.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(reopened, INVALID_HANDLE_VALUE) << GetLastError();
    if (reopened != INVALID_HANDLE_VALUE) CloseHandle(reopened);
    EXPECT_EQ(readFile(local), "old");
    EXPECT_FALSE(exists(local + ".tmp"));
    const std::string remote = "http://update.example/" + tag_ + "/held.txt";
    EXPECT_NE(registryText(recordKey(remote, slashes(local) + ".tmp"), "Success"), "1");
}

TEST_F(Install, ArchiveWithoutEntriesReplacesTheFolderWithAnEmptyOne) {
    const std::string local = folder_ + "plain.dat";
    ASSERT_TRUE(std::filesystem::create_directories(folder_ + "plain/pages"));
    writeFile(folder_ + "plain/pages/old.htm", "old");
    EXPECT_EQ(fetch("plain.dat", packedArchive({}), local, 1).back(), 'e');
    EXPECT_TRUE(std::filesystem::is_directory(folder_ + "plain"));
    EXPECT_TRUE(std::filesystem::is_empty(folder_ + "plain"));
    EXPECT_FALSE(exists(folder_ + "plain1"));
    EXPECT_FALSE(exists(folder_ + "plain.old"));
}

// Big archives are written by several threads; what lands must be what file order gives: a
// name written twice (in another letter case, through a folder spelled otherwise) ends as its
// later entry under its first spelling, and a file that has a folder's name decides as in file
// order whether that folder's entries can be written.
TEST_F(Install, BigArchivesEndAsWrittenInFileOrder) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 300; ++i) entries.push_back({"Pages\\file" + std::to_string(i) + ".htm", "first " + std::to_string(i)});
    for (int i = 0; i < 300; i += 3) entries.push_back({"pages\\FILE" + std::to_string(i) + ".HTM", "second " + std::to_string(i)});
    const char* others[] = {"images", "Pages\\deeper", "styles"};
    for (int i = 0; i < 300; ++i)
        entries.push_back({std::string(others[i % 3]) + "\\other" + std::to_string(i) + ".gif", std::to_string(i)});
    const std::string local = folder_ + "big.dat";
    ASSERT_EQ(fetch("big.dat", packedArchive(entries), local, 1).back(), 'e');
    const std::string target = folder_ + "big/";
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(target))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target), {}), 3);  // one "Pages"
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(readFile(target + "Pages/file" + std::to_string(i) + ".htm"),
                  (i % 3 == 0 ? "second " : "first ") + std::to_string(i));
        const std::string other = target + (i % 3 == 1 ? "Pages/deeper" : others[i % 3]) + "/other" + std::to_string(i) + ".gif";
        EXPECT_EQ(readFile(other), std::to_string(i)) << other;
    }

    // "docs" comes as a file first: the entries below a folder of that name are skipped.
    entries.insert(entries.begin(), {"docs", "a file"});
    entries.push_back({"docs\\inside.htm", "never"});
    ASSERT_EQ(fetch("docs.dat", packedArchive(entries), folder_ + "docs.dat", 1).back(), 'e');
    EXPECT_EQ(readFile(folder_ + "docs/docs"), "a file");
    EXPECT_EQ(readFile(folder_ + "docs/Pages/file0.htm"), "second 0");
    EXPECT_EQ(readFile(folder_ + "docs/styles/other299.gif"), "299");
}

TEST_F(Install, DamagedArchiveFails) {
    const std::string local = folder_ + "green.dat";
    std::string archive = packedArchive({{"a.htm", "aaaa"}, {"b.htm", "bbbb"}});
    const std::string sizeRunsPast = archive.substr(0, archive.size() - 2);
    std::string nameRunsPast = packedArchive({{"a.htm", "aaaa"}});
    nameRunsPast += std::string("\xff\x00\x00\x00" "b.h", 7);
    for (const std::string& damaged : {sizeRunsPast, nameRunsPast}) {
        EXPECT_EQ(fetch("green.dat", damaged, local, 1).back(), 'f');
        EXPECT_FALSE(exists(folder_ + "green"));
        EXPECT_FALSE(exists(folder_ + "green1"));
    }
}

TEST_F(Install, ReplaceWaitsForTheDestinationToBeFree) {
    const std::string source = folder_ + "_lumora.exe";
    const std::string destination = folder_ + "lumora.exe";
    writeFile(source, "new program");
    writeFile(destination, "old program");
    HeldFile holder(destination, folder_ + "release");
    ASSERT_TRUE(holder.held());

    BroadcastListener listener(tag_);
    HANDLE updater = startUpdater("-r\"" + source + "\" -l\"" + destination + "\" -x\"3\" " + listener.options(2));
    ASSERT_NE(updater, nullptr);
    // While the holder runs the updater keeps trying and nothing has moved.
    EXPECT_EQ(WaitForSingleObject(updater, 2500), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(exists(source));

    EXPECT_TRUE(holder.release());
    EXPECT_EQ(WaitForSingleObject(updater, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(updater);
    EXPECT_EQ(readFile(destination), "new program");
    EXPECT_FALSE(exists(source));
    // Modes 3 and 4 report nothing.
    listener.pump(300);
    EXPECT_EQ(listener.kinds(), "");
}

TEST_F(Install, ReplaceWithAMissingPathDoesNothing) {
    writeFile(folder_ + "dest.txt", "unchanged");
    writeFile(folder_ + "src.txt", "source");
    BroadcastListener listener(tag_);
    runUpdater("-r\"" + folder_ + "src.txt\" -l\"\" -x\"3\" " + listener.options(1), &listener, false);
    runUpdater("-r\"\" -l\"" + folder_ + "dest.txt\" -x\"3\" " + listener.options(1), &listener, false);
    runUpdater("-r\"" + folder_ + "absent.txt\" -l\"" + folder_ + "dest.txt\" -x\"3\" " + listener.options(1),
               &listener, false);
    EXPECT_EQ(readFile(folder_ + "dest.txt"), "unchanged");
    EXPECT_EQ(readFile(folder_ + "src.txt"), "source");
    listener.pump(300);
    EXPECT_EQ(listener.kinds(), "");
}

TEST_F(Install, ReplaceOntoAFolderGivesUpInsteadOfWaitingForEver) {
    writeFile(folder_ + "src.txt", "source");
    ASSERT_TRUE(std::filesystem::create_directories(folder_ + "dest.txt"));
    EXPECT_EQ(runUpdater("-r\"" + folder_ + "src.txt\" -l\"" + folder_ + "dest.txt\" -x\"3\""), 0u);
    EXPECT_EQ(readFile(folder_ + "src.txt"), "source");
    EXPECT_TRUE(std::filesystem::is_directory(folder_ + "dest.txt"));
}

TEST_F(Install, ReplaceInUseThenStartTheNewProgram) {
    // A blank in the folder: started unquoted, the system would look for the program ".../my".
    ASSERT_TRUE(std::filesystem::create_directories(folder_ + "my prog"));
    const std::string source = folder_ + "my prog/_probe.exe";
    const std::string destination = folder_ + "my prog/probe.exe";
    std::filesystem::copy_file(lumora_test::builtProgram("cmdprobe"), source);
    writeFile(destination, "old");
    const std::string record = folder_ + "record";
    ASSERT_TRUE(SetEnvironmentVariableA("LUMORA_PROBE_RECORD", record.c_str()));
    HeldFile holder(destination, folder_ + "release");
    ASSERT_TRUE(holder.held());

    HANDLE updater = startUpdater("-r\"" + source + "\" -l\"" + destination + "\" -x\"4\"");
    ASSERT_NE(updater, nullptr);
    EXPECT_EQ(WaitForSingleObject(updater, 2500), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(exists(record + ".probe"));

    EXPECT_TRUE(holder.release());
    EXPECT_EQ(WaitForSingleObject(updater, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(updater);
    // The new program runs with the quoted destination as its whole command line.
    ASSERT_TRUE(waitForFile(record + ".probe", 20000));
    EXPECT_EQ(lines(readFile(record + ".probe")).at(0), "\"" + destination + "\"");
    EXPECT_FALSE(exists(source));
}

class Cabinet : public Install {
protected:
    void SetUp() override {
        Install::SetUp();
        cabFolder_ = folder_ + "with blanks";
        ASSERT_TRUE(std::filesystem::create_directories(cabFolder_));
        record_ = folder_ + "record";
        ASSERT_TRUE(SetEnvironmentVariableA("LUMORA_PROBE_RECORD", record_.c_str()));
        // The shell's install verb on set-up information files runs the probe.
        setClass(".inf", "inffile", savedExtension_);
        setClass("inffile\\shell\\install\\command",
                 "\"" + lumora_test::builtProgram("cmdprobe") + "\" \"%1\"", savedCommand_);
    }
    void TearDown() override {
        restoreClass(".inf", savedExtension_);
        restoreClass("inffile\\shell\\install\\command", savedCommand_);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNtKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "PathName");
            RegCloseKey(key);
        }
        Install::TearDown();
    }

    static void setClass(const std::string& key, const std::string& value, std::string& saved) {
        saved = registryText(key, nullptr, nullptr, HKEY_CLASSES_ROOT);
        HKEY opened = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &opened, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(opened);
    }
    static void restoreClass(const std::string& key, const std::string& saved) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
        if (saved.empty()) RegDeleteValueA(opened, nullptr);
        else RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.c_str()),
                            static_cast<DWORD>(saved.size() + 1));
        RegCloseKey(opened);
    }

    // The install verb's record: the probe ran in the cabinet's folder on x.inf there (named in
    // full, or relative to that folder as Wine passes it).
    void expectInstalled() {
        ASSERT_TRUE(waitForFile(record_ + ".cmdprobe", 20000));
        const std::vector<std::string> verb = lines(readFile(record_ + ".cmdprobe"));
        ASSERT_EQ(verb.size(), 2u);
        EXPECT_EQ(normalised(verb[1]), normalised(cabFolder_));
        const size_t open = verb[0].find('"', verb[0].find('"', 1) + 1);
        ASSERT_NE(open, std::string::npos) << verb[0];
        std::string file = verb[0].substr(open + 1, verb[0].find('"', open + 1) - open - 1);
        if (file.find_first_of("\\/") == std::string::npos) file = verb[1] + "\\" + file;
        EXPECT_EQ(normalised(file), normalised(cabFolder_ + "/x.inf")) << verb[0];
    }

    static constexpr const char* kNtKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
    std::string cabFolder_, record_, savedExtension_, savedCommand_;
};

TEST_F(Cabinet, ExtractorGetsTheFolderAndCabinetQuoted) {
    // The extractor is looked for in the folder of "PathName": put the probe there as Extrac32.exe.
    const std::string system = folder_ + "system";
    ASSERT_TRUE(std::filesystem::create_directories(system));
    std::filesystem::copy_file(lumora_test::builtProgram("cmdprobe"), system + "/Extrac32.exe");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kNtKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "PathName", 0, REG_SZ, reinterpret_cast<const BYTE*>(system.c_str()),
                   static_cast<DWORD>(system.size() + 1));
    RegCloseKey(key);
    writeFile(cabFolder_ + "/x.inf", "[Version]\r\n");  // as if the probe had extracted it

    const std::string kinds = fetch("x.cab", makeCabinet({{"x.inf", "[Version]\r\n"}}), cabFolder_ + "/x.cab", 2);
    EXPECT_EQ(kinds.back(), 'e');
    ASSERT_TRUE(exists(record_ + ".extrac32"));
    const std::string folder = slashes(cabFolder_);
    EXPECT_EQ(lines(readFile(record_ + ".extrac32")).at(0),
              " /Y /L \"" + folder + "\" \"" + folder + "/x.cab\" x.inf");
    expectInstalled();
}

TEST_F(Cabinet, SetUpInformationFileIsExtractedAndInstalled) {
    const std::string inf = "[Version]\r\nSignature=\"$CHICAGO$\"\r\n";
    const std::string kinds =
        fetch("x.cab", makeCabinet({{"readme.txt", "not wanted"}, {"x.inf", inf}}), cabFolder_ + "/x.cab", 2);
    EXPECT_EQ(kinds.back(), 'e');
    EXPECT_EQ(readFile(cabFolder_ + "/x.inf"), inf);
    // Wine's extrac32 unpacks every file of the cabinet, whatever files its command line names.
    if (lumora_test::onLinux()) {
        EXPECT_FALSE(exists(cabFolder_ + "/readme.txt"));
    }
    expectInstalled();
}

}  // namespace
}  // namespace updater_test
