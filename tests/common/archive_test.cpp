// The packed file archive: walking the entries without reading past the buffer, and the browser
// center's reader with its message boxes.
#include "archive.h"

#include "packed_archive.h"
#include "testenv.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using lumora_test::packedArchive;

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exists(const std::string& path) { return std::filesystem::exists(path); }

// Message boxes the code under test shows, answered with OK and kept as "caption|text". Without
// a display (Linux) the box is told on standard error; under Wine a real box comes up and a
// watcher thread reads and closes it.
class MessageBoxes {
public:
    MessageBoxes() {
#ifdef _WIN32
        watcher_ = std::thread([this] {
            while (!stop_) {
                EnumWindows(&MessageBoxes::visit, reinterpret_cast<LPARAM>(this));
                Sleep(30);
            }
        });
#else
        const char* display = std::getenv("DISPLAY");
        if (display) display_ = display;
        unsetenv("DISPLAY");
        ::testing::internal::CaptureStderr();
#endif
    }
    ~MessageBoxes() { finish(); }

    std::vector<std::string> shown() {
        finish();
        return shown_;
    }

private:
    void finish() {
        if (finished_) return;
        finished_ = true;
#ifdef _WIN32
        stop_ = true;
        watcher_.join();
#else
        std::istringstream lines(::testing::internal::GetCapturedStderr());
        for (std::string line; std::getline(lines, line);) {
            const size_t colon = line.find(": "), buttons = line.rfind(" [");
            if (colon != std::string::npos && buttons != std::string::npos && buttons > colon)
                shown_.push_back(line.substr(0, colon) + "|" + line.substr(colon + 2, buttons - colon - 2));
        }
        if (!display_.empty()) setenv("DISPLAY", display_.c_str(), 1);
#endif
    }

#ifdef _WIN32
    static BOOL CALLBACK visit(HWND window, LPARAM self) {
        auto* boxes = reinterpret_cast<MessageBoxes*>(self);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char className[32] = "";
        GetClassNameA(window, className, sizeof className);
        if (process != GetCurrentProcessId() || std::string(className) != "#32770" || !IsWindowVisible(window) ||
            boxes->closed_.count(window))
            return TRUE;
        char caption[512] = "", text[512] = "";
        GetWindowTextA(window, caption, sizeof caption);
        GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
        boxes->shown_.push_back(std::string(caption) + "|" + text);
        boxes->closed_.insert(window);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    std::thread watcher_;
    std::atomic<bool> stop_{false};
    std::set<HWND> closed_;
#else
    std::string display_;
#endif
    bool finished_ = false;
    std::vector<std::string> shown_;
};

class PackedArchive : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = lumora_test::scratchDir();
        target_ = folder_ + "config";
        // The reader takes a folder prefix ending in a backslash, as the browser center writes it.
        prefix_ = target_ + "\\";
    }

    std::string archiveWith(const std::string& content) {
        const std::string path = folder_ + "config.dat";
        writeFile(path, content);
        return path;
    }

    std::string folder_, target_, prefix_;
};

TEST(ArchiveEntries, EveryTruncationIsDamagedOrAnEntryBoundary) {
    const std::string whole = packedArchive({{"pages/start.htm", "<html>"}, {"empty", ""}, {"b", "bb"}});
    std::set<size_t> boundaries = {kArchiveHeaderSize};
    {
        std::vector<BYTE> bytes(whole.begin(), whole.end());
        DWORD position = kArchiveHeaderSize;
        ArchiveEntry entry;
        while (readArchiveEntry(bytes.data(), static_cast<DWORD>(bytes.size()), position, entry) == ArchiveRead::Entry)
            boundaries.insert(position);
        EXPECT_EQ(position, whole.size());
    }
    for (size_t cut = kArchiveHeaderSize; cut <= whole.size(); ++cut) {
        // A buffer of exactly the cut size, so a read past it would be a read past the allocation.
        std::unique_ptr<BYTE[]> bytes(new BYTE[cut]);
        std::copy(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut), bytes.get());
        DWORD position = kArchiveHeaderSize;
        ArchiveEntry entry;
        ArchiveRead read;
        while ((read = readArchiveEntry(bytes.get(), static_cast<DWORD>(cut), position, entry)) == ArchiveRead::Entry)
            EXPECT_LE(position, cut);
        EXPECT_EQ(read == ArchiveRead::End, boundaries.count(cut) == 1) << "cut at " << cut;
    }
}

TEST(ArchiveEntries, HugeLengthsAreDamagedNotWrapped) {
    std::string bytes = packedArchive({});
    bytes += std::string("\xff\xff\xff\xff", 4);
    bytes += "x";
    std::vector<BYTE> buffer(bytes.begin(), bytes.end());
    DWORD position = kArchiveHeaderSize;
    ArchiveEntry entry;
    EXPECT_EQ(readArchiveEntry(buffer.data(), static_cast<DWORD>(buffer.size()), position, entry), ArchiveRead::Damaged);

    bytes = packedArchive({{"a", ""}});
    bytes.replace(kArchiveHeaderSize + 6, 4, "\xfe\xff\xff\xff");  // the size of entry "a"
    buffer.assign(bytes.begin(), bytes.end());
    position = kArchiveHeaderSize;
    EXPECT_EQ(readArchiveEntry(buffer.data(), static_cast<DWORD>(buffer.size()), position, entry), ArchiveRead::Damaged);
}

