// Running a built program from a test: its exit status, standard output and standard error, with
// extra environment variables.
#pragma once

#include "testenv.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lumora_test {

struct ProgramResult {
    int exitCode = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs builtProgram(name) with the arguments; `environment` holds NAME=value entries to set.
inline ProgramResult runProgram(const char* name, const std::vector<std::string>& args,
                                const std::vector<std::string>& environment = {}) {
    const std::string dir = scratchDir();
    const std::string outPath = dir + "out", errPath = dir + "err";
    const std::string program = builtProgram(name);
    pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ProgramResult result;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = readWholeFile(outPath);
    result.err = readWholeFile(errPath);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return result;
}

}  // namespace lumora_test
