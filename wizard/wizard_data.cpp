// The record head of the configuration block.
#include "wizard_data.h"

CWizardData theWizardData;

void CWizardData::exchange(CBlockArchive& ar) {
    ar.section("Wizard");
    ar.text("ProviderTitle", m_ProviderTitle);
    ar.text("BackCaption", m_BackCaption);
    ar.text("NextCaption", m_NextCaption);
    ar.text("FinishCaption", m_FinishCaption);
    ar.text("CancelCaption", m_CancelCaption);
    ar.text("HelpCaption", m_HelpCaption);
    ar.text("ShortName", m_ShortName);
    ar.text("CancelText", m_CancelText);
    ar.dword("CaptionFlag", m_CaptionFlag);
    ar.dword("Reserved", m_Reserved);
    ar.helper("BackgroundHelper", m_BackgroundHelper);
    ar.helper("TopHelper", m_TopHelper);
    ar.helper("RebootHelper", m_RebootHelper);
    ar.helper("CleanupHelper", m_CleanupHelper);
    ar.bitmap("Background", m_Background);
    if (ar.version() >= 14) {
        ar.signedDword("WizardX", m_WizardX);
        ar.signedDword("WizardY", m_WizardY);
        ar.dword("BackgroundColour", m_BackgroundColour);
        ar.dword("Placement", m_Placement);
        ar.dword("Stretch", m_Stretch);
    }
}