TEST(ArchiveEntries, NamesThatStayInTheFolder) {
    for (const char* good : {"start.htm", "pages\\start.htm", "a\\b\\c.txt", ".hidden", "x..y"})
        EXPECT_TRUE(isContainedArchiveName(good)) << good;
    // Empty parts and parts ending in "." or " ", which Windows trims to another name ("x.." is
    // "x", a folder that cannot be deleted by its own name), are refused too.
    for (const char* bad : {"", "..", "..\\x", "a\\..\\..\\x", "\\x", "\\\\server\\share\\x", "C:\\x", "C:x",
                            "a\\x:stream", "pages\\", "a\\. .\\x", "a\\...\\x", ".", "pages\\\\a.htm",
                            "x..\\\\y.htm", "x..\\y.htm", "x \\y.htm", "a.htm."})
        EXPECT_FALSE(isContainedArchiveName(bad)) << bad;
}

TEST_F(PackedArchive, HeaderOnlyArchiveWritesNothing) {
    CPackedArchive archive(archiveWith(packedArchive({})).c_str());
    ASSERT_TRUE(archive.openArchive());
    EXPECT_TRUE(archive.extractAll(prefix_.c_str()));
    EXPECT_FALSE(exists(target_));
}

TEST_F(PackedArchive, EntriesGoIntoCreatedFoldersOverReadOnlyFiles) {
    ASSERT_TRUE(std::filesystem::create_directories(target_ + "/pages"));
    writeFile(target_ + "/pages/start.htm", "old");
    ASSERT_TRUE(SetFileAttributesA((target_ + "/pages/start.htm").c_str(), FILE_ATTRIBUTE_READONLY));
    CPackedArchive archive(archiveWith(packedArchive({{"pages/start.htm", "<html>new</html>"},
                                               {"pages\\img\\logo.gif", "GIF89a"},
                                               {"empty.txt", ""}}))
                               .c_str());
    MessageBoxes boxes;
    ASSERT_TRUE(archive.openArchive());
    EXPECT_TRUE(archive.extractAll(prefix_.c_str()));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(readFile(target_ + "/pages/start.htm"), "<html>new</html>");
    EXPECT_EQ(readFile(target_ + "/pages/img/logo.gif"), "GIF89a");
    ASSERT_TRUE(exists(target_ + "/empty.txt"));
    EXPECT_EQ(std::filesystem::file_size(target_ + "/empty.txt"), 0u);
}

TEST_F(PackedArchive, ExtractingBeforeOpeningIsAnInternalError) {
    CPackedArchive archive(archiveWith(packedArchive({{"a.htm", "a"}})).c_str());
    MessageBoxes boxes;
    EXPECT_FALSE(archive.extractAll(prefix_.c_str()));
    EXPECT_EQ(boxes.shown(), std::vector<std::string>{"Error|Internal error: use openArchive() first!"});
    EXPECT_FALSE(exists(target_));
}

TEST_F(PackedArchive, MissingArchiveFailsSilently) {
    CPackedArchive archive((folder_ + "absent.dat").c_str());
    MessageBoxes boxes;
    EXPECT_FALSE(archive.openArchive());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(PackedArchive, NamesLeavingTheFolderStopTheExtraction) {
    for (const char* name : {"..\\outside.txt", "pages/../../outside.txt", "/outside.txt", "C:\\outside.txt"}) {
        CPackedArchive archive(archiveWith(packedArchive({{"first.htm", "1"}, {name, "evil"}, {"last.htm", "3"}})).c_str());
        MessageBoxes boxes;
        ASSERT_TRUE(archive.openArchive());
        EXPECT_FALSE(archive.extractAll(prefix_.c_str())) << name;
        const std::vector<std::string> shown = boxes.shown();
        ASSERT_EQ(shown.size(), 1u) << name;
        EXPECT_NE(shown[0].find("leaves the target folder"), std::string::npos) << shown[0];
        EXPECT_EQ(readFile(target_ + "/first.htm"), "1");  // entries before it stay
        EXPECT_FALSE(exists(target_ + "/last.htm"));
        EXPECT_FALSE(exists(folder_ + "outside.txt")) << name;
    }
}

TEST_F(PackedArchive, DamagedArchiveStopsWithAMessage) {
    std::string content = packedArchive({{"first.htm", "1"}, {"second.htm", "22"}});
    content.resize(content.size() - 1);
    CPackedArchive archive(archiveWith(content).c_str());
    MessageBoxes boxes;
    ASSERT_TRUE(archive.openArchive());
    EXPECT_FALSE(archive.extractAll(prefix_.c_str()));
    const std::vector<std::string> shown = boxes.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("damaged archive"), std::string::npos) << shown[0];
    EXPECT_EQ(readFile(target_ + "/first.htm"), "1");
    EXPECT_FALSE(exists(target_ + "/second.htm"));
}

TEST_F(PackedArchive, UnwritableEntryNamesItsPositionAndStops) {
    // A folder where the entry's file should go cannot be opened as a file.
    ASSERT_TRUE(std::filesystem::create_directories(target_ + "/taken.htm"));
    const std::string content = packedArchive({{"taken.htm", "xyz"}, {"after.htm", "a"}});
    CPackedArchive archive(archiveWith(content).c_str());
    MessageBoxes boxes;
    ASSERT_TRUE(archive.openArchive());
    EXPECT_FALSE(archive.extractAll(prefix_.c_str()));
    const std::vector<std::string> shown = boxes.shown();
    ASSERT_EQ(shown.size(), 1u);
    const std::string expectedStart = prefix_ + "taken.htm|filePos: " + std::to_string(kArchiveHeaderSize + 4 + 10 + 4) +
                                      " fileSize: 3 error: ";
    EXPECT_EQ(shown[0].compare(0, expectedStart.size(), expectedStart), 0) << shown[0];
    EXPECT_NE(shown[0].find(" - unable to open output file"), std::string::npos) << shown[0];
    EXPECT_FALSE(exists(target_ + "/after.htm"));
}

}  // namespace
