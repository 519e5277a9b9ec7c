// Starting programs, and the instance counter shared by processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "instance_counter.h"
#include "process.h"
#include "testenv.h"

namespace {

std::string child() { return lumora_test::builtProgram("common_child"); }

// A name for a counter of this test alone (named objects take no backslashes).
std::string counterName() {
    std::string key = lumora_test::uniqueKey("counter");
    return key.substr(key.find_last_of('\\') + 1);
}

}  // namespace

TEST(RunProgram, WaitsForTheExitCodeOrReturnsAtOnce) {
    std::string line = "\"" + child() + "\" exit 7";
    DWORD code = 0;
    EXPECT_TRUE(runProgram(child().c_str(), line.c_str(), SW_HIDE, true, &code));
    EXPECT_EQ(code, 7u);
    // Without an application the program is the first word of the command line.
    code = 0;
    EXPECT_TRUE(runProgram(nullptr, ("\"" + child() + "\" exit 3").c_str(), SW_HIDE, true, &code));
    EXPECT_EQ(code, 3u);
    EXPECT_TRUE(runProgram(child().c_str(), line.c_str(), SW_HIDE, false));
}

TEST(RunProgram, FailsForAMissingProgram) {
    std::string missing = lumora_test::scratchDir() + "TnUpdate.exe";
    DWORD code = 12345;
    EXPECT_FALSE(runProgram(missing.c_str(), "-x\"3\"", SW_SHOW, true, &code));
    EXPECT_EQ(code, 12345u);
}

TEST(InstanceCounter, CountsAttachmentsAndReleases) {
    std::string name = counterName();
    InstanceCounter first(name);
    EXPECT_EQ(first.read(), 0);
    EXPECT_EQ(first.release(), 0);
    EXPECT_EQ(first.attach(), 1);
    EXPECT_EQ(first.read(), 1);
    {
        InstanceCounter second(name);
        EXPECT_EQ(second.attach(), 2);
        EXPECT_EQ(first.read(), 2);
        EXPECT_EQ(second.release(), 1);
        EXPECT_EQ(second.read(), 0);
    }
    EXPECT_EQ(first.read(), 1);
    EXPECT_EQ(first.release(), 0);
    EXPECT_EQ(first.read(), 0);

    InstanceCounter other(counterName());
    EXPECT_EQ(other.attach(), 1);
}

TEST(InstanceCounter, TwoProcessesShareTheCount) {
    std::string name = counterName();
    InstanceCounter here(name);
    ASSERT_EQ(here.attach(), 1);

    DWORD childValue = 0;
    std::string line = "\"" + child() + "\" count " + name;
    ASSERT_TRUE(runProgram(child().c_str(), line.c_str(), SW_HIDE, true, &childValue));
    EXPECT_EQ(childValue, 2u);
    EXPECT_EQ(here.read(), 1);
    EXPECT_EQ(here.release(), 0);
}
