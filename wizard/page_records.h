// What the configuration block carries for each of the sixteen wizard pages: texts, the page
// order number, the side bitmap and, for some pages, helper programs, animation frames or nodes.
// Each record exchanges itself in block order; fields newer than the block's version keep the
// defaults given here.
#pragma once

#include "block_archive.h"

#include <array>
#include <string>
#include <vector>

// Fields every page has.
struct CPageRecord {
    DWORD m_Order = 0;  // place in the page sequence, 1 to 99; 0: not shown
    CDibDoc m_Side;     // shown beside the page
    bool operator==(const CPageRecord&) const = default;
};

// The first twelve records start with a title and carry their order number from version 10.
struct CTitledRecord : CPageRecord {
    std::string m_Title;
    bool operator==(const CTitledRecord&) const = default;

protected:
    void exchangeOrderAndSide(CBlockArchive& ar);
};

struct COptionRecord : CTitledRecord {
    std::string m_Instruction, m_Closing;
    std::string m_IeCloseWarning, m_NcCloseWarning, m_WarningCaption;
    void exchange(CBlockArchive& ar);
    bool operator==(const COptionRecord&) const = default;
};

struct CLicenceRecord : CTitledRecord {
    std::string m_AcceptCaption, m_DeclineCaption, m_IeLicenceFile, m_NcLicenceFile;
    void exchange(CBlockArchive& ar);
    bool operator==(const CLicenceRecord&) const = default;
};

struct CPrufeRecord : CTitledRecord {
    std::array<std::string, 4> m_Texts;  // two texts, the note, the prompt
    std::string m_RestartCaption, m_RestartText;
    CAnwendung m_CheckHelper;
    void exchange(CBlockArchive& ar);
    bool operator==(const CPrufeRecord&) const = default;
};

struct CGeratRecord : CTitledRecord {
    std::array<std::string, 3> m_ChoiceCaptions;  // standard modem, ISDN device, manual
    std::string m_RepeatCaption;
    CAnwendung m_DeviceHelper;
    // Finding and hint: modem and ISDN, ISDN only, modem only, nothing found.
    std::array<std::string, 4> m_Findings, m_Hints;
    void exchange(CBlockArchive& ar);
    bool operator==(const CGeratRecord&) const = default;
};

struct CGeratFaulRecord : CTitledRecord {
    std::string m_Instruction, m_ModemWizardHint, m_PropertiesCaption, m_ModemWizardCaption;
    CAnwendung m_ModemHelper;
    void exchange(CBlockArchive& ar);
    bool operator==(const CGeratFaulRecord&) const = default;
};

struct COrtRecord : CTitledRecord {
    std::string m_CountryPrompt, m_Closing, m_CountryLabel, m_AreaCodePrompt, m_AreaCodeLabel,
        m_OutsideLinePrompt, m_OutsideLineLabel, m_DiallingPrompt, m_ToneCaption, m_PulseCaption;
    void exchange(CBlockArchive& ar);
    bool operator==(const COrtRecord&) const = default;
};

struct CKnotenRecord : CTitledRecord {
    std::string m_Instruction, m_Closing;
    std::vector<CKnoten> m_Nodes;
    void exchange(CBlockArchive& ar);
    bool operator==(const CKnotenRecord&) const = default;
};

struct CMemberRecord : CTitledRecord {
    std::string m_Instruction, m_Closing, m_NewCaption, m_ExistingCaption;
    void exchange(CBlockArchive& ar);
    bool operator==(const CMemberRecord&) const = default;
};

struct CUserDataRecord : CTitledRecord {
    std::string m_Instruction, m_Closing, m_UserLabel, m_PasswordLabel, m_DefaultUser,
        m_DefaultPassword;
    DWORD m_SingleField = 1;  // zero: the user name is typed into four fields
    DWORD m_UserMin = 0, m_PasswordMin = 0, m_UserMax = 255, m_PasswordMax = 255;
    DWORD m_Masking = 1;           // zero: the password is shown in clear
    DWORD m_PasswordRequired = 0;
    void exchange(CBlockArchive& ar);
    bool operator==(const CUserDataRecord&) const = default;
};

struct CBrowserRecord : CTitledRecord {
    std::string m_Instruction, m_Closing, m_IeConfigure, m_IeInstall, m_IeUpdate, m_NcConfigure,
        m_NcInstall, m_NcUpdate, m_NoBrowserText, m_ChoicePrompt;
    void exchange(CBlockArchive& ar);
    bool operator==(const CBrowserRecord&) const = default;
};

struct CProgressRecord : CTitledRecord {
    std::vector<CDibDoc> m_IeFrames, m_NcFrames;
    CAnwendung m_IeInstaller, m_NcInstaller;
    CDibDoc m_Animation;
    std::array<DWORD, 6> m_AnimationPlace{};  // width, height, two further values, x, y
    void exchange(CBlockArchive& ar);
    bool operator==(const CProgressRecord&) const = default;
};

struct CRebootRecord : CTitledRecord {
    std::string m_Text, m_Closing, m_NowCaption, m_LaterCaption;
    void exchange(CBlockArchive& ar);
    bool operator==(const CRebootRecord&) const = default;
};

struct CProductRecord : CPageRecord {
    std::array<std::string, 4> m_Texts;
    void exchange(CBlockArchive& ar);
    bool operator==(const CProductRecord&) const = default;
};

struct CContractRecord : CPageRecord {
    std::array<std::string, 7> m_Texts;
    void exchange(CBlockArchive& ar);
    bool operator==(const CContractRecord&) const = default;
};

struct CWelcomeRecord : CPageRecord {
    std::string m_Text;
    void exchange(CBlockArchive& ar);
    bool operator==(const CWelcomeRecord&) const = default;
};

struct CRegionRecord : CPageRecord {
    std::array<std::string, 3> m_Texts;
    void exchange(CBlockArchive& ar);
    bool operator==(const CRegionRecord&) const = default;
};

// The sixteen records in block order.
struct CPageRecords {
    COptionRecord option;
    CLicenceRecord licence;
    CPrufeRecord prufe;
    CGeratRecord gerat;
    CGeratFaulRecord geratFaul;
    COrtRecord ort;
    CKnotenRecord knoten;
    CMemberRecord member;
    CUserDataRecord userData;
    CBrowserRecord browser;
    CProgressRecord progress;
    CRebootRecord reboot;
    CProductRecord product;
    CContractRecord contract;
    CWelcomeRecord welcome;
    CRegionRecord region;

    void exchange(CBlockArchive& ar);
    bool operator==(const CPageRecords&) const = default;
};
