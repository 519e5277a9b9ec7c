// The page records' layouts, each in block order with the version each field appeared in.
#include "page_records.h"

#include <string>

namespace {

template <size_t N>
void texts(CBlockArchive& ar, const char* key, std::array<std::string, N>& values) {
    for (size_t i = 0; i < N; ++i) ar.text((std::string(key) + std::to_string(i + 1)).c_str(), values[i]);
}

}  // namespace

void CTitledRecord::exchangeOrderAndSide(CBlockArchive& ar) {
    if (ar.version() >= 10) ar.dword("Order", m_Order);
    ar.bitmap("Side", m_Side);
}

void COptionRecord::exchange(CBlockArchive& ar) {
    ar.section("Option");
    ar.text("Title", m_Title);
    ar.text("Instruction", m_Instruction);
    ar.text("Closing", m_Closing);
    exchangeOrderAndSide(ar);
    if (ar.version() >= 19) {
        ar.text("IeCloseWarning", m_IeCloseWarning);
        ar.text("NcCloseWarning", m_NcCloseWarning);
        ar.text("WarningCaption", m_WarningCaption);
    }
}

void CLicenceRecord::exchange(CBlockArchive& ar) {
    ar.section("Licence");
    ar.text("Title", m_Title);
    ar.text("AcceptCaption", m_AcceptCaption);
    ar.text("DeclineCaption", m_DeclineCaption);
    ar.text("IeLicenceFile", m_IeLicenceFile);
    ar.text("NcLicenceFile", m_NcLicenceFile);
    exchangeOrderAndSide(ar);
}

void CPrufeRecord::exchange(CBlockArchive& ar) {
    ar.section("Check");
    ar.text("Title", m_Title);
    texts(ar, "Text", m_Texts);
    exchangeOrderAndSide(ar);
    if (ar.version() >= 10) {
        ar.text("RestartCaption", m_RestartCaption);
        ar.text("RestartText", m_RestartText);
    }
    ar.helper("CheckHelper", m_CheckHelper);
}

void CGeratRecord::exchange(CBlockArchive& ar) {
    ar.section("Device");
    ar.text("Title", m_Title);
    // Blocks before version 13 carry the three captions without meaning: read and dropped,
    // written empty.
    std::array<std::string, 3> captions;
    if (ar.version() >= 13) captions = m_ChoiceCaptions;
    texts(ar, "ChoiceCaption", captions);
    if (ar.version() >= 13 && ar.isLoading()) m_ChoiceCaptions = captions;
    ar.text("RepeatCaption", m_RepeatCaption);
    exchangeOrderAndSide(ar);
    ar.helper("DeviceHelper", m_DeviceHelper);
    if (ar.version() >= 13) {
        for (size_t i = 0; i < 4; ++i) {
            ar.text(("Finding" + std::to_string(i + 1)).c_str(), m_Findings[i]);
            ar.text(("Hint" + std::to_string(i + 1)).c_str(), m_Hints[i]);
        }
    }
}

void CGeratFaulRecord::exchange(CBlockArchive& ar) {
    ar.section("DeviceList");
    ar.text("Title", m_Title);
    ar.text("Instruction", m_Instruction);
    ar.text("ModemWizardHint", m_ModemWizardHint);
    std::string unused;
    ar.text("Unused", unused);
    ar.text("PropertiesCaption", m_PropertiesCaption);
    ar.text("ModemWizardCaption", m_ModemWizardCaption);
    exchangeOrderAndSide(ar);
    ar.helper("ModemHelper", m_ModemHelper);
}

void COrtRecord::exchange(CBlockArchive& ar) {
    ar.section("Location");
    ar.text("Title", m_Title);
    ar.text("CountryPrompt", m_CountryPrompt);
    ar.text("Closing", m_Closing);
    ar.text("CountryLabel", m_CountryLabel);
    ar.text("AreaCodePrompt", m_AreaCodePrompt);
    ar.text("AreaCodeLabel", m_AreaCodeLabel);
    ar.text("OutsideLinePrompt", m_OutsideLinePrompt);
    ar.text("OutsideLineLabel", m_OutsideLineLabel);
    ar.text("DiallingPrompt", m_DiallingPrompt);
    ar.text("ToneCaption", m_ToneCaption);
    ar.text("PulseCaption", m_PulseCaption);
    exchangeOrderAndSide(ar);
}

void CKnotenRecord::exchange(CBlockArchive& ar) {
    ar.section("Node");
    ar.text("Title", m_Title);
    ar.text("Instruction", m_Instruction);
    ar.text("Closing", m_Closing);
    ar.nodes("Nodes", m_Nodes);
    exchangeOrderAndSide(ar);
}

