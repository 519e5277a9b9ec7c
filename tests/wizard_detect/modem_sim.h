// A simulated modem (tools/modemsim) on a serial port of the test's prefix, for as long as the
// object lives.
#pragma once

#include "testenv.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class ModemSim {
public:
    // answer: ok, f-only, one-byte, silent or error (see modemsim).
    ModemSim(int port, const std::string& answer) {
        const std::string prefix = std::getenv("LUMORA_PREFIX");
        log_ = lumora_test::scratchDir() + "commands.log";
        int out[2];
        if (::pipe(out) != 0) return;
        const std::string program = lumora_test::builtProgram("modemsim");
        const std::string portText = std::to_string(port);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::execl(program.c_str(), program.c_str(), "--answer", answer.c_str(), "--prefix",
                    prefix.c_str(), "--port", portText.c_str(), "--log", log_.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        // The terminal's path comes once the port is linked.
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n') terminal_ += c;
        ::close(out[0]);
    }
    ~ModemSim() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ModemSim(const ModemSim&) = delete;
    ModemSim& operator=(const ModemSim&) = delete;

    bool running() const { return pid_ > 0 && !terminal_.empty(); }
    // The AT commands the modem received, in order.
    std::vector<std::string> commands() const {
        std::vector<std::string> lines;
        if (FILE* f = std::fopen(log_.c_str(), "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, f)) {
                std::string text = line;
                while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
                lines.push_back(text);
            }
            std::fclose(f);
        }
        return lines;
    }

private:
    pid_t pid_ = -1;
    std::string terminal_;
    std::string log_;
};
