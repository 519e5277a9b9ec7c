// Stand-ins for the parts this build does not contain yet.
#include "unavailable_parts.h"

#include "trace.h"

namespace {

void notAvailable(const char* operation, const std::string& argument = std::string()) {
    traceLine("%s (%s): not available in this build\n", operation, argument.c_str());
}

}  // namespace

const SkinLayout* UnavailableSkins::findOrLoadSkin(const std::string& skinName) {
    notAvailable("findOrLoadSkin", skinName);
    return nullptr;
}

bool UnavailableSkins::readSkinIni(const std::string& skinName, SkinLayout&) {
    notAvailable("readSkinIni", skinName);
    return false;
}

SkinLayout UnavailableSkins::layoutForNewWindow(const std::string& skinName,
                                                SkinLayout& appLayout) {
    notAvailable("addInstance: loading the skin", skinName);
    return appLayout;
}

LmrWindow* UnavailableWindows::createDialog(const SkinLayout& layout, int) {
    notAvailable("creating a window", layout.m_SkinName);
    return nullptr;
}

void UnavailableWindows::bindAutoComplete() { notAvailable("binding auto-complete"); }

void UnavailableWindows::enableControlContainment() {
    notAvailable("enabling browser controls");
}


bool UnavailableRas::rasDeviceExists(const std::string& deviceName) {
    notAvailable("rasDeviceExists", deviceName);
    return false;
}

bool UnavailableConnection::createMonitor() {
    notAvailable("creating the connection monitor");
    return false;
}

void UnavailableConnection::toggleConnection() { notAvailable("toggleConnection"); }

std::string UnavailableTelephony::currentAreaCode() {
    notAvailable("reading the area code");
    return std::string();
}

void UnavailableDialogFallback::handleDialogFallback() { notAvailable("handleDialogFallback"); }

void UnavailableSignup::parseTNIFile(const std::string&, const std::string& path, bool) {
    notAvailable("parseTNIFile", path);
}

void UnavailableSignup::patchSignupHtml(const std::string& htmlPath) {
    notAvailable("patchSignupHtml", htmlPath);
}

std::unique_ptr<PackedArchive> UnavailableArchives::archive(const std::string& path) {
    notAvailable("openArchive", path);
    return nullptr;
}

void UnavailableFavorites::convertFavorites() { notAvailable("convertFavorites"); }

void UnavailableBrowser::launchStandardBrowser(const std::string& address) {
    notAvailable("launchStandardBrowser", address);
}

void UnavailableUpdates::requestFileUpdate(const std::string& fileName) {
    notAvailable("requestFileUpdate", fileName);
}
