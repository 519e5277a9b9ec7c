// Collecting the command lines the updater stand-in (updater_probe) recorded in a folder.
#pragma once

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testenv.h"

// Copies the shared libraries the test programs load from beside themselves (none where the
// programs are linked statically) into `folder`.
inline void copyProgramLibraries(const std::string& folder) {
    std::filesystem::path bin = std::filesystem::path(lumora_test::binaryDir());
    for (const auto& entry : std::filesystem::directory_iterator(bin))
        if (entry.path().extension() == ".so")
            std::filesystem::copy_file(entry.path(),
                                       std::filesystem::path(folder) / entry.path().filename(),
                                       std::filesystem::copy_options::skip_existing);
}

// Copies the stand-in into `folder` under the updater's name.
inline void installUpdaterProbe(const std::string& folder) {
    std::filesystem::copy_file(lumora_test::builtProgram("updater_probe"),
                               std::filesystem::path(folder) / "TnUpdate.exe",
                               std::filesystem::copy_options::overwrite_existing);
    copyProgramLibraries(folder);
}

// The command lines recorded so far, sorted.
inline std::vector<std::string> probeCalls(const std::string& folder) {
    std::vector<std::string> calls;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string file = entry.path().filename().string();
        if (file.rfind("call-", 0) != 0 || entry.path().extension() != ".txt") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        calls.push_back(text.str());
    }
    std::sort(calls.begin(), calls.end());
    return calls;
}

// Waits (at most about 30 s) until `count` command lines are recorded; returns them.
inline std::vector<std::string> waitForProbeCalls(const std::string& folder, size_t count) {
    std::vector<std::string> calls = probeCalls(folder);
    for (int i = 0; i < 300 && calls.size() < count; ++i) {
        Sleep(100);
        calls = probeCalls(folder);
    }
    return calls;
}
