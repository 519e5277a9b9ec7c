// The wizard as the tests run it, without a display: a copy of the built program in a folder of
// its own (its libraries and helper programs linked beside it, its trace switched on), started
// with a current folder and arguments of the test's choosing.
#pragma once

#include "config_block.h"
#include "testenv.h"

#include <windows.h>

#include <string>
#include <vector>

namespace wizard_test {

struct WizardRun {
    int exitCode = -1;
    std::string err;
    std::string trace;  // trace.txt of the current folder
};

// A program folder with "orvane" (the build's, its block appended), "orvane.strings" switching
// the trace on, and links to the libraries and to `helpers` (built program names, linked under
// the same name).
std::string programFolder(const std::vector<std::string>& helpers);

// Runs the folder's wizard in `currentFolder` with `args`.
WizardRun runWizard(const std::string& programFolder, const std::string& currentFolder,
              const std::vector<std::string>& args);

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

}  // namespace wizard_test
