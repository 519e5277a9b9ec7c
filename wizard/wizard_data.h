// The wizard's configuration as one global object: the provider's texts, the button captions,
// the four helper programs of the record head, the background picture and the wizard's place.
#pragma once

#include "block_archive.h"

#include <string>

struct CWizardData {
    std::string m_ProviderTitle;
    std::string m_BackCaption;
    std::string m_NextCaption;
    std::string m_FinishCaption;
    std::string m_CancelCaption;
    std::string m_HelpCaption;
    std::string m_ShortName;
    std::string m_CancelText;
    DWORD m_CaptionFlag = 1;  // zero: the wizard window loses its title bar
    DWORD m_Reserved = 0;
    CAnwendung m_BackgroundHelper;
    CAnwendung m_TopHelper;
    CAnwendung m_RebootHelper;
    CAnwendung m_CleanupHelper;  // run with the short name after an abnormal end
    CDibDoc m_Background;
    LONG m_WizardX = 0;
    LONG m_WizardY = 0;
    DWORD m_BackgroundColour = 0x00FFFFFF;
    DWORD m_Placement = 0;  // 0 to 9, where the picture sits on the screen
    DWORD m_Stretch = 0;

    // The fields after the format version, in block order.
    void exchange(CBlockArchive& ar);
    bool operator==(const CWizardData&) const = default;
};

extern CWizardData theWizardData;
