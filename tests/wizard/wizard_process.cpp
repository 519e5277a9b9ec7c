// Running the wizard program from the tests.
#include "wizard_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace wizard_test {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string programFolder(const std::vector<std::string>& helpers) {
    const std::string folder = lumora_test::scratchDir();
    const fs::path built = lumora_test::binaryDir();
    fs::copy_file(built / "orvane", fs::path(folder) / "orvane");
    std::ofstream(fs::path(folder) / "orvane.strings") << "114 = \"1\"\n";
    for (const auto& entry : fs::directory_iterator(built))
        if (entry.path().extension() == ".so")
            fs::create_symlink(entry.path(), fs::path(folder) / entry.path().filename());
    // Copies, not links: a helper looks for programs beside its own file first, as on Windows.
    for (const std::string& helper : helpers) fs::copy_file(built / helper, fs::path(folder) / helper);
    return folder;
}

namespace {

pid_t spawn(const std::string& programFolder, const std::string& currentFolder,
            const std::vector<std::string>& args, bool display) {
    const std::string program = programFolder + "orvane";
    const std::string errPath = currentFolder + "wizard.err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(currentFolder.c_str()) != 0) ::_exit(126);
        if (!display) {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
        }
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

}  // namespace

WizardRun runWizard(const std::string& programFolder, const std::string& currentFolder,
                    const std::vector<std::string>& args) {
    const pid_t pid = spawn(programFolder, currentFolder, args, false);
    WizardRun run;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.err = readFile(currentFolder + "wizard.err");
    run.trace = readFile(currentFolder + "trace.txt");
    return run;
}

pid_t startWizard(const std::string& programFolder, const std::string& currentFolder,
                  const std::vector<std::string>& args) {
    return spawn(programFolder, currentFolder, args, true);
}

bool traceShows(const std::string& currentFolder, const std::string& line, int seconds, int times) {
    for (int i = 0; i < seconds * 10; ++i, ::usleep(100000)) {
        const std::string trace = readFile(currentFolder + "trace.txt");
        int found = 0;
        for (size_t at = trace.find(line); at != std::string::npos; at = trace.find(line, at + 1)) ++found;
        if (found >= times) return true;
    }
    return false;
}

void pressKey(const char* key) {
    ::usleep(300000);  // the page in place and focused before the key arrives
    const std::string command = std::string("xdotool key ") + key;
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
}

int waitWizard(pid_t pid, int seconds) {
    int status = 0;
    for (int i = 0; i < seconds * 10; ++i, ::usleep(100000))
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

void pumpMessages(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

void writeConfigFile(const ConfigBlock& block, const std::string& path) {
    const std::vector<BYTE> bytes = ::writeConfigFile(block);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

ConfigBlock testBlock(const std::string& cleanup) {
    ConfigBlock block;
    block.m_Version = 21;
    block.m_Data.m_ProviderTitle = "Testanbieter";
    block.m_Data.m_ShortName = "kurz";
    block.m_Data.m_CleanupHelper = {cleanup, SW_SHOW, 1};
    return block;
}

std::string variable(const char* key) {
    char value[256] = {};
    GetPrivateProfileStringA("variables", key, "<absent>", value, sizeof value, "kurz.dat");
    return value;
}

void setVariable(const char* key, const char* value) {
    WritePrivateProfileStringA("variables", key, value, "kurz.dat");
}

void setWindowsVersion(const char* version) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\Lumora", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "WindowsVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(std::string(version).size() + 1));
    RegCloseKey(key);
}

void addDialDevice(const char* name, const char* type) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\Lumora\\RasDevices", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(type),
                   static_cast<DWORD>(std::string(type).size() + 1));
    RegCloseKey(key);
}

}  // namespace wizard_test
