// Running pollex, the scripting host, from the extenders' tests: natively, or the Windows build
// under 64-bit Wine with a Wine prefix of the test's own. Needs LUMORA_SOURCE_DIR and testenv.h.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "testenv.h"

namespace {

struct PollexRun {
    int exitCode = -1;
    std::string output;
};

const std::string kWine = "/usr/lib/wine/wine64";
const std::string kWineBin = LUMORA_SOURCE_DIR "/build/wine-tests/bin/";

// Where pollex runs: natively, or a Windows build under Wine with a Wine prefix of its own (by
// default the x86_64 test build under 64-bit Wine).
struct Host {
    bool wine = false;
    std::string winePrefix;
    std::string wineLoader = kWine;
    std::string wineBin = kWineBin;
    bool wine32 = false;  // a 32-bit prefix, for the shipped i686 build
    // A host path as the script's pollex sees it.
    std::string path(const std::string& host) const {
        if (!wine) return host;
        std::string windows = "Z:" + host;
        for (char& c : windows)
            if (c == '/') c = '\\';
        return windows;
    }
    // The environment a Wine program of this host runs with, as a shell prefix.
    std::string wineEnvironment() const {
        return "WINEPREFIX='" + winePrefix + "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' " +
               (wine32 ? "WINEARCH=win32 " : "");
    }
    // Ends the prefix's Wine server and everything running in it.
    void stopWine() const {
        const std::string server = wine32 ? "/usr/lib/wine/wineserver32" : "/usr/lib/wine/wineserver64";
        std::system(("WINEPREFIX='" + winePrefix + "' " + server + " -k >/dev/null 2>&1").c_str());
    }
};

// Runs pollex with these arguments; its standard output is kept (without CRs under Wine).
PollexRun pollex(const std::vector<std::string>& arguments, const Host& host = Host{}) {
    std::string command = host.wine ? host.wineEnvironment() + host.wineLoader + " " + host.wineBin + "pollex.exe"
                                    : lumora_test::builtProgram("pollex");
    for (const auto& a : arguments) command += " '" + a + "'";
    command += " 2>/dev/null";
    PollexRun run;
    FILE* in = popen(command.c_str(), "r");
    if (!in) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) run.output.append(buffer, n);
    const int status = pclose(in);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (host.wine) std::erase(run.output, '\r');
    return run;
}

std::string lines(std::initializer_list<const char*> list) {
    std::string text;
    for (const char* line : list) text += std::string(line) + "\n";
    return text;
}

}  // namespace
