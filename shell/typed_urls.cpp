// The typed URLs of the location bar.
#include "typed_urls.h"

#include <algorithm>
#include <cstdio>

#include "registry.h"
#include "text.h"

namespace {

constexpr const char* kTypedUrlsKey = "software\\Microsoft\\Internet Explorer\\TypedURLs";

std::string valueName(size_t index) {
    char name[16];
    std::snprintf(name, sizeof name, "url%u", static_cast<unsigned>(index + 1));
    return name;
}

}  // namespace

void TypedUrls::load() {
    urls_.clear();
    for (size_t i = 0; i < kMaxUrls; ++i) {
        std::string url = regReadString(kTypedUrlsKey, valueName(i).c_str(), "");
        if (url.empty()) break;
        urls_.push_back(url);
    }
}

void TypedUrls::save() const {
    for (size_t i = 0; i < urls_.size(); ++i)
        regWriteString(kTypedUrlsKey, valueName(i).c_str(), urls_[i].c_str());
}

std::vector<std::string> TypedUrls::matching(const std::string& filter) const {
    std::vector<std::string> found;
    for (const std::string& url : urls_)
        if (filter.empty() || url.find(filter) != std::string::npos) found.push_back(url);
    return found;
}

bool TypedUrls::loaded(const std::string& url, const std::string& pendingTyped) {
    if (startsWithNoCase(url.c_str(), "res:")) return false;
    if (std::find(urls_.begin(), urls_.end(), url) != urls_.end()) return false;
    if (!pendingTyped.empty()) {
        urls_.erase(std::remove(urls_.begin(), urls_.end(), pendingTyped), urls_.end());
        urls_.insert(urls_.begin(), pendingTyped);
    }
    if (urls_.size() > kMaxUrls) urls_.resize(kMaxUrls);
    return true;
}
