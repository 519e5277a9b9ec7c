// The wizard as the tests run it, without a display: a copy of the built program in a folder of
// its own (its libraries and helper programs linked beside it, its trace switched on), started
// with a current folder and arguments of the test's choosing.
#pragma once

#include "config_block.h"
#include "testenv.h"

#include <windows.h>

#include <sys/types.h>

#include <string>
#include <vector>

namespace wizard_test {

struct WizardRun {
    int exitCode = -1;
    std::string err;
    std::string trace;  // trace.txt of the current folder
};

// A program folder with "orvane" (the build's, its block appended), "orvane.strings" switching
// the trace on, links to the libraries and copies of `helpers` (built program names).
std::string programFolder(const std::vector<std::string>& helpers);

// Runs the folder's wizard in `currentFolder` with `args`, without a display.
WizardRun runWizard(const std::string& programFolder, const std::string& currentFolder,
                    const std::vector<std::string>& args);
// Starts it on the test's display; its process id.
pid_t startWizard(const std::string& programFolder, const std::string& currentFolder,
                  const std::vector<std::string>& args);
// Waits (at most about `seconds`) until `currentFolder`'s trace holds `line` `times` times.
bool traceShows(const std::string& currentFolder, const std::string& line, int seconds = 30, int times = 1);
// Presses a key on the test's display (xdotool).
void pressKey(const char* key);
// The wizard's exit code, -1 when it did not end within about `seconds`.
int waitWizard(pid_t pid, int seconds = 30);

// Runs this thread's messages for `ms` milliseconds, as the wizard's own loop does.
void pumpMessages(DWORD ms);

// Writes `block` as a configuration file.
void writeConfigFile(const ConfigBlock& block, const std::string& path);

// A small block of the current version with the given order numbers and a clean-up helper.
ConfigBlock testBlock(const std::string& cleanup);

std::string readFile(const std::string& path);

// A value of the variables file "kurz.dat" in the prefix's Windows folder; "<absent>" when the key
// (or the file) is not there.
std::string variable(const char* key);
void setVariable(const char* key, const char* value);

void setWindowsVersion(const char* version);
// A dial device of the simulated dial-up engine, `type` as its device type ("isdn", "modem").
void addDialDevice(const char* name, const char* type);

}  // namespace wizard_test
