// The application object of a test: an install folder of its own with a program name of its
// own, a browser and a current web browser control registered, and stand-ins for the other
// parts. Helpers put the account, the skin and the dial-up state in place.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "app.h"
#include "fakes.h"
#include "registry.h"
#include "test_names.h"

class AppTest : public ::testing::Test {
protected:
    static constexpr const char* kIePath =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
    static constexpr const char* kNetscapePath =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\NETSCAPE.EXE";
    static constexpr const char* kIeVersion = "SOFTWARE\\Microsoft\\Internet Explorer";

    void SetUp() override {
        before_ = std::filesystem::current_path();
        name = uniqueProgramName();
        dir = lumora_test::scratchDir();
        paths = AppPaths::fromPath(dir + name + ".exe");
        inst = paths.installDir;
        key = "Software\\" + name;
        entry = name + " Online";
        saved_[0] = saveMachine(kIePath, "Path");
        saved_[1] = saveMachine(kNetscapePath, "Path");
        saved_[2] = saveMachine(kIeVersion, "Version");
        regWriteString(kIePath, "Path", "C:\\Programme\\Internet Explorer;", HKEY_LOCAL_MACHINE);
        regWriteString(kIeVersion, "Version", "5.50.4134.0600", HKEY_LOCAL_MACHINE);
        regWriteString(key.c_str(), "RasEntryName", entry.c_str());
    }

    void TearDown() override {
        app.reset();
        restoreMachine(kIePath, "Path", saved_[0]);
        restoreMachine(kNetscapePath, "Path", saved_[1]);
        restoreMachine(kIeVersion, "Version", saved_[2]);
        std::filesystem::current_path(before_);
    }

    CLmrApp& start() {
        app.reset();
        app = std::make_unique<CLmrApp>(paths, parts.services());
        return *app;
    }
    std::string commandLine(const std::string& arguments) const {
        return "\"" + dir + name + ".exe\" " + arguments;
    }
    bool init(const std::string& arguments) {
        return app->InitInstance(commandLine(arguments).c_str());
    }

    // A customer whose account is set up: the dial device exists, the start-up mode is normal
    // and the first-time branding is done.
    void normalAccount(const char* mode = "0") {
        parts.existingDevice = "ISDN Adapter 1";
        WritePrivateProfileStringA("variables", "RasDeviceName", "\"ISDN Adapter 1\"",
                                   (name + ".dat").c_str());
        regWriteString(key.c_str(), "StartupMode", mode);
        regWriteString(key.c_str(), "Installed", "1");
    }
    // The default skin's folder with its skin.ini.
    void installSkin() {
        std::filesystem::create_directories(dir + "defhtml");
        std::ofstream(dir + "defhtml/skin.ini") << "[Browser]\n";
    }
    void noDialup() { std::ofstream(dir + name + ".ini") << "[Dialup]\nUseRas=0\n"; }

    std::string trace() const {
        std::ifstream in(dir + "trace.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string popupPage() const {
        FakeWindow* popup = static_cast<FakeWindow*>(app->popup());
        return popup && !popup->extraUrls.empty() ? popup->extraUrls.back() : std::string();
    }
    std::string autoDialConnected() const {
        return regReadString(("Software\\Tarnwell\\AutoDial\\" + entry).c_str(), "Connected",
                             "(none)");
    }

    std::string name, dir, inst, key, entry;
    AppPaths paths;
    FakeParts parts;
    std::unique_ptr<CLmrApp> app;

private:
    static std::optional<std::string> saveMachine(const char* k, const char* value) {
        const char* text = regReadString(k, value, nullptr, HKEY_LOCAL_MACHINE);
        return text ? std::optional<std::string>(text) : std::nullopt;
    }
    static void restoreMachine(const char* k, const char* value,
                               const std::optional<std::string>& text) {
        if (text)
            regWriteString(k, value, text->c_str(), HKEY_LOCAL_MACHINE);
        else
            regDeleteValue(k, value, HKEY_LOCAL_MACHINE);
    }

    std::filesystem::path before_;
    std::optional<std::string> saved_[3];
};
