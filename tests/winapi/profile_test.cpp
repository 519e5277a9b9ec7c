// Profile (.ini) files: reading values, lists and numbers with Windows' buffer protocols, and
// writing, replacing and deleting without disturbing the rest of the file.
#include <windows.h>

#include <gtest/gtest.h>

#include "testenv.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

namespace {

using namespace std::string_literals;

class Profile : public ::testing::Test {
protected:
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // A file in this test's scratch folder, created with the given bytes.
    std::string create(const char* name, std::string_view bytes) {
        std::string path = dir_ + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr) << path;
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }
    std::string path(const char* name) const { return dir_ + name; }

    static std::string contents(const std::string& path) {
        std::string bytes;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            char chunk[4096];
            size_t n;
            while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
            std::fclose(f);
        }
        return bytes;
    }
    static bool exists(const std::string& path) {
        std::error_code ec;
        return std::filesystem::exists(path, ec);
    }

    // GetPrivateProfileStringA into a buffer of `size` bytes pre-filled with 'x', returning the
    // whole buffer so that bytes after the terminator can be checked too.
    static std::string get(const char* section, const char* key, const char* def, DWORD size,
                           const std::string& file, DWORD* result = nullptr) {
        std::string buffer(size, 'x');
        DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, file.c_str());
        if (result) *result = n;
        return buffer;
    }
    static std::string value(const char* section, const char* key, const std::string& file) {
        char buffer[256];
        GetPrivateProfileStringA(section, key, "<default>", buffer, sizeof buffer, file.c_str());
        return buffer;
    }

    const std::string dir_ = lumora_test::scratchDir();
};

constexpr std::string_view kSample =
    "; settings of the dial-up\r\n"
    "[Dialup]\r\n"
    "  RasDeviceName =  \"ISDN Adapter\"  \r\n"
    "Single='quoted'\r\n"
    "Inner=\"\"twice\"\"\r\n"
    "Mixed=\"left'\r\n"
    "Empty=\r\n"
    "Spaces =  a  b  \r\n"
    "\r\n"
    "[\xc4nderungen]\r\n"  // "Änderungen" in Windows-1252
    "\xdc" "bertragung=schnell\r\n";

