// modemsim: a modem simulator on a pseudo-terminal. It prints the terminal's path, optionally
// links it as a serial port of a prefix ("dosdevices/comN"), and answers the AT commands it
// receives the way the chosen kind of modem would, until it is ended by a signal; the link it
// made is removed again.
//
//   modemsim [--answer ok|f-only|one-byte|silent|error] [--echo] [--prefix DIR --port N]
//            [--log FILE] [--exit-after SECONDS]
//
//   ok        every AT command gets "\r\nOK\r\n" (a modem that knows "AT&F1")
//   f-only    "AT&F1" gets "\r\nERROR\r\n", every other command OK (an older modem)
//   one-byte  every command gets the single byte "0"
//   silent    nothing is answered
//   error     every command gets "\r\nERROR\r\n"
//
// --log appends each command received, one a line, as it arrives. --exit-after ends the simulator
// by itself (for a starter that cannot signal it).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

volatile sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

enum class Answer { Ok, FOnly, OneByte, Silent, Error };

bool parseAnswer(const char* text, Answer& answer) {
    const std::string s = text;
    if (s == "ok") answer = Answer::Ok;
    else if (s == "f-only") answer = Answer::FOnly;
    else if (s == "one-byte") answer = Answer::OneByte;
    else if (s == "silent") answer = Answer::Silent;
    else if (s == "error") answer = Answer::Error;
    else return false;
    return true;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string reply(Answer answer, const std::string& command) {
    switch (answer) {
    case Answer::Ok: return "\r\nOK\r\n";
    case Answer::FOnly: return upper(command) == "AT&F1" ? "\r\nERROR\r\n" : "\r\nOK\r\n";
    case Answer::OneByte: return "0";
    case Answer::Silent: return "";
    case Answer::Error: return "\r\nERROR\r\n";
    }
    return "";
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

int usage() {
    std::fprintf(stderr,
                 "usage: modemsim [--answer ok|f-only|one-byte|silent|error] [--echo]\n"
                 "                [--prefix DIR --port N] [--log FILE] [--exit-after SECONDS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Answer answer = Answer::Ok;
    bool echo = false;
    std::string prefix, logPath;
    int port = 0;
    long exitAfter = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--answer" && i + 1 < argc) {
            if (!parseAnswer(argv[++i], answer)) return usage();
        } else if (arg == "--echo") {
            echo = true;
        } else if (arg == "--prefix" && i + 1 < argc) {
            prefix = argv[++i];
        } else if (arg == "--port" && i + 1 < argc) {
            port = std::atoi(argv[++i]);
            if (port < 1 || port > 256) return usage();
        } else if (arg == "--exit-after" && i + 1 < argc) {
            exitAfter = std::atol(argv[++i]);
            if (exitAfter <= 0) return usage();
        } else if (arg == "--log" && i + 1 < argc) {
            logPath = argv[++i];
        } else {
            return usage();
        }
    }
    if (!prefix.empty() != (port != 0)) return usage();

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("modemsim: pseudo-terminal");
        return 1;
    }
    const std::string slave = ::ptsname(master);
    // Holding the terminal side open keeps the line up between the programs that open the port
    // (the master reads no hang-up in between); this process never reads from it.
    const int hold = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (hold < 0) {
        std::perror("modemsim: terminal");
        return 1;
    }
    termios tio{};
    if (::tcgetattr(hold, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(hold, TCSANOW, &tio);
    }

    std::string link;
    if (port) {
        const std::string folder = prefix + "/dosdevices";
        ::mkdir(prefix.c_str(), 0755);
        ::mkdir(folder.c_str(), 0755);
        link = folder + "/com" + std::to_string(port);
        ::unlink(link.c_str());
        if (::symlink(slave.c_str(), link.c_str()) != 0) {
            std::perror("modemsim: link");
            return 1;
        }
    }
    FILE* log = logPath.empty() ? nullptr : std::fopen(logPath.c_str(), "a");
    if (!logPath.empty() && !log) {
        std::perror("modemsim: log");
        return 1;
    }

    struct sigaction sa{};
    sa.sa_handler = onSignal;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    ::sigaction(SIGALRM, &sa, nullptr);

    std::printf("%s\n", slave.c_str());
    std::fflush(stdout);
    if (exitAfter) ::alarm(static_cast<unsigned>(exitAfter));

    std::string line;
    while (!g_stop) {
        pollfd p{master, POLLIN, 0};
        const int ready = ::poll(&p, 1, 200);
        if (ready <= 0) continue;
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) continue;
        if (echo) writeAll(master, std::string(buffer, static_cast<size_t>(n)));
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            // Line feeds are no part of a command, as for a modem: a port whose output turns
            // carriage returns into line feeds (or adds them) still sends the same commands.
            if (c == '\n') continue;
            if (c != '\r') {
                line += c;
                continue;
            }
            const std::string command = line;
            line.clear();
            if (upper(command).rfind("AT", 0) != 0) continue;
            if (log) {
                std::fprintf(log, "%s\n", command.c_str());
                std::fflush(log);
            }
            writeAll(master, reply(answer, command));
        }
    }
    if (!link.empty()) {
        // Only the link this process made, not one another simulator put there since.
        char target[4096];
        const ssize_t size = ::readlink(link.c_str(), target, sizeof target - 1);
        if (size > 0 && std::string(target, static_cast<size_t>(size)) == slave) ::unlink(link.c_str());
    }
    if (log) std::fclose(log);
    ::close(hold);
    ::close(master);
    return 0;
}
