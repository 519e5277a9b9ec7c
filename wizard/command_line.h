// The wizard's command line options, found as substrings of the whole command line.
#pragma once

#include <string>

struct WizardOptions {
    std::string m_ConfigFile = "wizard.ovb";  // "-f": read when nothing is appended
    int m_StartPage = 0;                      // "-p": 0 when not given
    bool m_IeHandling = true;                 // "-IE" switches it off
    bool m_NcHandling = true;                 // "-NC" switches it off
    bool m_NoConfigure = false;               // "-NoConfigure"
};

WizardOptions parseWizardCommandLine(const std::string& commandLine);
