// The skins of the browser center: reading a skin's "skin.ini" into a SkinLayout, the list of
// loaded skins (each unpacked from its archive "<install dir><name>.dat" when first used in a run),
// the fallback layout for a skin without archive, and the refresh after an update replaced a skin.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "signup_seam.h"
#include "window_seam.h"

struct LoadedSkin {
    std::string name;
    SkinLayout layout;
};

// A skin name is a folder of the install directory: no path separators, no "..", no drive. Names
// come from pages (a "SkinName" meta element) and must not reach outside the program's folder;
// a refused name is traced.
bool isSkinName(const std::string& skinName);

// Writes the layout to the trace between the start and end lines of a dump.
void dumpSkinLayout(const SkinLayout& layout);

class CSkinStore : public SkinStore {
public:
    // `installDir` ends in a backslash; skins are its folders and archives.
    CSkinStore(std::string installDir, ArchiveReader& archives);

    const SkinLayout* findOrLoadSkin(const std::string& skinName) override;
    bool readSkinIni(const std::string& skinName, SkinLayout& layout) override;
    SkinLayout layoutForNewWindow(const std::string& skinName, SkinLayout& appLayout) override;
    void freeSkins() override { m_Skins.clear(); }

    const SkinLayout& refreshSkin(const SkinLayout& layout) override;

    const std::vector<std::unique_ptr<LoadedSkin>>& loadedSkins() const { return m_Skins; }
    std::string skinFolder(const std::string& skinName) const;

private:
    LoadedSkin* find(const std::string& skinName);
    // Creates the entry, unpacks the archive into the skin folder when it opens, reads skin.ini
    // into the entry and appends it.
    LoadedSkin& loadIntoList(const std::string& skinName);

    std::string m_InstallDir;
    ArchiveReader& m_Archives;
    // Entries keep their address, so layouts handed out stay valid while the list grows.
    std::vector<std::unique_ptr<LoadedSkin>> m_Skins;
    SkinLayout m_FallbackLayout;
};
