// The skins: the rules of skin.ini, the list of loaded skins with their archives, the fallback
// layout and the refresh after an update.
#include "skins.h"

#include "packed_archives.h"
#include "packed_archive.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

void writeFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

bool sameRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

class SkinsTest : public ::testing::Test {
protected:
    std::string install = lumora_test::scratchDir();
    PackedArchiveFiles archives;
    CSkinStore store{install, archives};

    // The folder of a skin as the store writes it (install folder, name, backslash).
    std::string folder(const std::string& name) { return install + name + "\\"; }
    void writeSkinIni(const std::string& name, const std::string& text) {
        writeFile(install + name + "/skin.ini", text);
    }
};

TEST_F(SkinsTest, SkinIniPrefixesPagesWithTheSkinFolderAndKeepsWebAddressesOfTheBrowser) {
    writeSkinIni("blue",
                 "[Browser]\nOfflineURL=offline.htm\nOnlineURL=HTTP://www.example.de/\n"
                 "X1=5\nY1=80\nX2=-5\nY2=-1\n"
                 "[Portal]\nURL=http://portal.htm\nProgressWidth=140\nX1=0\nY1=20\nX2=-1\nY2=80\n"
                 "[LocationBar]\nX1=200\nY1=50\nX2=-10\nY2=72\n"
                 "[TitleBar]\nURL=title.htm\nHeight=28\n"
                 "[PopupSkin]\nName=popup\n");
    SkinLayout layout;
    layout.m_ExtraRect = RECT{1, 2, 3, 4};
    ASSERT_TRUE(store.readSkinIni("blue", layout));

    EXPECT_EQ(layout.m_SkinName, "blue");
    EXPECT_EQ(layout.m_BrowserOfflineUrl, folder("blue") + "offline.htm");
    EXPECT_EQ(layout.m_BrowserOnlineUrl, "HTTP://www.example.de/");
    // Only the browser addresses test for "http": the portal page is always the skin's.
    EXPECT_EQ(layout.m_PortalOnlineUrl, folder("blue") + "http://portal.htm");
    EXPECT_EQ(layout.m_PortalOfflineUrl, layout.m_PortalOnlineUrl);
    EXPECT_EQ(layout.m_TitleBarUrl, folder("blue") + "title.htm");
    EXPECT_EQ(layout.m_ProgressBarWidth, 140);
    EXPECT_EQ(layout.m_PopupPortal, "popup");
    EXPECT_TRUE(sameRect(layout.m_BrowserRect, 5, 80, -5, -1));
    EXPECT_TRUE(sameRect(layout.m_PortalRect, 0, 20, -1, 80));
    EXPECT_TRUE(sameRect(layout.m_LocationBarRect, 200, 50, -10, 72));
    EXPECT_TRUE(sameRect(layout.m_TitleBarRect, 0, 0, -1, 28));
    EXPECT_TRUE(sameRect(layout.m_ExtraRect, 0, 0, 0, 0));
    EXPECT_EQ(layout.m_ExtraUrl, "about:blank");
}

TEST_F(SkinsTest, SkinIniDefaultsForMissingSectionsAndFiles) {
    writeSkinIni("bare", "[Portal]\nURL=portal.htm\nOfflineURL=portal_off.htm\n"
                         "[Mask]\nFilename=missing.bmp\n");
    SkinLayout layout;
    ASSERT_TRUE(store.readSkinIni("bare", layout));
    EXPECT_EQ(layout.m_PortalOfflineUrl, folder("bare") + "portal_off.htm");
    // Without a title bar section: 20 pixels high and the bare skin folder as its page.
    EXPECT_TRUE(sameRect(layout.m_TitleBarRect, 0, 0, -1, 20));
    EXPECT_EQ(layout.m_TitleBarUrl, folder("bare"));
    // Empty browser values are still pages of the skin folder.
    EXPECT_EQ(layout.m_BrowserOfflineUrl, folder("bare"));
    EXPECT_EQ(layout.m_ProgressBarWidth, 100);
    // A mask file that does not exist leaves the window without a mask.
    EXPECT_EQ(layout.m_MaskFileName, "");

    writeFile(install + "bare/mask.bmp", "BM");
    writeSkinIni("bare", "[Mask]\nFilename=mask.bmp\n");
    ASSERT_TRUE(store.readSkinIni("bare", layout));
    EXPECT_EQ(layout.m_MaskFileName, folder("bare") + "mask.bmp");
}

