// Stands in for the updater in the tests: records the command line it was started with in a
// file "call-<process id>.txt" beside itself, written under another name first and then renamed,
// so a test that finds the file finds it complete.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

int main() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return 1;
    std::filesystem::path folder = std::filesystem::path(std::string(path, n)).parent_path();
    std::string name = "call-" + std::to_string(GetCurrentProcessId());
    std::filesystem::path partial = folder / (name + ".part");
    {
        std::ofstream out(partial, std::ios::binary);
        out << GetCommandLineA();
        if (!out) return 1;
    }
    std::error_code error;
    std::filesystem::rename(partial, folder / (name + ".txt"), error);
    return error ? 1 : 0;
}
