// The skins of the browser center.
#include "skins.h"

#include <windows.h>

#include <cstdlib>

#include "files.h"
#include "text.h"
#include "trace.h"

namespace {

// Values of skin.ini are read into buffers of this size.
constexpr DWORD kValueSize = 256;

std::string profileValue(const std::string& iniPath, const char* section, const char* key,
                         const char* fallback) {
    char value[kValueSize];
    GetPrivateProfileStringA(section, key, fallback, value, kValueSize, iniPath.c_str());
    return value;
}

LONG profileNumber(const std::string& iniPath, const char* section, const char* key,
                   const char* fallback) {
    return std::atol(profileValue(iniPath, section, key, fallback).c_str());
}

RECT profileRect(const std::string& iniPath, const char* section) {
    return RECT{profileNumber(iniPath, section, "X1", "0"), profileNumber(iniPath, section, "Y1", "0"),
                profileNumber(iniPath, section, "X2", "0"), profileNumber(iniPath, section, "Y2", "0")};
}

// Browser addresses of the web stay as they are; everything else is a page of the skin.
std::string browserUrl(const std::string& folder, const std::string& value) {
    return startsWithNoCase(value.c_str(), "http") ? value : folder + value;
}

}  // namespace

bool isSkinName(const std::string& skinName) {
    const bool valid = !skinName.empty() && skinName.find_first_of("\\/:") == std::string::npos &&
                       skinName.find("..") == std::string::npos;
    if (!valid) traceLine("skin name refused: \"%s\" is no folder of the program\n", skinName.c_str());
    return valid;
}

void dumpSkinLayout(const SkinLayout& layout) {
    traceLine("=== start skin layout dump ===================================\n");
    traceLine("m_SkinName         : %s\n", layout.m_SkinName.c_str());
    traceLine("m_MaskFileName     : %s\n", layout.m_MaskFileName.c_str());
    traceLine("m_PopupPortal      : %s\n", layout.m_PopupPortal.c_str());
    traceLine("m_BrowserOfflineUrl: %s\n", layout.m_BrowserOfflineUrl.c_str());
    traceLine("m_BrowserOnlineUrl : %s\n", layout.m_BrowserOnlineUrl.c_str());
    traceLine("m_PortalOnlineUrl  : %s\n", layout.m_PortalOnlineUrl.c_str());
    traceLine("m_PortalOfflineUrl : %s\n", layout.m_PortalOfflineUrl.c_str());
    traceLine("m_ProgressBarWidth : %d\n", static_cast<int>(layout.m_ProgressBarWidth));
    traceLine("m_ExtraUrl         : %s\n", layout.m_ExtraUrl.c_str());
    traceLine("m_TitleBarUrl      : %s\n", layout.m_TitleBarUrl.c_str());
    traceLine("=== end skin layout dump =====================================\n");
}

CSkinStore::CSkinStore(std::string installDir, ArchiveReader& archives)
    : m_InstallDir(std::move(installDir)), m_Archives(archives) {}

std::string CSkinStore::skinFolder(const std::string& skinName) const {
    return m_InstallDir + skinName + "\\";
}