TEST_F(SkinsTest, MissingSkinIniKeepsTheLayoutUnderTheNewName) {
    SkinLayout layout;
    layout.m_PortalOnlineUrl = "kept.htm";
    EXPECT_FALSE(store.readSkinIni("nothing", layout));
    EXPECT_EQ(layout.m_SkinName, "nothing");
    EXPECT_EQ(layout.m_PortalOnlineUrl, "kept.htm");
}

TEST_F(SkinsTest, ArchiveIsUnpackedOnceAndTheSkinListedOnce) {
    writeFile(install + "green.dat",
              lumora_test::packedArchive({{"skin.ini", "[Portal]\nURL=p.htm\n"}, {"img\\a.gif", "GIF89a"}}));
    const SkinLayout* first = store.findOrLoadSkin("green");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_PortalOnlineUrl, folder("green") + "p.htm");
    EXPECT_TRUE(std::filesystem::exists(install + "green/img/a.gif"));

    // The second lookup is answered from the list, even after the folder changed.
    writeSkinIni("green", "[Portal]\nURL=changed.htm\n");
    EXPECT_EQ(store.findOrLoadSkin("green"), first);
    SkinLayout app;
    SkinLayout forWindow = store.layoutForNewWindow("green", app);
    EXPECT_EQ(forWindow.m_PortalOnlineUrl, folder("green") + "p.htm");
    ASSERT_EQ(store.loadedSkins().size(), 1u);
}

TEST_F(SkinsTest, SkinWithoutArchiveUsesTheFallbackOrNothing) {
    EXPECT_EQ(store.findOrLoadSkin("absent"), nullptr);
    writeSkinIni("loose", "[Portal]\nURL=p.htm\n");
    const SkinLayout* loose = store.findOrLoadSkin("loose");
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->m_PortalOnlineUrl, folder("loose") + "p.htm");
    EXPECT_TRUE(store.loadedSkins().empty());
}

TEST_F(SkinsTest, NewWindowOfAnUnknownSkinGetsTheApplicationLayout) {
    SkinLayout app;
    app.m_PortalOnlineUrl = "app.htm";
    SkinLayout chosen = store.layoutForNewWindow("unknown", app);
    EXPECT_EQ(chosen.m_PortalOnlineUrl, "app.htm");
    EXPECT_TRUE(store.loadedSkins().empty());

    // A skin folder without archive is listed; the application's layout keeps what the run put
    // into it (a page from the command line).
    writeSkinIni("folderonly", "[Portal]\nURL=f.htm\n");
    chosen = store.layoutForNewWindow("folderonly", app);
    EXPECT_EQ(chosen.m_PortalOnlineUrl, folder("folderonly") + "f.htm");
    EXPECT_EQ(app.m_PortalOnlineUrl, "app.htm");
    EXPECT_EQ(app.m_SkinName, "");
    EXPECT_EQ(store.loadedSkins().size(), 1u);
}

TEST_F(SkinsTest, RefreshReplacesTheListedLayoutOrAddsIt) {
    writeFile(install + "red.dat", lumora_test::packedArchive({{"skin.ini", "[Portal]\nURL=old.htm\n"}}));
    ASSERT_NE(store.findOrLoadSkin("red"), nullptr);
    SkinLayout fresh;
    fresh.m_SkinName = "red";
    fresh.m_PortalOnlineUrl = "new.htm";
    store.refreshSkin(fresh);
    EXPECT_EQ(store.findOrLoadSkin("red")->m_PortalOnlineUrl, "new.htm");
    fresh.m_SkinName = "violet";
    store.refreshSkin(fresh);
    EXPECT_EQ(store.loadedSkins().size(), 2u);
    store.freeSkins();
    EXPECT_TRUE(store.loadedSkins().empty());
}

}  // namespace
