// The status pages' migration to their short names, and the progress bar's width.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app_paths.h"
#include "registry.h"
#include "settings.h"
#include "status_pages.h"
#include "test_names.h"

namespace {



class StatusPageMigration : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = uniqueProgramName();
        install_ = lumora_test::scratchDir();
        config_ = install_ + "config\\";
        ASSERT_TRUE(CreateDirectoryA(config_.c_str(), nullptr));
        paths_ = AppPaths::fromPath(install_ + name_ + ".exe");
    }

    void page(const char* name, const char* text) {
        HANDLE file = CreateFileA((config_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
        CloseHandle(file);
    }

    std::string pageText(const char* name) {
        std::string text(256, '\0');
        HANDLE file = CreateFileA((config_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "(missing)";
        DWORD read = 0;
        ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        CloseHandle(file);
        text.resize(read);
        return text;
    }

    std::string name_, install_, config_;
    AppPaths paths_;
};

}  // namespace

TEST_F(StatusPageMigration, LongNamesAreCopiedWithoutOverwritingShortOnes) {
    page("Disconnected.htm", "long discon");
    page("QueryClose.htm", "long question");
    page("QClose.htm", "the provider's own question");
    page("Connecting.htm", "long connecting");
    CLmrSettings settings(name_);
    settings.setEntryName("Testnetz");

    ConfigStatusPages pages;
    pages.migrateStatusPages(paths_, settings);

    EXPECT_EQ(pageText("discon.htm"), "long discon");
    EXPECT_EQ(pageText("aufbauen.htm"), "long connecting");
    EXPECT_EQ(pageText("QClose.htm"), "the provider's own question");
    EXPECT_EQ(pageText("abbauen.htm"), "(missing)");  // no long page, nothing to copy

    const std::string key = "Software\\" + name_;
    EXPECT_STREQ(regReadString(key.c_str(), "RasEntryName", "-"), "Testnetz");
    EXPECT_EQ(std::string(regReadString(key.c_str(), (paths_.programName + "dir").c_str(), "-")),
              paths_.installDir);
    // The provider's name comes from the string table ("Lumora Test" in the test build).
    EXPECT_STREQ(regReadString(key.c_str(), "Lumora Test", "-", HKEY_LOCAL_MACHINE), "Lumora Test");
    const std::string installed = paths_.installDir + paths_.programName;
    EXPECT_EQ(std::string(regReadString(key.c_str(), installed.c_str(), "-", HKEY_LOCAL_MACHINE)),
              installed);
}

TEST_F(StatusPageMigration, WithoutTheLongDisconnectPageNothingHappens) {
    page("QueryClose.htm", "long question");
    CLmrSettings settings(name_);
    settings.setEntryName("Testnetz");
    ConfigStatusPages().migrateStatusPages(paths_, settings);
    EXPECT_EQ(pageText("QClose.htm"), "(missing)");
    EXPECT_STREQ(regReadString(("Software\\" + name_).c_str(), "RasEntryName", "-"), "-");
}

TEST(ProgressWidth, ScaledToTheBarAndSpecialValues) {
    std::string text = "unchanged";
    ASSERT_TRUE(progressWidthText(50, 200, 100, text));
    EXPECT_EQ(text, "25");
    ASSERT_TRUE(progressWidthText(199, 200, 100, text));
    EXPECT_EQ(text, "99");  // integer division
    ASSERT_TRUE(progressWidthText(-1, 200, 100, text));
    EXPECT_EQ(text, "0");
    ASSERT_TRUE(progressWidthText(30, 0, 100, text));
    EXPECT_EQ(text, "0");
    text = "unchanged";
    EXPECT_FALSE(progressWidthText(30, -5, 100, text));
    EXPECT_EQ(text, "unchanged");
    // Large byte counts do not overflow on a 32-bit long.
    ASSERT_TRUE(progressWidthText(2000000000L, 2000000000L, 300, text));
    EXPECT_EQ(text, "300");
}
