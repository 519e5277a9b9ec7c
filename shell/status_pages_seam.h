// What the application object needs of the status pages at start.
#pragma once

class StatusPages {
public:
    virtual ~StatusPages() = default;
    // Copies long-named status pages to their short names and records the install in the
    // registry.
    virtual void migrateStatusPages() = 0;
};
