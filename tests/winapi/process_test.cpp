// Processes: command lines reach the child verbatim and split by the Windows rules, programs are
// found by their Windows names, exit codes, waits, termination, the current folder of the child,
// and environment variables.
#include <windows.h>

#include "testenv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#endif

namespace {

std::string childProgram() { return lumora_test::builtProgram("winapi_child"); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitForFile(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        if (std::ifstream(path).good()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// What the child wrote about itself: its command line and its arguments.
struct ChildReport {
    std::string commandLine;
    std::vector<std::string> arguments;
};

ChildReport parseReport(const std::string& text) {
    ChildReport report;
    std::istringstream in(text);
    std::getline(in, report.commandLine);
    std::string line;
    std::getline(in, line);
    const int count = std::atoi(line.c_str());
    for (int i = 0; i < count && std::getline(in, line); ++i) report.arguments.push_back(line);
    return report;
}

// Sets an environment variable for the lifetime of the object (the Wine run shares one process).
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableA(name_, nullptr); }

private:
    const char* name_;
};

struct Started {
    BOOL ok = FALSE;
    DWORD error = 0;
    PROCESS_INFORMATION info{};
};

Started start(const char* application, const std::string& commandLine,
              const char* folder = nullptr, void* environment = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = 0;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    Started s;
    SetLastError(0xdeadbeef);
    s.ok = CreateProcessA(application, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          environment, folder, &startup, &s.info);
    s.error = GetLastError();
    return s;
}

// Runs the child to its end and returns its exit code.
DWORD runToEnd(const Started& s) {
    EXPECT_EQ(WaitForSingleObject(s.info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0xdeadbeef;
    EXPECT_TRUE(GetExitCodeProcess(s.info.hProcess, &code));
    CloseHandle(s.info.hThread);
    CloseHandle(s.info.hProcess);
    return code;
}

// Starts the child with the command line and returns what it reported about itself.
ChildReport reportOf(const std::string& commandLine) {
    const std::string file = lumora_test::scratchDir() + "report.txt";
    ScopedVariable report("WINAPI_CHILD_REPORT", file);
    Started s = start(childProgram().c_str(), commandLine);
    EXPECT_TRUE(s.ok) << s.error;
    if (!s.ok) return {};
    EXPECT_EQ(runToEnd(s), 0u);
    return parseReport(readFile(file));
}

TEST(CommandLine, ReachesTheChildVerbatim) {
    const char* lines[] = {
        "TnUpdate.exe -r\"a b\" -l\"x\"",
        "-r\"http://update.example/list.ini\" -l\"C:\\Programme\\Lumora\\update.ini\" -x\"0\"",
        "child \"unbalanced quote",
        "child trailing backslash\\ \"quoted\\\\\" \"esc\\\"aped\"",
        "child \"\" \"\" empty",
        "  child  leading and   inner blanks  ",
        "child umlaut \xe4\xf6\xfc \xdf",
    };
    for (const char* line : lines) EXPECT_EQ(reportOf(line).commandLine, line);
}

TEST(CommandLine, SplitsIntoArgumentsByWindowsRules) {
    struct Case {
        const char* line;
        std::vector<std::string> arguments;
    } cases[] = {
        {"child a b", {"child", "a", "b"}},
        {"child \"a b\" c", {"child", "a b", "c"}},
        {"child -r\"a b\" -l\"x\"", {"child", "-ra b", "-lx"}},
        {"child \"\" x", {"child", "", "x"}},
        {"child a\\\\b c\\", {"child", "a\\\\b", "c\\"}},
        {"child \\\"q\\\" \"x\\\\\"", {"child", "\"q\"", "x\\"}},
        {"child \"unbalanced quote", {"child", "unbalanced quote"}},
        {"\"child\" a", {"child", "a"}},
    };
    for (const Case& c : cases) EXPECT_EQ(reportOf(c.line).arguments, c.arguments) << c.line;
}

TEST(CommandLine, OwnCommandLineNamesTheProgram) {
    const std::string line = GetCommandLineA();
    EXPECT_NE(line.find("winapi_tests"), std::string::npos) << line;
    EXPECT_EQ(GetCommandLineA(), GetCommandLineA());
}

#ifndef _WIN32
// A program started from a Linux shell sees its arguments joined with Windows quoting, and a
// command line handed to another process is not taken for its own.
TEST(CommandLine, ShellArgumentsAreJoinedWithWindowsQuoting) {
    const std::string file = lumora_test::scratchDir() + "report.txt";
    const std::string program = childProgram();
    const std::vector<std::string> arguments = {program, "a b", "", "say \"hi\"", "back\\", "dir\\\\x"};
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::string reportVariable = "WINAPI_CHILD_REPORT=" + file;
    std::string stale = "LUMORA_COMMAND_LINE=0000000001 not for this process";
    char* envp[] = {reportVariable.data(), stale.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ChildReport report = parseReport(readFile(file));
    EXPECT_EQ(report.commandLine, program + " \"a b\" \"\" \"say \\\"hi\\\"\" back\\ dir\\\\x");
    EXPECT_EQ(report.arguments, arguments);
}
#endif

TEST(ProcessStart, FindsProgramsByTheirWindowsNames) {
    // Without an application name the program is the first word of the command line, searched
    // in the folder of the running program, with ".exe" added and letter case ignored.
    for (const char* line : {"winapi_child.exe exit 3", "WINAPI_CHILD.EXE exit 3", "winapi_child exit 3"}) {
        Started s = start(nullptr, line);
        ASSERT_TRUE(s.ok) << line << ": " << s.error;
        EXPECT_EQ(runToEnd(s), 3u) << line;
    }
    const std::string quoted = "\"" + childProgram() + "\" exit 4";
    Started s = start(nullptr, quoted);
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(runToEnd(s), 4u);
}

#ifndef _WIN32
// Host programs on PATH are found by their Windows names too ("sh" is "sh.exe").
TEST(ProcessStart, SearchesThePath) {
    Started s = start(nullptr, "sh.exe -c \"exit 6\"");
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(runToEnd(s), 6u);
}
#endif

TEST(ProcessStart, ReportsMissingProgramsAndBadInput) {
    Started s = start("no_such_program_x1.exe", "no_such_program_x1.exe");
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    s = start(nullptr, "no_such_program_x1.exe -a \"b");
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    const std::string missingFolder = lumora_test::scratchDir() + "missing/x.exe";
    s = start(missingFolder.c_str(), "x");
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // Neither a program nor a command line: Wine dereferences the missing command line.
    if (lumora_test::onLinux()) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        SetLastError(0);
        EXPECT_FALSE(CreateProcessA(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                    &startup, &info));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    }
}

TEST(ProcessStart, HonoursTheCurrentFolderOfTheChild) {
    const std::string folder = lumora_test::scratchDir();
    Started s = start(childProgram().c_str(), "child touch here.txt", folder.c_str());
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(runToEnd(s), 0u);
    EXPECT_TRUE(std::ifstream(folder + "here.txt").good());

    const std::string missing = folder + "no such folder";
    s = start(childProgram().c_str(), "child", missing.c_str());
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.error, static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST(Process, ExitCodeAndWaits) {
    Started s = start(childProgram().c_str(), "child exit 42");
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_NE(s.info.dwProcessId, 0u);
    EXPECT_NE(s.info.dwProcessId, GetCurrentProcessId());
    EXPECT_EQ(WaitForSingleObject(s.info.hThread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(runToEnd(s), 42u);

    s = start(childProgram().c_str(), "child sleep 60000");
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(WaitForSingleObject(s.info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(s.info.hProcess, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(s.info.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(TerminateProcess(s.info.hProcess, 77));
    EXPECT_EQ(runToEnd(s), 77u);
}

TEST(Process, TerminatingAnEndedProcessIsDenied) {
    Started s = start(childProgram().c_str(), "child exit 5");
    ASSERT_TRUE(s.ok) << s.error;
    ASSERT_EQ(WaitForSingleObject(s.info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    SetLastError(0);
    const BOOL terminated = TerminateProcess(s.info.hProcess, 9);
    // Windows refuses to end a process that has ended; Wine reports success.
    if (lumora_test::onLinux()) {
        EXPECT_FALSE(terminated);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(runToEnd(s), 5u);  // either way the exit code stays
}

TEST(Process, ClosingTheHandlesLeavesTheChildRunning) {
    const std::string file = lumora_test::scratchDir() + "alive.txt";
    Started s = start(childProgram().c_str(), "child sleep 200 touch " + file);
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_TRUE(CloseHandle(s.info.hThread));
    EXPECT_TRUE(CloseHandle(s.info.hProcess));
    EXPECT_TRUE(waitForFile(file));
#ifndef _WIN32
    // Nobody waits for it, yet once it has ended it does not linger as a zombie.
    const std::string stat = "/proc/" + std::to_string(s.info.dwProcessId) + "/stat";
    bool gone = false;
    for (int i = 0; i < 1000 && !gone; ++i) {
        gone = !std::ifstream(stat).good();
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone);
#endif
}

TEST(Process, CurrentProcessAndBadHandles) {
    HANDLE self = GetCurrentProcess();
    EXPECT_EQ(self, reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(self, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(self, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7ff0));
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(bogus, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(GetExitCodeProcess(bogus, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(TerminateProcess(bogus, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Environment, NamesIgnoreCaseAndValuesKeepWindows1252) {
    const char* name = "LumoraTestVariable";
    EXPECT_TRUE(SetEnvironmentVariableA(name, "W\xe4hlen"));
    char buffer[64];
    EXPECT_EQ(GetEnvironmentVariableA("LUMORATESTVARIABLE", buffer, sizeof buffer), 6u);
    EXPECT_STREQ(buffer, "W\xe4hlen");
    // Too small: the size needed, with the terminating NUL.
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer, 3), 7u);

    EXPECT_TRUE(SetEnvironmentVariableA("lumoratestvariable", "other"));
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "other");

    EXPECT_TRUE(SetEnvironmentVariableA(name, nullptr));
    SetLastError(0);
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    EXPECT_TRUE(SetEnvironmentVariableA(name, nullptr));  // deleting a missing one is no error
}

TEST(Environment, ChildGetsAnExplicitEnvironmentBlock) {
    const std::string file = lumora_test::scratchDir() + "report.txt";
    std::string block = "WINAPI_CHILD_REPORT=" + file;
    block += '\0';
    block += "OTHER=1";
    block += '\0';
    block += '\0';
    Started s = start(childProgram().c_str(), "child x", nullptr, block.data());
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(runToEnd(s), 0u);
    EXPECT_EQ(parseReport(readFile(file)).commandLine, "child x");
}

}  // namespace
