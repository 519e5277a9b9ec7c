// The typed URLs of the location bar: read from and written back to the list the standard
// browser keeps under HKEY_CURRENT_USER, newest first, at most 25.
#pragma once

#include <string>
#include <vector>

class TypedUrls {
public:
    static constexpr size_t kMaxUrls = 25;

    // Values "url1" up to "url25", stopping at the first empty or missing one.
    void load();
    // Writes the list back as "url1" ... (values beyond its length stay as they were).
    void save() const;
    // The entries that contain `filter` (all for an empty filter), in list order.
    std::vector<std::string> matching(const std::string& filter) const;
    // A URL was loaded: the URL typed before it moves to the front (once), the list is cut to its
    // length, and true says the location bar is to be rebuilt. "res:" URLs and URLs already in
    // the list change nothing.
    bool loaded(const std::string& url, const std::string& pendingTyped);
    const std::vector<std::string>& urls() const { return urls_; }

private:
    std::vector<std::string> urls_;
};