void CMemberRecord::exchange(CBlockArchive& ar) {
    ar.section("Member");
    ar.text("Title", m_Title);
    ar.text("Instruction", m_Instruction);
    ar.text("Closing", m_Closing);
    ar.text("NewCaption", m_NewCaption);
    ar.text("ExistingCaption", m_ExistingCaption);
    exchangeOrderAndSide(ar);
}

void CUserDataRecord::exchange(CBlockArchive& ar) {
    ar.section("UserData");
    ar.text("Title", m_Title);
    ar.text("Instruction", m_Instruction);
    ar.text("Closing", m_Closing);
    ar.text("UserLabel", m_UserLabel);
    ar.text("PasswordLabel", m_PasswordLabel);
    ar.text("DefaultUser", m_DefaultUser);
    ar.text("DefaultPassword", m_DefaultPassword);
    if (ar.version() >= 10) ar.dword("Order", m_Order);
    if (ar.version() >= 11) {
        ar.dword("SingleField", m_SingleField);
        ar.dword("UserMin", m_UserMin);
        ar.dword("PasswordMin", m_PasswordMin);
        ar.dword("UserMax", m_UserMax);
        ar.dword("PasswordMax", m_PasswordMax);
    }
    if (ar.version() >= 12) ar.dword("Masking", m_Masking);
    if (ar.version() >= 20) ar.dword("PasswordRequired", m_PasswordRequired);
    ar.bitmap("Side", m_Side);
}

void CBrowserRecord::exchange(CBlockArchive& ar) {
    ar.section("Browser");
    if (ar.version() >= 9) {
        ar.text("Title", m_Title);
        ar.text("Instruction", m_Instruction);
        ar.text("Closing", m_Closing);
        ar.text("IeConfigure", m_IeConfigure);
        ar.text("IeInstall", m_IeInstall);
        ar.text("IeUpdate", m_IeUpdate);
        ar.text("NcConfigure", m_NcConfigure);
        ar.text("NcInstall", m_NcInstall);
        ar.text("NcUpdate", m_NcUpdate);
        ar.text("NoBrowserText", m_NoBrowserText);
        ar.text("ChoicePrompt", m_ChoicePrompt);
    }
    exchangeOrderAndSide(ar);
}

void CProgressRecord::exchange(CBlockArchive& ar) {
    ar.section("Progress");
    ar.text("Title", m_Title);
    exchangeOrderAndSide(ar);
    if (ar.version() >= 6) {
        ar.bitmaps("IeFrames", m_IeFrames);
        ar.bitmaps("NcFrames", m_NcFrames);
    }
    ar.helper("IeInstaller", m_IeInstaller);
    ar.helper("NcInstaller", m_NcInstaller);
    if (ar.version() >= 15) {
        ar.bitmap("Animation", m_Animation);
        static const char* const keys[] = {"AnimationWidth", "AnimationHeight", "AnimationValue1",
                                           "AnimationValue2", "AnimationX", "AnimationY"};
        for (size_t i = 0; i < 6; ++i) ar.dword(keys[i], m_AnimationPlace[i]);
    }
}

void CRebootRecord::exchange(CBlockArchive& ar) {
    ar.section("Restart");
    ar.text("Title", m_Title);
    ar.text("Text", m_Text);
    ar.text("Closing", m_Closing);
    ar.text("NowCaption", m_NowCaption);
    ar.text("LaterCaption", m_LaterCaption);
    exchangeOrderAndSide(ar);
}

void CProductRecord::exchange(CBlockArchive& ar) {
    ar.section("Product");
    texts(ar, "Text", m_Texts);
    ar.dword("Order", m_Order);
    ar.bitmap("Side", m_Side);
}

void CContractRecord::exchange(CBlockArchive& ar) {
    if (ar.version() < 18) return;
    ar.section("Contract");
    ar.dword("Order", m_Order);
    texts(ar, "Text", m_Texts);
    ar.bitmap("Side", m_Side);
}

void CWelcomeRecord::exchange(CBlockArchive& ar) {
    if (ar.version() < 18) return;
    ar.section("Welcome");
    ar.dword("Order", m_Order);
    ar.text("Text", m_Text);
    ar.bitmap("Side", m_Side);
}

void CRegionRecord::exchange(CBlockArchive& ar) {
    if (ar.version() < 21) return;
    ar.section("Region");
    ar.dword("Order", m_Order);
    texts(ar, "Text", m_Texts);
    ar.bitmap("Side", m_Side);
}

void CPageRecords::exchange(CBlockArchive& ar) {
    option.exchange(ar);
    licence.exchange(ar);
    prufe.exchange(ar);
    gerat.exchange(ar);
    geratFaul.exchange(ar);
    ort.exchange(ar);
    knoten.exchange(ar);
    member.exchange(ar);
    userData.exchange(ar);
    browser.exchange(ar);
    progress.exchange(ar);
    reboot.exchange(ar);
    product.exchange(ar);
    contract.exchange(ar);
    welcome.exchange(ar);
    region.exchange(ar);
}
