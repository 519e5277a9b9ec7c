// ShellExecuteA: a verb is looked up through HKEY_CLASSES_ROOT and its command run on the file
// found in the given folder; a missing file and a verb nobody registered are errors.
#include <windows.h>
#include <shellapi.h>

#include "testenv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string normalised(std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
}

void setDefault(const std::string& key, const std::string& value) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(opened);
}

class ShellVerbs : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string key = lumora_test::uniqueKey("x");
        std::string tag = key.substr(key.find_last_of('\\') + 1);
        tag.erase(std::remove(tag.begin(), tag.end(), '-'), tag.end());
        extension_ = ".lmt" + tag;
        class_ = "LumoraTest" + tag;
        folder_ = lumora_test::scratchDir() + "with blanks";
        CreateDirectoryA(folder_.c_str(), nullptr);
        file_ = "x" + extension_;
        std::ofstream(folder_ + "/" + file_) << "data";
        record_ = lumora_test::scratchDir() + "record";
        ASSERT_TRUE(SetEnvironmentVariableA("LUMORA_PROBE_RECORD", record_.c_str()));
        setDefault(extension_, class_);
        setDefault(class_ + "\\shell\\install\\command",
                   "\"" + lumora_test::builtProgram("cmdprobe") + "\" \"%1\" %*");
    }
    void TearDown() override {
        for (const std::string& key : {class_ + "\\shell\\install\\command", class_ + "\\shell\\install",
                                       class_ + "\\shell", class_, extension_})
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    }

    std::string extension_, class_, folder_, file_, record_;
};

TEST_F(ShellVerbs, RegisteredVerbRunsOnTheFileInTheFolder) {
    const HINSTANCE result =
        ShellExecuteA(nullptr, "install", file_.c_str(), "extra", folder_.c_str(), SW_SHOWNORMAL);
    ASSERT_GT(reinterpret_cast<UINT_PTR>(result), 32u);
    const std::string recorded = record_ + ".cmdprobe";
    for (int waited = 0; GetFileAttributesA(recorded.c_str()) == INVALID_FILE_ATTRIBUTES && waited < 20000; waited += 50)
        Sleep(50);
    std::ifstream in(recorded);
    std::string commandLine, currentFolder;
    ASSERT_TRUE(std::getline(in, commandLine));
    std::getline(in, currentFolder);
    EXPECT_EQ(normalised(currentFolder), normalised(folder_));
    // The file is named in full, or (as Wine passes it) relative to the folder the verb runs in.
    const size_t open = commandLine.find('"', commandLine.find('"', 1) + 1);
    ASSERT_NE(open, std::string::npos) << commandLine;
    const size_t close = commandLine.find('"', open + 1);
    std::string file = commandLine.substr(open + 1, close - open - 1);
    if (file.find_first_of("\\/") == std::string::npos) file = currentFolder + "\\" + file;
    EXPECT_EQ(normalised(file), normalised(folder_ + "\\" + file_)) << commandLine;
    EXPECT_EQ(commandLine.substr(close + 1), " extra");
}

TEST_F(ShellVerbs, VerbWithoutCommandHasNoAssociation) {
    const HINSTANCE result = ShellExecuteA(nullptr, "frobnicate", file_.c_str(), nullptr, folder_.c_str(), SW_SHOWNORMAL);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(result), static_cast<UINT_PTR>(SE_ERR_NOASSOC));
}

TEST_F(ShellVerbs, MissingFileIsNotFound) {
    const HINSTANCE result = ShellExecuteA(nullptr, "install", ("absent" + extension_).c_str(), nullptr,
                                           folder_.c_str(), SW_SHOWNORMAL);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(result), static_cast<UINT_PTR>(SE_ERR_FNF));
}

}  // namespace
