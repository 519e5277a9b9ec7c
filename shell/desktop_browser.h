// Stand-in for the standard browser until its launch and detection are built: a page goes to the
// shell's "open" verb (the system's default browser; the desktop's through xdg-open on Linux),
// and a browser window is one whose title names one of the two browsers the system knows.
#pragma once

#include "signup_seam.h"

class DesktopBrowser : public StandardBrowser {
public:
    void launchStandardBrowser(const std::string& address) override;
    bool browserWindowOpen() override;
};
