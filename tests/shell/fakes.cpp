// Stand-ins for the parts the application object drives.
#include "fakes.h"

namespace {

class FakeArchive : public PackedArchive {
public:
    explicit FakeArchive(FakeParts& parts) : parts_(parts) {}
    bool openArchive() override { return parts_.archiveOpens; }
    bool extractAll(const std::string& target) override {
        parts_.extractedTo.push_back(target);
        return parts_.extractionWorks;
    }

private:
    FakeParts& parts_;
};

}  // namespace

void FakeParts::pumpAndSleep(DWORD) {
    if (browserOpenPolls > 0 && --browserOpenPolls == 0 && browserClosesConnection)
        connected.clear();
}

bool FakeParts::readSkinIni(const std::string& name, SkinLayout& layout) {
    layout.m_SkinName = name;
    if (!skinIniReadable) return false;
    layout.m_BrowserOfflineUrl = "C:\\skins\\" + name + "\\offline.htm";
    layout.m_BrowserOnlineUrl = "http://www.example.net/";
    return true;
}

SkinLayout FakeParts::layoutForNewWindow(const std::string& name, SkinLayout& appLayout) {
    SkinLayout layout = appLayout;
    layout.m_SkinName = name;
    return layout;
}

LmrWindow* FakeParts::createDialog(const SkinLayout& layout, int number) {
    if (windowsFail) return nullptr;
    windows.push_back(std::make_unique<FakeWindow>(layout, number));
    return windows.back().get();
}

void FakeParts::toggleConnection() {
    ++toggles;
    connected.clear();
}

bool FakeParts::parseTNIFile(const std::string& label, const std::string& path, bool closeAll) {
    parsed.push_back({label, path, closeAll});
    return signupApplies;
}

std::unique_ptr<PackedArchive> FakeParts::archive(const std::string& path) {
    archivesOpened.push_back(path);
    return std::make_unique<FakeArchive>(*this);
}

void FakeParts::launchStandardBrowser(const std::string& address) { launched.push_back(address); }

bool FakeParts::browserWindowOpen() { return browserOpenPolls > 0; }
