// Where a program lives and what it is called. The program name (its file name without ".exe",
// lower case) names its registry key "Software\<name>", its ini and settings files and its
// shared instance counter; the install folder is also its current folder.
#pragma once

#include <windows.h>

#include <string>

struct AppPaths {
    std::string fullPath;     // lower case, long form: "c:\programme\lumora\lumora.exe"
    std::string fileName;     // "lumora.exe" (on a system without extensions: "lumora")
    std::string programName;  // "lumora"
    std::string installDir;   // "c:\programme\lumora\", with the trailing separator

    // The paths of the module (null: the program) as the system reports them.
    static AppPaths ofModule(HMODULE module = nullptr);
    // The paths derived from a full path as it would be reported.
    static AppPaths fromPath(const std::string& path);
};
