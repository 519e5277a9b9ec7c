// Stand-ins for the parts this build does not contain yet.
#include "unavailable_parts.h"

#include "trace.h"

namespace {

void notAvailable(const char* operation, const std::string& argument = std::string()) {
    traceLine("%s (%s): not available in this build\n", operation, argument.c_str());
}

}  // namespace

void UnavailableDialogFallback::handleDialogFallback() { notAvailable("handleDialogFallback"); }

bool UnavailableSignup::parseTNIFile(const std::string&, const std::string& path, bool) {
    notAvailable("parseTNIFile", path);
    return false;
}

void UnavailableSignup::patchSignupHtml(const std::string& htmlPath) {
    notAvailable("patchSignupHtml", htmlPath);
}

void UnavailableFavorites::convertFavorites() { notAvailable("convertFavorites"); }

void UnavailableFavorites::addFavorite(const std::string& name, const std::string& url) {
    notAvailable("addFavorite", name + " " + url);
}

void UnavailableFavorites::organiseFavorites() { notAvailable("organiseFavorites"); }

void UnavailableBrowser::launchStandardBrowser(const std::string& address) {
    notAvailable("launchStandardBrowser", address);
}
