// The user's choices: what the pages decide, the abnormal-end flag, and their mirror in the
// variables file (the short name with ".dat", section "variables", in the Windows folder), which
// carries them across restarts and hands them to the helper programs.
#pragma once

#include "block_types.h"

#include <windows.h>

#include <string>
#include <vector>

struct CUserChoice {
    bool m_AbnormalEnd = false;
    std::string m_VariablesFile;  // no folder: the profile functions keep it in the Windows folder

    std::string m_UserName, m_Password;
    std::string m_DialDevice;  // "RasDeviceName"
    std::string m_OutsideLine, m_AreaCode, m_Country;  // "AKZ", "OKZ", "Land"
    std::string m_InstallOption;
    bool m_Rebirth = false, m_Mixman = false;
    DWORD m_ComPort = 0;
    std::string m_NodeName, m_PopNumber;
    CKnoten m_ChosenNode;
    bool m_ExistingCustomer = false;
    bool m_IsdnInUse = false;
    bool m_Pulse = false;  // from "Tonwahl": tone unless above 0
    int m_Reboot = 0;
    bool m_InstallStdModem = false;
    int m_DefaultBrowser = -1;
    int m_InstallKind = 0;  // "InstallID"
    std::string m_IeVersion, m_NcVersion;
    bool m_ManualDevice = false;
    std::string m_StdModemName, m_IsdnDevice;
    bool m_ManualInstall = false;

    // Every key the wizard reads at start-up, in file order; absent keys give their defaults.
    void readVariables();
    // Every key the wizard writes.
    void writeVariables() const;
    // The location page's values ("AKZ", "OKZ", "Land", "Tonwahl"), written only once the user
    // confirmed them there: until then they are the installation medium's.
    void writeLocationVariables() const;
    // Single values read when they are needed: "StartPage" and "OS".
    int readStartPage() const;
    std::string readOs() const;
};

extern CUserChoice theUserChoice;

// A number as the variables file holds it: an optional sign and leading decimal digits; anything
// else reads as 0.
int variableNumber(const std::string& text);
