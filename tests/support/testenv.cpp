// Test helpers and the per-process test prefix.
#include "testenv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace lumora_test {
namespace {

std::atomic<int> counter{0};

// Process ids come round again within one long run, and scratch folders outlive their process on
// Windows, so a name made of the id alone can meet another test's leftovers.
const std::string& salt() {
    static const std::string text = [] {
        std::random_device device;
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%06x", device() & 0xffffffu);
        return std::string(buffer);
    }();
    return text;
}

std::mutex scratchMutex;
std::vector<std::filesystem::path> scratchDirs;

#ifndef _WIN32
// Linux: a fresh prefix for this test process, removed again at the end. Child processes inherit
// it through the environment.
class PrefixEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (std::getenv("LUMORA_TEST_SHARED_PREFIX")) return;
        char tmpl[] = "/tmp/lumora-test-XXXXXX";
        if (char* dir = ::mkdtemp(tmpl)) {
            dir_ = dir;
            ::setenv("LUMORA_PREFIX", dir, 1);
        }
    }
    void TearDown() override {
        if (std::getenv("LUMORA_TEST_KEEP_PREFIX")) return;
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
        std::lock_guard lock(scratchMutex);
        for (const auto& scratch : scratchDirs) std::filesystem::remove_all(scratch, ec);
    }

private:
    std::string dir_;
};

const auto* registered = ::testing::AddGlobalTestEnvironment(new PrefixEnvironment);
#endif

std::string tag(const char* hint) {
    return std::string(hint) + "-" + std::to_string(getpid()) + salt() + "-" +
           std::to_string(++counter);
}

}  // namespace

bool onLinux() {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}

std::string uniqueKey(const char* hint) { return "Software\\LumoraTests\\" + tag(hint); }

std::string scratchDir() {
    std::filesystem::path dir;
    std::error_code ec;
    do dir = std::filesystem::temp_directory_path() / ("lumora-" + tag("d"));
    while (!std::filesystem::create_directory(dir, ec) && !ec);
    {
        std::lock_guard lock(scratchMutex);
        scratchDirs.push_back(dir);
    }
    std::string text = dir.string();
#ifdef _WIN32
    return text + "\\";
#else
    return text + "/";
#endif
}

std::string binaryDir() {
#ifdef _WIN32
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, n);
    return text.substr(0, text.find_last_of("\\/") + 1);
#else
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return exe.parent_path().string() + "/";
#endif
}

std::string builtProgram(const char* baseName) {
#ifdef _WIN32
    return binaryDir() + baseName + ".exe";
#else
    return binaryDir() + baseName;
#endif
}

}  // namespace lumora_test
