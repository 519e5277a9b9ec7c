// The program's own favorites dialogs as a user meets them on an Xvfb display: adding a page
// (the page's title offered as a name it can hold, the folder chosen) writes a shortcut that the
// favorites pages then show; organising renames, moves, makes and deletes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <shlobj.h>

#include "dialog.h"
#include "favorites.h"
#include "testenv.h"
#include "xvfb.h"

namespace fs = std::filesystem;

namespace {

class Display : public testing::Environment {
public:
    void SetUp() override { started = server.start(); }
    lumora_test::XvfbServer server;
    bool started = false;
};
Display* display = static_cast<Display*>(testing::AddGlobalTestEnvironment(new Display));

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What the user does in the dialog of that caption once it is up, run from a timer while the
// dialog runs modally.
std::function<void(ui::Dialog&)> g_User;
const char* g_Caption = nullptr;
bool g_Seen = false;

void CALLBACK actAsUser(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = FindWindowA(nullptr, g_Caption);
    ui::Dialog* dialog = window ? ui::findDialog(window) : nullptr;
    if (!dialog) return;
    KillTimer(nullptr, timer);
    g_Seen = true;
    g_User(*dialog);
}

void whenShown(const char* caption, std::function<void(ui::Dialog&)> user) {
    g_Caption = caption;
    g_User = std::move(user);
    g_Seen = false;
    SetTimer(nullptr, 0, 50, actAsUser);
}

int itemIndex(ui::Dialog& d, int id, const std::string& text) {
    for (int i = 0; i < d.itemCount(id); ++i)
        if (d.itemText(id, i) == text) return i;
    return -1;
}

class FavoritesDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        if (!display->started) GTEST_SKIP() << "Xvfb is not installed or does not start";
        char path[MAX_PATH] = {};
        ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_FAVORITES, TRUE));
        // The system names it with backslashes; this test reaches it through the host's library.
        favorites = path;
        for (char& c : favorites)
            if (c == '\\') c = '/';
        fs::remove_all(favorites);
        fs::create_directories(favorites + "/Nachrichten/Lokal");
        std::ofstream(favorites + "/Nachrichten/Wetter.url")
            << "[InternetShortcut]\r\nURL=http://wetter.example/\r\n";
    }
    std::string favorites;
};

TEST_F(FavoritesDialogs, AddingAPageWritesItsShortcutIntoTheChosenFolderAndItsPageShowsIt) {
    std::string offered;
    whenShown("Zu Favoriten hinzuf\xfcgen", [&](ui::Dialog& d) {
        offered = d.text(101);
        d.setText(101, "Lumora Hilfe");
        const int folder = itemIndex(d, 102, "Favoriten\\Nachrichten\\Lokal");
        d.setSelection(102, folder);
        // Without the folder in the list OK would keep the dialog open.
        d.press(folder >= 0 ? IDOK : IDCANCEL);
    });
    // The title comes from a page: it must not lead the shortcut out of the folder.
    addFavorite(nullptr, "..\\..\\Hilfe: <Lumora>", "http://hilfe.example/?a=1&b=2");
    ASSERT_TRUE(g_Seen);
    EXPECT_EQ(offered, "-..-Hilfe- -Lumora-");
    const std::string shortcut = favorites + "/Nachrichten/Lokal/Lumora Hilfe.url";
    ASSERT_TRUE(fs::exists(shortcut));
    EXPECT_NE(fileText(shortcut).find("URL=http://hilfe.example/?a=1&b=2"), std::string::npos);

    // The pages show it, in the folder's page.
    const std::string program = lumora_test::scratchDir();
    convertFavorites(program);
    EXPECT_NE(fileText(program + "defhtml/Favoriten/Nachrichten/Lokal/index.html")
                  .find("<a href=\"http://hilfe.example/?a=1&amp;b=2\">"),
              std::string::npos);

    // Cancelled, nothing is written.
    whenShown("Zu Favoriten hinzuf\xfcgen", [](ui::Dialog& d) { d.press(IDCANCEL); });
    addFavorite(nullptr, "Noch eine", "http://noch.example/");
    ASSERT_TRUE(g_Seen);
    EXPECT_FALSE(fs::exists(favorites + "/Noch eine.url"));
}

TEST_F(FavoritesDialogs, OrganisingRenamesMovesMakesAndDeletes) {
    whenShown("Favoriten verwalten", [](ui::Dialog& d) {
        d.setSelection(201, itemIndex(d, 201, "Nachrichten\\Wetter"));
        d.setText(202, "Wetter heute");
        d.press(203);  // rename
        d.setSelection(201, itemIndex(d, 201, "Nachrichten\\Wetter heute"));
        d.setSelection(204, itemIndex(d, 204, "Favoriten"));
        d.press(205);  // move to the top
        d.setText(202, "Neu");
        d.setSelection(204, itemIndex(d, 204, "Favoriten\\Nachrichten"));
        d.press(207);  // new folder there
        d.setSelection(201, itemIndex(d, 201, "Nachrichten\\Lokal\\"));
        d.press(206);  // delete
        // A folder cannot go into its own subfolder.
        d.setSelection(201, itemIndex(d, 201, "Nachrichten\\"));
        d.setSelection(204, itemIndex(d, 204, "Favoriten\\Nachrichten\\Neu"));
        d.press(205);
        d.press(IDOK);
    });
    organizeFavorites(nullptr);
    ASSERT_TRUE(g_Seen);
    EXPECT_TRUE(fs::exists(favorites + "/Wetter heute.url"));
    EXPECT_FALSE(fs::exists(favorites + "/Nachrichten/Wetter.url"));
    EXPECT_TRUE(fs::is_directory(favorites + "/Nachrichten/Neu"));
    EXPECT_FALSE(fs::exists(favorites + "/Nachrichten/Lokal"));
}

}  // namespace
