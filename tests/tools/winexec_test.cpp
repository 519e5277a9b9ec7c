// tools/winexec: the program started gets the command line byte for byte as written, quotes and
// all, and winexec ends with the program's exit code.
#include <gtest/gtest.h>

#include "run_program.h"
#include "testenv.h"

#include <string>

namespace {

using lumora_test::builtProgram;
using lumora_test::runProgram;

TEST(Winexec, HandsTheCommandLineOverVerbatimAndEndsWithTheExitCode) {
    const std::string report = lumora_test::scratchDir() + "report";
    const std::string line = "\"" + builtProgram("winapi_child") + "\" exit 7 -r\"http://h/a b\" -l\"C:\\x\\\"";
    const lumora_test::ProgramResult result = runProgram("winexec", {line}, {"WINAPI_CHILD_REPORT=" + report});
    EXPECT_EQ(result.exitCode, 7) << result.err;
    const std::string written = lumora_test::readWholeFile(report);
    EXPECT_EQ(written.substr(0, written.find('\n')), line);
}

TEST(Winexec, ProgramThatCannotStartIsReported) {
    const lumora_test::ProgramResult missing = runProgram("winexec", {"no-such-program -x\"1\""});
    EXPECT_EQ(missing.exitCode, 127);
    EXPECT_NE(missing.err.find("no-such-program"), std::string::npos);
    EXPECT_EQ(runProgram("winexec", {}).exitCode, 2);
}

}  // namespace
