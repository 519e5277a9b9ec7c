// An Xvfb display of a test's own (Linux). Parallel test processes start their servers at the
// same moment, and Xvfb's own search for a free number (-displayfd) races between them: two
// servers can end up sharing a number. So each process tries display numbers of its own picking,
// spread at random, and takes the first its server reports through the pipe as its own; a number
// taken by another server makes that server exit and the next number is tried. DISPLAY is set
// while it runs.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>

extern char** environ;

namespace lumora_test {

class XvfbServer {
public:
    // Starts the server with one screen of `geometry` (width x height x depth); false when Xvfb
    // is missing or no server comes up.
    bool start(const char* geometry = "1024x768x24") {
        std::random_device seed;
        std::minstd_rand pick(seed());
        for (int attempt = 0; attempt < 8 && display_.empty(); ++attempt)
            tryDisplay(100 + static_cast<int>(pick() % 3000), geometry);
        if (display_.empty()) return false;
        ::setenv("DISPLAY", display_.c_str(), 1);
        return true;
    }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
        display_.clear();
        ::unsetenv("DISPLAY");
    }

    ~XvfbServer() { stop(); }
    const std::string& display() const { return display_; }

private:
    void tryDisplay(int number, const char* geometry) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        const std::string name = ":" + std::to_string(number);
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", name.c_str(), "-displayfd", fd.c_str(), "-screen", "0",
                              geometry, "-br", "-nolisten", "tcp", nullptr};
        if (::posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = 0;
        ::close(fds[1]);
        // The server writes its number once it listens; a server that cannot have the number
        // exits, which closes the pipe.
        std::string reported;
        pollfd ready{fds[0], POLLIN, 0};
        char c;
        while (pid_ > 0 && ::poll(&ready, 1, 10000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            reported += c;
        ::close(fds[0]);
        if (!reported.empty() && ":" + reported == name) {
            display_ = name;
            return;
        }
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = 0;
    }

    pid_t pid_ = 0;
    std::string display_;
};

}  // namespace lumora_test
