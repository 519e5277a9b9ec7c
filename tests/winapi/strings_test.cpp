// String tables: LoadStringA on the test binary's own table (winapi_tests.str, UTF-8 source,
// converted at build time), its truncation and missing ids, and on Linux the "<program>.strings"
// file with which a deployment overrides entries.
#include <windows.h>

#include <gtest/gtest.h>

#include "testenv.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
extern char** environ;
#endif

namespace {

using namespace std::string_literals;

std::string load(UINT id) {
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    const int n = LoadStringA(nullptr, id, buffer, sizeof buffer);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buffer))) << id;
    return buffer;
}

TEST(StringTable, TextsArriveAsWindows1252) {
    EXPECT_EQ(load(1), "Lumora");
    EXPECT_EQ(load(121), "@provider.de");
    EXPECT_EQ(load(200), "Verbindung \xfc" "ber ISDN \x96 5 \x80 pro Stunde");
    EXPECT_EQ(load(201), "Zeile 1\nZeile 2\t\"zitiert\" \\ Ende");
    EXPECT_EQ(load(202), "\xe4\xf6\xfc");
    EXPECT_EQ(load(65535), "highest id");
    // Only the low word of the id counts.
    EXPECT_EQ(load(MAKELONG(121, 0x8000)), "@provider.de");
}

TEST(StringTable, TextIsCutToTheBuffer) {
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadStringA(nullptr, 300, buffer, 5), 4);
    EXPECT_EQ(std::string(buffer, 6), "0123\0x"s);
    EXPECT_EQ(LoadStringA(nullptr, 300, buffer, 11), 10);
    EXPECT_STREQ(buffer, "0123456789");
    EXPECT_EQ(LoadStringA(nullptr, 300, buffer, 10), 9);
    EXPECT_STREQ(buffer, "012345678");
    EXPECT_EQ(LoadStringA(nullptr, 300, buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(LoadStringA(nullptr, 300, buffer, 0), -1);
}

TEST(StringTable, MissingAndEmptyEntries) {
    char buffer[16] = "unchanged";
    SetLastError(0);
    EXPECT_EQ(LoadStringA(nullptr, 4000, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));

    std::strcpy(buffer, "unchanged");
    EXPECT_EQ(LoadStringA(nullptr, 7, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
}

#ifndef _WIN32
// A copy of this test binary in a scratch folder, with a "winapi_tests.strings" beside it, runs
// this test again; the copy checks what it loads and the original checks the complaints about
// the bad lines.
TEST(StringTable, DeploymentFileBesideTheProgramOverridesEntries) {
    if (std::getenv("LUMORA_STRINGS_OVERRIDDEN")) {
        EXPECT_EQ(load(121), "@other-provider.de");
        EXPECT_EQ(load(200), "Gr\xfc\xdf" "e \x80");
        EXPECT_EQ(load(1), "Lumora");
        EXPECT_EQ(load(5000), "added");
        EXPECT_EQ(load(202), "\xe4\xf6\xfc");  // the malformed override of 202 was ignored
        return;
    }
    namespace fs = std::filesystem;
    const std::string dir = lumora_test::scratchDir();
    const std::string copy = dir + "winapi_tests";
    fs::copy_file(lumora_test::builtProgram("winapi_tests"), copy);
    for (const auto& entry : fs::directory_iterator(lumora_test::binaryDir()))
        if (entry.path().extension() == ".so")
            fs::create_symlink(entry.path(), dir + entry.path().filename().string());
    std::ofstream(dir + "winapi_tests.strings", std::ios::binary)
        << "# branding\n"
           "121 = \"@other-provider.de\"\n"
           "202 = \"no closing quote\n"
           "200 = \"Grüße €\"  # umlauts in UTF-8\r\n"
           "5000 = \"added\"\n"
           "5001 = \"\xc4\x81\"\n";  // a character without a Windows-1252 form

    const std::string errors = dir + "errors.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT, 0644);
    std::string filter = "--gtest_filter=StringTable.DeploymentFileBesideTheProgramOverridesEntries";
    char* argv[] = {const_cast<char*>(copy.c_str()), filter.data(), nullptr};
    ::setenv("LUMORA_STRINGS_OVERRIDDEN", "1", 1);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, copy.c_str(), &actions, nullptr, argv, environ);
    ::unsetenv("LUMORA_STRINGS_OVERRIDDEN");
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_EQ(spawned, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the copy's checks failed";

    std::ifstream in(errors);
    std::stringstream complaints;
    complaints << in.rdbuf();
    EXPECT_NE(complaints.str().find("winapi_tests.strings:3: the string has no closing quote"),
              std::string::npos)
        << complaints.str();
    EXPECT_NE(complaints.str().find("winapi_tests.strings:6: a character has no Windows-1252"),
              std::string::npos)
        << complaints.str();
    fs::remove_all(dir);
}
#endif

}  // namespace
