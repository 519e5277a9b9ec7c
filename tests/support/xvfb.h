// An Xvfb display of a test's own (Linux): the server picks a free display number and reports it
// through a pipe, so parallel test processes never collide. DISPLAY is set while it runs.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace lumora_test {

class XvfbServer {
public:
    // Starts the server; false when Xvfb is missing or does not come up within ten seconds.
    bool start() {
        int fds[2];
        if (::pipe(fds) != 0) return false;
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                              "-nolisten", "tcp", nullptr};
        if (::posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = 0;
        ::close(fds[1]);
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        char c;
        while (pid_ > 0 && ::poll(&ready, 1, 10000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (number.empty()) {
            stop();
            return false;
        }
        display_ = ":" + number;
        ::setenv("DISPLAY", display_.c_str(), 1);
        return true;
    }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
        ::unsetenv("DISPLAY");
    }

    ~XvfbServer() { stop(); }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};

}  // namespace lumora_test
