// What the application object needs of the status pages at start.
#pragma once

struct AppPaths;
class CLmrSettings;

class StatusPages {
public:
    virtual ~StatusPages() = default;
    // Copies long-named status pages to their short names and records the install (the settings'
    // entry name, the install folder) in the registry.
    virtual void migrateStatusPages(const AppPaths& paths, const CLmrSettings& settings) = 0;
};
