// The trace: switch, record form, prefixes and message length.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "testenv.h"
#include "trace.h"

namespace fs = std::filesystem;

namespace {

void write(TraceLog& trace, const char* format, ...) {
    va_list args;
    va_start(args, format);
    trace.write(format, args);
    va_end(args);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(Trace, SwitchedOffCreatesNoFile) {
    std::string file = lumora_test::scratchDir() + "trace.txt";
    TraceLog trace(false, file);
    write(trace, "Command line: \"%s\"", "-dialer");
    trace.enterScope(1);
    write(trace, "posting Quit Message\n");
    trace.leaveScope();
    EXPECT_FALSE(fs::exists(file));
}

TEST(Trace, ProgramWithoutTheSwitchEntryDoesNotTrace) {
    // This test program's string table has no trace switch: the trace stays off.
    std::string dir = lumora_test::scratchDir();
    fs::path before = fs::current_path();
    fs::current_path(dir);
    traceLine("%d. instance started\n", 1);
    fs::current_path(before);
    EXPECT_FALSE(processTrace().enabled());
    EXPECT_FALSE(fs::exists(fs::path(dir) / "trace.txt"));
}

TEST(Trace, RecordsAreAppendedWithTimeAndMayShareALine) {
    std::string file = lumora_test::scratchDir() + "trace.txt";
    TraceLog trace(true, file);
    write(trace, "Command line: \"%s\"", "-importini");
    write(trace, "%d. instance started\n", 2);
    write(trace, "posting Quit Message\n");
    std::string text = readAll(file);
    std::regex form(
        "\\d\\d:\\d\\d:\\d\\d Command line: \"-importini\"\\d\\d:\\d\\d:\\d\\d 2\\. instance "
        "started\n\\d\\d:\\d\\d:\\d\\d posting Quit Message\n");
    EXPECT_TRUE(std::regex_match(text, form)) << text;
}

TEST(Trace, ScopesIndentWithBarsAndWindowNumbers) {
    std::string file = lumora_test::scratchDir() + "trace.txt";
    TraceLog trace(true, file);
    trace.enterScope(3);
    EXPECT_EQ(trace.prefix(), "|  3");
    write(trace, "addInstance (%s)\n", "defhtml");
    trace.enterScope(-1);
    EXPECT_EQ(trace.prefix(), "| | ()");
    trace.enterScope(12);
    EXPECT_EQ(trace.prefix(), "| | | 12");
    trace.leaveScope();
    EXPECT_EQ(trace.prefix(), "| | ");
    trace.leaveScope();
    // The outer tag is not restored.
    EXPECT_EQ(trace.prefix(), "| ");
    write(trace, "x\n");
    trace.leaveScope();
    EXPECT_EQ(trace.prefix(), "");
    trace.leaveScope();  // one too many leaves nothing behind
    EXPECT_EQ(trace.prefix(), "");

    std::string text = readAll(file);
    EXPECT_NE(text.find(" |  3addInstance (defhtml)\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" | x\n"), std::string::npos) << text;
}

TEST(Trace, ProgramScopesShareOnePrefix) {
    std::string before = processTrace().prefix();
    {
        TraceScope outer(7);
        EXPECT_EQ(processTrace().prefix(), before + "|  7");
        TraceScope inner;
        EXPECT_EQ(processTrace().prefix(), before + "| | ()");
    }
    EXPECT_EQ(processTrace().prefix(), before);
}

TEST(Trace, LongMessagesAreCutAndPasswordsMasked) {
    std::string file = lumora_test::scratchDir() + "trace.txt";
    TraceLog trace(true, file);
    std::string huge(kTraceMessageMax + 900, 'x');
    write(trace, "%s", huge.c_str());
    std::string text = readAll(file);
    EXPECT_EQ(text.size(), std::strlen("00:00:00 ") + kTraceMessageMax);

    EXPECT_EQ(traceMask("geheim"), "******");
    EXPECT_EQ(traceMask(""), "");
    EXPECT_EQ(traceMask(nullptr), "");
}
