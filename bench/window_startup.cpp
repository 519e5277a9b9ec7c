// Benchmark of the browser center's window: the cold start of `lumora` up to the first
// document-complete of its portal, against a bare WebKitGTK window loading the same page in the
// same run, and the memory (PSS of all processes) of one window with its five panes against the
// bare window's. Runs on an Xvfb display of its own, alternating the two programs. The window's
// show pause (a second in which its panes draw and load their pages) holds no page back, so
// nothing is subtracted from the start-up.
//
//   window_startup_bench [runs]      (programs are taken from the folder of the benchmark)
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The memory is read once both programs have settled: after the window's show pause of a second.
constexpr int kSettleMs = 2000;

pid_t spawn(const std::vector<std::string>& args, const std::string& output) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? 0 : pid;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Milliseconds until `file` contains `marker`; negative after 60 seconds.
double waitForMarker(Clock::time_point start, const fs::path& file, const std::string& marker) {
    while (Clock::now() - start < std::chrono::seconds(60)) {
        if (readAll(file).find(marker) != std::string::npos)
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return -1;
}

pid_t parentOf(pid_t pid) {
    std::string stat = readAll("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(stat.substr(close + 2));
    char state;
    pid_t parent = 0;
    rest >> state >> parent;
    return parent;
}

std::vector<pid_t> processTree(pid_t root) {
    std::vector<pid_t> all;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc))
            if (pid_t pid = std::atoi(entry->d_name); pid > 0) all.push_back(pid);
        closedir(proc);
    }
    std::vector<pid_t> tree{root};
    for (size_t i = 0; i < tree.size(); ++i)
        for (pid_t pid : all)
            if (parentOf(pid) == tree[i]) tree.push_back(pid);
    return tree;
}

// PSS of the process and all its descendants, in MiB.
double pssMiB(pid_t root) {
    long kib = 0;
    for (pid_t pid : processTree(root)) {
        std::istringstream rollup(readAll("/proc/" + std::to_string(pid) + "/smaps_rollup"));
        std::string line;
        while (std::getline(rollup, line))
            if (line.rfind("Pss:", 0) == 0) kib += std::atol(line.c_str() + 4);
    }
    return kib / 1024.0;
}

void stop(pid_t pid) {
    std::vector<pid_t> tree = processTree(pid);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    for (pid_t child : tree)
        if (child != pid) ::kill(child, SIGTERM);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Sample {
    double ms = -1;
    double mib = 0;
};

Sample measure(const std::vector<std::string>& command, const fs::path& watched,
               const std::string& marker, const fs::path& output) {
    fs::remove(watched);
    Clock::time_point start = Clock::now();
    pid_t pid = spawn(command, output);
    if (pid <= 0) return {};
    Sample sample;
    sample.ms = waitForMarker(start, watched, marker);
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
    sample.mib = pssMiB(pid);
    stop(pid);
    return sample;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    fs::path work = fs::temp_directory_path() / ("lumora-bench-" + std::to_string(::getpid()));
    fs::path install = work / "install";
    fs::create_directories(install);
    for (const char* file : {"lumora", "libwinapi.so", "defhtml.dat"})
        fs::copy_file(bin / file, install / file);
    std::ofstream(install / "lumora.ini") << "[Dialup]\r\nUseRas=0\r\n";
    // The trace tells when the portal's document is complete.
    std::ofstream(install / "lumora.strings") << "114 = \"1\"\n";
    ::setenv("LUMORA_PREFIX", (work / "prefix").c_str(), 1);

    // The server picks a free display number and tells it through a pipe.
    int fds[2];
    if (::pipe(fds) != 0) return 1;
    pid_t server = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                          "1280x900x24", "-nolisten", "tcp"},
                         "/dev/null");
    ::close(fds[1]);
    std::string number;
    char c;
    while (server > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    ::setenv("DISPLAY", (":" + number).c_str(), 1);

    std::vector<std::string> lumora{(install / "lumora").string()};
    std::vector<std::string> bare{(bin / "bare_webkit").string(),
                                  "file://" + (install / "defhtml" / "portal.htm").string()};
    fs::path trace = install / "trace.txt", bareOutput = work / "bare.txt";
    // A first start unpacks the skin and makes the prefix; it is not counted.
    measure(lumora, trace, "portal document complete", work / "lumora.txt");

    std::vector<double> lumoraMs, bareMs, lumoraMiB, bareMiB;
    for (int i = 0; i < runs; ++i) {
        Sample b = measure(bare, bareOutput, "document complete", bareOutput);
        Sample l = measure(lumora, trace, "portal document complete", work / "lumora.txt");
        if (b.ms < 0 || l.ms < 0) {
            std::fprintf(stderr, "run %d: a program did not reach document complete\n", i + 1);
            continue;
        }
        bareMs.push_back(b.ms);
        lumoraMs.push_back(l.ms);
        bareMiB.push_back(b.mib);
        lumoraMiB.push_back(l.mib);
    }
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    fs::remove_all(work);
    if (lumoraMs.empty()) return 1;

    double l = median(lumoraMs), b = median(bareMs);
    std::printf("start-up to the portal's document complete (median of %zu runs)\n",
                lumoraMs.size());
    std::printf("  bare WebKitGTK window (baseline): %8.0f ms\n", b);
    std::printf("  lumora:                           %8.0f ms   ratio %.2f (goal: <= 1.20)\n", l,
                l / b);
    double lm = median(lumoraMiB), bm = median(bareMiB);
    std::printf("memory, PSS of all processes (median)\n");
    std::printf("  bare WebKitGTK window, one view (baseline): %6.1f MiB\n", bm);
    std::printf("  lumora, one window with five panes:         %6.1f MiB   ratio %.2f (goal: <= 230 MiB)\n",
                lm, lm / bm);
    return 0;
}
