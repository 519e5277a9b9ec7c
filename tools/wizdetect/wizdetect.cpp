// wizdetect: runs the wizard's detection steps on the prefix and prints what they find.
//   wizdetect probe                  the modem search over COM1 to COM4
//   wizdetect devices                the dial devices and the ISDN look-ups (isdndevs.dat here)
//   wizdetect location               the current telephony location
//   wizdetect browsers               the detected browser versions and the browser page's choices
//   wizdetect phonebook PBR PBK      the regions and access numbers of a phonebook
#include "browser_detection.h"
#include "dial_devices.h"
#include "modem_probe.h"
#include "phonebook_files.h"
#include "telephony_location.h"

#include <cstdio>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr, "usage: wizdetect probe|devices|location|browsers|phonebook PBR PBK\n");
    return 2;
}

const char* choiceText(const BrowserChoices& c) {
    if (!c.installEnabled) return "configure";
    if (!c.configureEnabled) return c.installCaption == InstallCaption::Update ? "update" : "install";
    return c.installCaption == InstallCaption::Update ? "configure, update" : "configure, install";
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command == "probe") {
        std::string accepted;
        const int port = probeModemPorts([](int n) { std::printf("COM%d ...\n", n); std::fflush(stdout); },
                                         accepted);
        if (port)
            std::printf("modem on COM%d, accepted AT%s\n", port, accepted.c_str());
        else
            std::printf("no modem\n");
        return port ? 0 : 1;
    }
    if (command == "devices") {
        CDialDevices devices;
        if (!devices.bind()) std::printf("no dial devices\n");
        for (const std::string& name : devices.names())
            std::printf("device: %s%s\n", name.c_str(), devices.isIsdnDevice(name.c_str()) ? " (isdn)" : "");
        std::string name;
        std::printf("listed ISDN device: %s\n", devices.findListedIsdnDevice(name) ? name.c_str() : "-");
        std::printf("first ISDN device: %s\n", devices.isIsdnDevice("GETDEVICE", &name) ? name.c_str() : "-");
        return 0;
    }
    if (command == "location") {
        const LocationRecord r = readCurrentLocation();
        if (r.noLocation) {
            std::printf("no location\n");
            return 1;
        }
        std::printf("location %u \"%s\": country %u, area code %s, outside line \"%s\", %s\n",
                    static_cast<unsigned>(r.locationId), r.name.c_str(),
                    static_cast<unsigned>(r.countryId), r.areaCode.c_str(), r.outsideAccess.c_str(),
                    r.toneFlag ? "tone" : "pulse");
        return 0;
    }
    if (command == "browsers") {
        char ie[128], nc[128];
        const int code = detectInternetExplorer(ie, sizeof ie);
        const bool netscape = detectNetscape(nc, sizeof nc);
        std::printf("Internet Explorer: code %d \"%s\" -> %s\n", code, ie,
                    choiceText(internetExplorerChoices(code)));
        std::printf("Netscape: %s \"%s\" -> %s\n", netscape ? "found" : "none", nc,
                    choiceText(netscapeChoices(nc)));
        return 0;
    }
    if (command == "phonebook" && argc == 4) {
        CPhonebook book;
        if (!book.load(argv[2], argv[3])) {
            std::printf("no phonebook\n");
            return 1;
        }
        for (const Region& region : book.regions()) {
            std::printf("%s %s\n", region.code.c_str(), region.name.c_str());
            for (const AccessNumber& number : region.numbers)
                std::printf("    %s\n", accessNumberListText(number).c_str());
        }
        return 0;
    }
    return usage();
}