TEST_F(Profile, ValuesAreFoundIgnoringCaseAndLoseBlanksAndOnePairOfQuotes) {
    const std::string file = create("sample.ini", kSample);
    EXPECT_EQ(value("dialup", "rasdevicename", file), "ISDN Adapter");
    EXPECT_EQ(value("  DIALUP ", " RASDEVICENAME  ", file), "ISDN Adapter");
    EXPECT_EQ(value("Dialup", "Single", file), "quoted");
    EXPECT_EQ(value("Dialup", "Inner", file), "\"twice\"");
    EXPECT_EQ(value("Dialup", "Mixed", file), "\"left'");
    EXPECT_EQ(value("Dialup", "Empty", file), "");
    EXPECT_EQ(value("Dialup", "Spaces", file), "a  b");
    EXPECT_EQ(value("\xc4nderungen", "\xdc" "bertragung", file), "schnell");
    // Umlauts fold like their ASCII neighbours ("äNDERUNGEN", "üBERTRAGUNG") on Windows; Wine
    // compares profile names folding ASCII letters only.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(value("\xe4NDERUNGEN", "\xfc" "BERTRAGUNG", file), "schnell");
    }

    DWORD n = 0;
    EXPECT_EQ(get("Dialup", "RasDeviceName", nullptr, 64, file, &n).c_str(), "ISDN Adapter"s);
    EXPECT_EQ(n, 12u);
}

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefault) {
    const std::string file = create("sample.ini", kSample);
    DWORD n = 0;
    EXPECT_EQ(get("Dialup", "Nothing", "fallback", 64, file, &n).c_str(), "fallback"s);
    EXPECT_EQ(n, 8u);
    EXPECT_EQ(get("Nowhere", "RasDeviceName", "fallback", 64, file, &n).c_str(), "fallback"s);
    EXPECT_EQ(get("Dialup", "Nothing", "trailing   ", 64, file, &n).c_str(), "trailing"s);
    EXPECT_EQ(n, 8u);
    EXPECT_EQ(get("Dialup", "Nothing", "  lead", 64, file, &n).c_str(), "  lead"s);
    EXPECT_EQ(get("Dialup", "Nothing", nullptr, 64, file, &n).c_str(), ""s);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(get("Dialup", "", "fallback", 64, file, &n).c_str(), "fallback"s);

    SetLastError(0);
    EXPECT_EQ(get("Dialup", "Key", "fallback", 64, path("missing.ini"), &n).c_str(),
              "fallback"s);
    EXPECT_EQ(n, 8u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(exists(path("missing.ini")));  // reading never creates the file
}

TEST_F(Profile, ValuesAndDefaultsAreCutToTheBuffer) {
    const std::string file = create("cut.ini", "[s]\r\nname1=val1\r\nname4=a\r\n");
    DWORD n = 0;
    EXPECT_EQ(get("s", "name1", "default", 4, file, &n), "val\0"s);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(get("s", "name1", "default", 5, file, &n), "val1\0"s);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(get("s", "name4", "default", 1, file, &n), "\0"s);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(get("s", "missing", "default", 4, file, &n), "def\0"s);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(get("s", "name1", "default", 0, file, &n), ""s);
    EXPECT_EQ(n, 0u);

    char untouched[4] = "abc";
    EXPECT_EQ(GetPrivateProfileStringA("s", "name1", "d", untouched, 0, file.c_str()), 0u);
    EXPECT_STREQ(untouched, "abc");
}

TEST_F(Profile, FirstDuplicateWinsAndLayoutDoesNotMatter) {
    // LF line ends, comments, blank lines, keys before any section, no final line break.
    const std::string file = create("layout.ini",
                                    "orphan=1\n"
                                    "\n"
                                    "[one]\n"
                                    "key=first\n"
                                    "; key=comment\n"
                                    "key=second\n"
                                    "\t\n"
                                    "[two]\n"
                                    "only=here\n"
                                    "[ONE]\n"
                                    "key=third\n"
                                    "other=in second one\n"
                                    "[last]\n"
                                    "tail = no line break");
    EXPECT_EQ(value("one", "key", file), "first");
    EXPECT_EQ(value("one", "other", file), "<default>");
    EXPECT_EQ(value("two", "only", file), "here");
    EXPECT_EQ(value("last", "tail", file), "no line break");
}

TEST_F(Profile, LinesWithoutEqualsAreNotKeysButBelongToTheSection) {
    const std::string file =
        create("noequals.ini", "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n");
    EXPECT_EQ(value("s", "name3", file), "<default>");
    DWORD n = 0;
    EXPECT_EQ(get("s", nullptr, "", 100, file, &n).substr(0, 19), "name1\0name2\0name4\0\0"s);
    EXPECT_EQ(n, 18u);

    char buffer[100];
    n = GetPrivateProfileSectionA("s", buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(std::string(buffer, n + 1), "name1=val1\0name2=\0name3\0name4=val4\0\0"s);
    EXPECT_EQ(n, 35u);
}

TEST_F(Profile, SectionNamesListWithWindowsTruncation) {
    const std::string file =
        create("names.ini", "[ section1 ]\r\nk=v\r\n[section2]\r\n[section3]\r\n");
    DWORD n = 0;
    std::string all = get(nullptr, "ignored", "default", 29, file, &n);
    EXPECT_EQ(n, 27u);
    EXPECT_EQ(all.substr(0, 28), "section1\0section2\0section3\0\0"s);

    char buffer[40];
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 29, file.c_str()), 27u);
    EXPECT_EQ(std::string(buffer, 28), "section1\0section2\0section3\0\0"s);

    // The list needs one character more than it fills; an exactly fitting buffer is cut.
    all = get(nullptr, nullptr, nullptr, 28, file, &n);
    EXPECT_EQ(n, 26u);
    all = get(nullptr, nullptr, nullptr, 16, file, &n);
    EXPECT_EQ(n, 14u);
    // Wine converts the names through Unicode and loses the cut name and the second NUL;
    // Windows returns the cut name followed by two NULs.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(all, "section1\0secti\0\0"s);
    }

    std::string none = get(nullptr, nullptr, nullptr, 10, path("missing.ini"), &n);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(none[0], '\0');
    EXPECT_EQ(none[1], 'x');  // a single NUL: no names at all
}

