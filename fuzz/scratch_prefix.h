// A prefix of the fuzz run's own in a fresh temporary folder, removed at exit, so that targets
// which go through the Windows API (files, profiles) never touch the user's prefix. Message boxes
// go to standard error: there is no display.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::string useScratchPrefix() {
    // A plain array, not a string: the removal at exit runs after static objects are destroyed.
    static char folder[] = "/tmp/lumora-fuzz-XXXXXX";
    static const bool made = [] {
        if (!::mkdtemp(folder)) std::abort();
        ::setenv("LUMORA_PREFIX", folder, 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(folder, error);
        });
        return true;
    }();
    (void)made;
    return folder;
}