bool CSkinStore::readSkinIni(const std::string& skinName, SkinLayout& layout) {
    layout.m_SkinName = skinName;
    std::string folder = skinFolder(skinName);
    std::string ini = folder + "skin.ini";
    if (!fileExists(ini.c_str())) return false;

    layout.m_BrowserOfflineUrl = browserUrl(folder, profileValue(ini, "Browser", "OfflineURL", ""));
    layout.m_BrowserOnlineUrl = browserUrl(folder, profileValue(ini, "Browser", "OnlineURL", ""));
    layout.m_BrowserRect = profileRect(ini, "Browser");

    layout.m_PortalOnlineUrl = folder + profileValue(ini, "Portal", "URL", "");
    std::string portalOffline = profileValue(ini, "Portal", "OfflineURL", "");
    layout.m_PortalOfflineUrl =
        portalOffline.empty() ? layout.m_PortalOnlineUrl : folder + portalOffline;
    layout.m_ProgressBarWidth = profileNumber(ini, "Portal", "ProgressWidth", "100");
    layout.m_PortalRect = profileRect(ini, "Portal");
    layout.m_LocationBarRect = profileRect(ini, "LocationBar");

    layout.m_TitleBarUrl = folder + profileValue(ini, "TitleBar", "URL", "");
    layout.m_TitleBarRect = RECT{0, 0, -1, profileNumber(ini, "TitleBar", "Height", "20")};
    layout.m_ExtraRect = RECT{0, 0, 0, 0};

    layout.m_MaskFileName = folder + profileValue(ini, "Mask", "Filename", "");
    if (!fileExists(layout.m_MaskFileName.c_str())) layout.m_MaskFileName.clear();
    layout.m_PopupPortal = profileValue(ini, "PopupSkin", "Name", "");
    dumpSkinLayout(layout);
    return true;
}

LoadedSkin* CSkinStore::find(const std::string& skinName) {
    for (auto& skin : m_Skins)
        if (skin->name == skinName) return skin.get();
    return nullptr;
}

LoadedSkin& CSkinStore::loadIntoList(const std::string& skinName) {
    auto skin = std::make_unique<LoadedSkin>();
    skin->name = skinName;
    auto archive = m_Archives.archive(m_InstallDir + skinName + ".dat");
    if (archive && archive->openArchive()) archive->extractAll(skinFolder(skinName));
    readSkinIni(skinName, skin->layout);
    m_Skins.push_back(std::move(skin));
    return *m_Skins.back();
}

const SkinLayout* CSkinStore::findOrLoadSkin(const std::string& skinName) {
    if (!isSkinName(skinName)) return nullptr;
    if (LoadedSkin* skin = find(skinName)) return &skin->layout;
    std::string archive = m_InstallDir + skinName + ".dat";
    if (!fileExists(archive.c_str()))
        return readSkinIni(skinName, m_FallbackLayout) ? &m_FallbackLayout : nullptr;
    return &loadIntoList(skinName).layout;
}

SkinLayout CSkinStore::layoutForNewWindow(const std::string& skinName, SkinLayout& appLayout) {
    traceLine("addInstance (%s)\n", skinName.c_str());
    SkinLayout chosen;
    if (!isSkinName(skinName)) {
        chosen = appLayout;
    } else if (LoadedSkin* skin = find(skinName)) {
        traceLine("\"%s\" skin already loaded.\n", skinName.c_str());
        chosen = skin->layout;
    } else {
        traceLine("\"%s\" skin is not yet in the list of loaded skins.\n", skinName.c_str());
        std::string archive = m_InstallDir + skinName + ".dat";
        // skin.ini is only probed here: the application's layout keeps what the run set in it
        // (a page from the command line).
        SkinLayout probe = appLayout;
        if (fileExists(archive.c_str()) || readSkinIni(skinName, probe)) {
            traceLine("reading data from file: \"%s\"\n", archive.c_str());
            chosen = loadIntoList(skinName).layout;
        } else {
            traceLine("no such file: \"%s\"\n", archive.c_str());
            traceLine("need to handle this situation in a future release...\n");
            chosen = appLayout;
        }
    }
    traceLine("creating a new dialog instance based on the \"%s\" skin\n", skinName.c_str());
    return chosen;
}

const SkinLayout& CSkinStore::refreshSkin(const SkinLayout& layout) {
    LoadedSkin* skin = find(layout.m_SkinName);
    if (!skin) {
        m_Skins.push_back(std::make_unique<LoadedSkin>());
        skin = m_Skins.back().get();
        skin->name = layout.m_SkinName;
    }
    skin->layout = layout;
    return skin->layout;
}