TEST_F(Profile, KeyNamesListWithWindowsTruncation) {
    const std::string file = create("keys.ini", "[section1]\r\nname1=1\r\nname2=2\r\nname4=4\r\n"
                                                "[empty]\r\n");
    DWORD n = 0;
    std::string all = get("SECTION1", nullptr, "default", 20, file, &n);
    EXPECT_EQ(n, 18u);
    EXPECT_EQ(all, "name1\0name2\0name4\0\0x"s);

    all = get("section1", nullptr, "default", 19, file, &n);
    EXPECT_EQ(n, 17u);
    all = get("section1", nullptr, "default", 16, file, &n);
    EXPECT_EQ(n, 14u);
    // As with section names, Wine's cut list differs from Windows' "name1\0name2\0na\0\0".
    if (lumora_test::onLinux()) {
        EXPECT_EQ(all, "name1\0name2\0na\0\0"s);
    }

    // A section without keys, or none at all, gives the default as a plain string.
    EXPECT_EQ(get("empty", nullptr, "default", 10, file, &n).substr(0, 8), "default\0"s);
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(get("missing", nullptr, "default", 10, file, &n).substr(0, 8), "default\0"s);
    EXPECT_EQ(get("missing", nullptr, nullptr, 10, file, &n).substr(0, 2), "\0x"s);
    EXPECT_EQ(n, 0u);
}

TEST_F(Profile, SectionContentsWithWindowsTruncation) {
    const std::string file = create("section.ini",
                                    "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n"
                                    "[section2]\r\n[section3]\r\n=val5\r\n");
    char buffer[100];
    SetLastError(0xdeadbeef);
    DWORD n = GetPrivateProfileSectionA("Section3", buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(std::string(buffer, 7), "=val5\0\0"s);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    std::memset(buffer, 'x', sizeof buffer);
    n = GetPrivateProfileSectionA("section1", buffer, 24, file.c_str());
    EXPECT_EQ(n, 22u);
    EXPECT_EQ(std::string(buffer, 25), "name1=val1\0name2=\0name\0\0x"s);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetPrivateProfileSectionA("section2", buffer, sizeof buffer, file.c_str()), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetPrivateProfileSectionA(nullptr, buffer, sizeof buffer, file.c_str()), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetPrivateProfileSectionA("section1", nullptr, 0, file.c_str()), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Profile, IntegersReadLikeWindows) {
    const std::string file = create("int.ini",
                                    "[n]\r\n"
                                    "minus=-1\r\n"
                                    "plus=+17\r\n"
                                    "wrap=4294967297\r\n"
                                    "zero=4294967296\r\n"
                                    "negwrap=-4294967297\r\n"
                                    "digits=42A94967297\r\n"
                                    "letters=B42\r\n"
                                    "quoted=\"123\"\r\n"
                                    "spaced=   88  \r\n"
                                    "empty=\r\n");
    const char* f = file.c_str();
    EXPECT_EQ(GetPrivateProfileIntA("n", "minus", 5, f), 4294967295u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "PLUS", 5, f), 17u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "wrap", 5, f), 1u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "zero", 5, f), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "negwrap", 5, f), 4294967295u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "digits", 5, f), 42u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "letters", 5, f), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "quoted", 5, f), 123u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "spaced", 5, f), 88u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "empty", 5, f), 5u);
    EXPECT_EQ(GetPrivateProfileIntA("n", "missing", -3, f), static_cast<UINT>(-3));
    EXPECT_EQ(GetPrivateProfileIntA("n", "minus", 9, path("missing.ini").c_str()), 9u);
    // Without a section or key name the number is read from the list of names.
    EXPECT_EQ(GetPrivateProfileIntA(nullptr, "minus", 7, f), 0u);
    EXPECT_EQ(GetPrivateProfileIntA(nullptr, nullptr, 7, path("missing.ini").c_str()), 7u);
}

