// The end of a run: the browser setting restored, the dialer's outcome written, and the last
// process handing pending replacements to the updater.
#include "app_fixture.h"

#include "instance_counter.h"
#include "probe_calls.h"

namespace {

constexpr const char* kMain = "Software\\Microsoft\\Internet Explorer\\Main";

}  // namespace

TEST_F(AppTest, InlineImagesAreOnDuringTheRunAndRestoredAfter) {
    std::string saved = regReadString(kMain, "Display Inline Images", "yes");
    regWriteString(kMain, "Display Inline Images", "no");
    start();
    EXPECT_STREQ(regReadString(kMain, "Display Inline Images", "-"), "yes");
    app.reset();
    EXPECT_STREQ(regReadString(kMain, "Display Inline Images", "-"), "no");
    regWriteString(kMain, "Display Inline Images", saved.c_str());
}

TEST_F(AppTest, TheEndOfARunRecordsWhetherTheProviderIsConnected) {
    normalAccount();
    installSkin();
    start();
    ASSERT_TRUE(init(""));
    parts.connected = entry;
    app.reset();
    EXPECT_EQ(autoDialConnected(), "1");
    EXPECT_FALSE(parts.monitor);
    EXPECT_EQ(parts.skinsFreed, 1);

    start();
    ASSERT_TRUE(init(""));
    parts.connected.clear();
    app.reset();
    EXPECT_EQ(autoDialConnected(), "0");
}

TEST_F(AppTest, AnImportRunLeavesTheDialersOutcomeAlone) {
    std::ofstream(dir + "update.ini") << "[Update]\nlumora.exe=3\n";
    start();
    EXPECT_FALSE(init("-importini"));
    app.reset();
    EXPECT_EQ(autoDialConnected(), "(none)");
}

TEST_F(AppTest, TheLastProcessHandsPendingFilesToTheUpdater) {
    installUpdaterProbe(dir);
    std::ofstream(dir + "_Ardial32.dll") << "new library";
    std::ofstream(dir + "_" + name + ".exe") << "new program";
    std::ofstream(dir + "update.ini") << "[Update]\n";

    // Not the last process: nothing is replaced yet.
    InstanceCounter other(name);
    ASSERT_EQ(other.attach(), 1);
    start();
    EXPECT_EQ(app->instanceNumber(), 2);
    init("-importini");
    app.reset();
    EXPECT_EQ(other.release(), 0);

    start();
    init("-importini");
    app.reset();
    std::vector<std::string> expected = {
        "-r\"" + inst + "_Ardial32.dll\" -l\"" + inst + "Ardial32.dll\" -x\"3\"",
        "-r\"" + inst + "_" + name + ".exe\" -l\"" + inst + name + ".exe\" -x\"3\""};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(waitForProbeCalls(dir, 2), expected);
}
