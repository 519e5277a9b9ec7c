// The status pages of the config folder: the short (8.3) names the program uses, the long names a
// provider's page set may bring instead, and the migration from one to the other at start.
#pragma once

#include <string>

#include "app_paths.h"
#include "status_pages_seam.h"

class CLmrSettings;

struct StatusPageName {
    const char* shortName;
    const char* longName;  // null: the page has only its short name
};

// Every status page, in the order of the config folder's table.
inline constexpr StatusPageName kStatusPages[] = {
    {"dial.htm", nullptr},
    {"aufbauen.htm", "connecting.htm"},
    {"abbauen.htm", "disconnecting.htm"},
    {"connect.htm", "connected.htm"},
    {"discon.htm", "disconnected.htm"},
    {"QClose.htm", "QueryClose.htm"},
    {"SKLoadin.htm", "SkinLoading.htm"},
    {"SKLoaded.htm", "SkinLoaded.htm"},
    {"SignupSuccess.htm", nullptr},
    {"SignupError.htm", nullptr},
    {"Titlebar.htm", nullptr},
};

// The migration of the config folder below the install folder. A page set with long names (it
// has "Disconnected.htm") gets its pages copied to their short names, never over an existing
// short page; then the install is recorded in the registry.
class ConfigStatusPages : public StatusPages {
public:
    void migrateStatusPages(const AppPaths& paths, const CLmrSettings& settings) override;
};

// The text of the portal's "CTN_PROGRESS" width for a progress report of the browser pane:
// progress × width / maximum, "0" for progress −1 or maximum 0, and nothing (the element is left
// alone) for a negative maximum.
bool progressWidthText(long progress, long maximum, long barWidth, std::string& text);
