// Migrating long-named status pages to the short names the program loads, and the progress bar's
// width.
#include "status_pages.h"

#include <windows.h>

#include "registry.h"
#include "resource.h"
#include "settings.h"
#include "string_resources.h"
#include "trace.h"

void ConfigStatusPages::migrateStatusPages(const AppPaths& paths, const CLmrSettings& settings) {
    std::string folder = paths.installDir;
    folder += "config\\";
    if (GetFileAttributesA((folder + "Disconnected.htm").c_str()) == INVALID_FILE_ATTRIBUTES) return;

    for (const StatusPageName& page : kStatusPages) {
        if (!page.longName) continue;
        // Copying fails when the short page exists: a page the provider made short stays.
        CopyFileA((folder + page.longName).c_str(), (folder + page.shortName).c_str(), TRUE);
    }

    const std::string& key = settings.registryKey();
    regWriteString(key.c_str(), "RasEntryName", settings.entryName().c_str());
    std::string dirValue = paths.programName;
    dirValue += "dir";
    regWriteString(key.c_str(), dirValue.c_str(), paths.installDir.c_str());
    const std::string provider = loadResourceString(IDS_PROVIDER_NAME);
    std::string installed = paths.installDir;
    installed += paths.programName;
    regWriteString(key.c_str(), provider.c_str(), provider.c_str(), HKEY_LOCAL_MACHINE);
    regWriteString(key.c_str(), installed.c_str(), installed.c_str(), HKEY_LOCAL_MACHINE);
    traceLine("status pages migrated in %s\n", folder.c_str());
}

bool progressWidthText(long progress, long maximum, long barWidth, std::string& text) {
    if (maximum < 0) return false;
    if (progress == -1 || maximum == 0) {
        text.assign(1, '0');  // not = "0": GCC 12 warns wrongly (-Wrestrict) on that
        return true;
    }
    text = std::to_string(static_cast<long long>(progress) * barWidth / maximum);
    return true;
}