TEST_F(Profile, WritingBuildsAFileWithCrLf) {
    const std::string file = path("built.ini");
    const char* f = file.c_str();
    EXPECT_TRUE(WritePrivateProfileStringA("App1", "key1", "string1", f));
    EXPECT_EQ(contents(file), "[App1]\r\nkey1=string1\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("App1", "key2", "string2", f));
    EXPECT_TRUE(WritePrivateProfileStringA("App2", "key3", "string3", f));
    EXPECT_TRUE(WritePrivateProfileStringA("app1", "KEY1", "changed", f));
    EXPECT_TRUE(WritePrivateProfileStringA("App1", "key4", "", f));
    EXPECT_EQ(contents(file),
              "[App1]\r\nkey1=changed\r\nkey2=string2\r\nkey4=\r\n[App2]\r\nkey3=string3\r\n");
    EXPECT_EQ(value("App1", "key4", file), "");

    EXPECT_TRUE(WritePrivateProfileStringA("App1", "key2", nullptr, f));
    EXPECT_TRUE(WritePrivateProfileStringA("App1", "key2", nullptr, f));  // already gone
    EXPECT_EQ(contents(file), "[App1]\r\nkey1=changed\r\nkey4=\r\n[App2]\r\nkey3=string3\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("APP1", nullptr, "ignored", f));
    EXPECT_EQ(contents(file), "[App2]\r\nkey3=string3\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("App2", "key3", nullptr, f));
    EXPECT_EQ(contents(file), "[App2]\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("App2", nullptr, nullptr, f));
    EXPECT_EQ(contents(file), "");
}

TEST_F(Profile, WritingKeepsTheRestOfTheFileByteForByte) {
    const std::string original =
        "; provider settings\n"
        "[Dialup]\n"
        "Device = Modem  \n"
        "\n"
        "; comment inside\n"
        "Number=0191011\n"
        "\n"
        "\n"
        "[variables]\r\n"
        "RasDeviceName=\"old\"\r\n"
        "tail=1";
    const std::string file = create("keep.ini", original);
    const char* f = file.c_str();
    ASSERT_TRUE(WritePrivateProfileStringA("variables", "rasdevicename", "\"ISDN\"", f));
    ASSERT_TRUE(WritePrivateProfileStringA("dialup", "device", "ISDN Adapter", f));
    ASSERT_TRUE(WritePrivateProfileStringA("Dialup", "Added", "yes", f));
    ASSERT_TRUE(WritePrivateProfileStringA("variables", "more", "x", f));
    ASSERT_TRUE(WritePrivateProfileStringA("New", "k", "v", f));

    EXPECT_EQ(value("variables", "RasDeviceName", file), "ISDN");
    EXPECT_EQ(value("Dialup", "Device", file), "ISDN Adapter");
    EXPECT_EQ(value("Dialup", "Number", file), "0191011");
    EXPECT_EQ(value("Dialup", "Added", file), "yes");
    EXPECT_EQ(value("variables", "tail", file), "1");
    EXPECT_EQ(value("variables", "more", file), "x");
    EXPECT_EQ(value("New", "k", file), "v");
    // Wine rewrites the whole file from what it parsed (dropping comments' places, blank lines
    // and line-end style); Windows changes only the lines concerned.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(contents(file),
                  "; provider settings\n"
                  "[Dialup]\n"
                  "Device = ISDN Adapter\n"
                  "\n"
                  "; comment inside\n"
                  "Number=0191011\n"
                  "Added=yes\r\n"
                  "\n"
                  "\n"
                  "[variables]\r\n"
                  "RasDeviceName=\"ISDN\"\r\n"
                  "tail=1\r\n"
                  "more=x\r\n"
                  "[New]\r\n"
                  "k=v\r\n");
    }
}

TEST_F(Profile, WriteFailuresLeaveNoFile) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "key", "value", path("none.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(exists(path("none.ini")));

    // Deleting from a file that does not exist succeeds without creating it.
    EXPECT_TRUE(WritePrivateProfileStringA("App", "key", nullptr, path("none.ini").c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("App", nullptr, nullptr, path("none.ini").c_str()));
    EXPECT_FALSE(exists(path("none.ini")));

    const std::string deep = path("no-such-folder/x.ini");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA("App", "key", "value", deep.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(exists(deep));
}

TEST_F(Profile, AFolderIsNotAProfileFile) {
    std::filesystem::create_directory(path("folder.ini"));
    const std::string folder = path("folder.ini");
    SetLastError(0xdeadbeef);
    EXPECT_EQ(value("s", "k", folder), "<default>");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GetPrivateProfileIntA("s", "k", 4, folder.c_str()), 4u);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", folder.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Profile, ChangesByOthersAreSeenEvenWithTheSameSizeAndTime) {
    const std::string file = create("changing.ini", "[s]\r\nk=1\r\n");
    // An old file, as a program finds its settings at start.
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(file, old);
    EXPECT_EQ(value("s", "k", file), "1");
    EXPECT_EQ(value("s", "k", file), "1");

    create("changing.ini", "[s]\r\nk=2\r\n");
    std::filesystem::last_write_time(file, old);
    // Wine's cache of profile files trusts the modification time alone; Windows reads the file.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(value("s", "k", file), "2");
    }

    std::filesystem::remove(file);
    EXPECT_EQ(value("s", "k", file), "<default>");
}

TEST_F(Profile, ConcurrentWritersLoseNothing) {
    const std::string file = path("shared.ini");
    auto writer = [&](const char* section) {
        for (int i = 0; i < 20; ++i) {
            const std::string key = "key" + std::to_string(i);
            EXPECT_TRUE(WritePrivateProfileStringA(section, key.c_str(), "v", file.c_str()));
        }
    };
    std::thread a(writer, "a");
    std::thread b(writer, "b");
    a.join();
    b.join();
    for (const char* section : {"a", "b"})
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(value(section, ("key" + std::to_string(i)).c_str(), file), "v")
                << section << i;
}

TEST_F(Profile, ANameWithoutFolderLivesInTheWindowsDirectory) {
#ifdef _WIN32
    const char* windir = std::getenv("WINDIR");
    ASSERT_NE(windir, nullptr);
    const std::string windows = std::string(windir) + "\\";
#else
    const char* prefix = std::getenv("LUMORA_PREFIX");
    ASSERT_NE(prefix, nullptr);
    const std::string windows = std::string(prefix) + "/windows/";
#endif
    const std::string key = lumora_test::uniqueKey("lumora-profile");
    const std::string name = key.substr(key.find_last_of('\\') + 1) + ".ini";
    ASSERT_TRUE(WritePrivateProfileStringA("variables", "RasDeviceName", "\"ISDN\"",
                                           name.c_str()));
    EXPECT_EQ(contents(windows + name), "[variables]\r\nRasDeviceName=\"ISDN\"\r\n");
    EXPECT_EQ(value("Variables", "rasdevicename", name), "ISDN");
    // Only the bare name goes there: a name with a folder is taken as it is.
    EXPECT_EQ(value("variables", "RasDeviceName", path(name.c_str())), "<default>");
    EXPECT_EQ(std::remove((windows + name).c_str()), 0);
}

}  // namespace
