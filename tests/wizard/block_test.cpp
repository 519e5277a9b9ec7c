// The configuration block through its writer and reader: every field at every format version,
// the length forms of texts, both containers, and blocks cut short or damaged.
#include "config_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CDibDoc picture(LONG width, LONG height, WORD bits, BYTE seed) {
    std::vector<CPaletteEntry> colours;
    if (bits <= 8)
        for (int i = 0; i < (1 << bits); ++i)
            colours.push_back({static_cast<BYTE>(i * 7 + seed), static_cast<BYTE>(i), seed});
    const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    std::vector<BYTE> rows(stride * static_cast<size_t>(height));
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<BYTE>(i * 31 + seed);
    CDibDoc dib;
    std::string error;
    EXPECT_TRUE(dib.setPacked(packDib(width, height, bits, colours, rows), error)) << error;
    return dib;
}

CAnwendung helper(const char* line, DWORD show, DWORD wait) { return {line, show, wait}; }

// A block of `version` with a distinct value in every field it can hold.
ConfigBlock fullBlock(WORD version, bool longTexts = false) {
    ConfigBlock b;
    b.m_Version = version;
    CWizardData& d = b.m_Data;
    d.m_ProviderTitle = "Anbieter \xe4\xf6\xfc";
    d.m_BackCaption = "< Zur\xfc" "ck";
    d.m_NextCaption = "Weiter >";
    d.m_FinishCaption = "Fertig";
    d.m_CancelCaption = "Abbrechen";
    d.m_HelpCaption = "Hilfe";
    d.m_ShortName = "kurz";
    d.m_CancelText = longTexts ? std::string(300, 'c') : "Wirklich abbrechen?";
    d.m_CaptionFlag = 0;
    d.m_Reserved = 1;
    d.m_BackgroundHelper = helper("winbg.exe 101", 5, 0);
    d.m_TopHelper = helper("top.exe", 3, 1);
    d.m_RebootHelper = helper("reboot.exe", 0, 0);
    d.m_CleanupHelper = helper("clear.exe", 7, 1);
    d.m_Background = picture(9, 5, 8, 1);
    d.m_WizardX = -20;
    d.m_WizardY = 150;
    d.m_BackgroundColour = 0x00123456;
    d.m_Placement = 8;
    d.m_Stretch = 1;
    b.m_IeOptions = {{"Minimal", "klein"}, {"Standard", "mittel"}, {"Voll", "gro\xdf"}, {"Nur", ""}};
    b.m_NcOptions = {{"Standard", "a"}, {"Voll", "b"}};
    CPageRecords& p = b.m_Pages;
    DWORD order = 1;
    auto titled = [&](CTitledRecord& r, const char* title, BYTE seed) {
        r.m_Title = title;
        r.m_Order = order++;
        r.m_Side = picture(3, 4, seed % 2 ? 4 : 8, seed);
    };
    titled(p.option, "Option", 2);
    p.option.m_Instruction = "i";
    p.option.m_Closing = "c";
    p.option.m_IeCloseWarning = "ie zu";
    p.option.m_NcCloseWarning = "nc zu";
    p.option.m_WarningCaption = "Warnung";
    titled(p.licence, "Lizenz", 3);
    p.licence.m_AcceptCaption = "ja";
    p.licence.m_DeclineCaption = "nein";
    p.licence.m_IeLicenceFile = longTexts ? std::string(0xFFFE, 'l') : "ie.txt";
    p.licence.m_NcLicenceFile = longTexts ? std::string(70000, 'n') : "nc.txt";
    titled(p.prufe, "Pr\xfc" "fung", 4);
    p.prufe.m_Texts = {"t1", "t2", "t3", "t4"};
    p.prufe.m_RestartCaption = "Neustart";
    p.prufe.m_RestartText = "Jetzt neu";
    p.prufe.m_CheckHelper = helper("cm_32.exe", 0, 0);
    titled(p.gerat, "Ger\xe4t", 5);
    p.gerat.m_ChoiceCaptions = {"std", "isdn", "manuell"};
    p.gerat.m_RepeatCaption = "nochmal";
    p.gerat.m_DeviceHelper = helper("dev.exe", 1, 1);
    p.gerat.m_Findings = {"f1 COM%u %s", "f2", "f3", "f4"};
    p.gerat.m_Hints = {"h1 %s", "h2", "h3", "h4"};
    titled(p.geratFaul, "Liste", 6);
    p.geratFaul.m_Instruction = "w\xe4hlen";
    p.geratFaul.m_ModemWizardHint = "hint";
    p.geratFaul.m_PropertiesCaption = "Eigenschaften";
    p.geratFaul.m_ModemWizardCaption = "Assistent";
    p.geratFaul.m_ModemHelper = helper("mdm.exe", 5, 1);
    titled(p.ort, "Standort", 7);
    p.ort.m_CountryPrompt = "a";
    p.ort.m_Closing = "b";
    p.ort.m_CountryLabel = "c";
    p.ort.m_AreaCodePrompt = "d";
    p.ort.m_AreaCodeLabel = "e";
    p.ort.m_OutsideLinePrompt = "f";
    p.ort.m_OutsideLineLabel = "g";
    p.ort.m_DiallingPrompt = "h";
    p.ort.m_ToneCaption = "Ton";
    p.ort.m_PulseCaption = "Puls";
    titled(p.knoten, "Knoten", 8);
    p.knoten.m_Instruction = "k";
    p.knoten.m_Closing = "kc";
    p.knoten.m_Nodes = {{"Berlin", "030", "x"}, {"M\xfcnchen", "089", ""}};
    titled(p.member, "Kunde", 9);
    p.member.m_Instruction = "m";
    p.member.m_Closing = "mc";
    p.member.m_NewCaption = "neu";
    p.member.m_ExistingCaption = "alt";
    titled(p.userData, "Daten", 10);
    p.userData.m_Instruction = "u";
    p.userData.m_Closing = "uc";
    p.userData.m_UserLabel = "Name";
    p.userData.m_PasswordLabel = "Kennwort";
    p.userData.m_DefaultUser = "gast";
    p.userData.m_DefaultPassword = "geheim";
    p.userData.m_SingleField = 0;
    p.userData.m_UserMin = 3;
    p.userData.m_PasswordMin = 4;
    p.userData.m_UserMax = 8;
    p.userData.m_PasswordMax = 9;
    p.userData.m_Masking = 0;
    p.userData.m_PasswordRequired = 1;
    titled(p.browser, "Browser", 11);
    p.browser.m_Instruction = "b1";
    p.browser.m_Closing = "b2";
    p.browser.m_IeConfigure = "IE %s";
    p.browser.m_IeInstall = "b4";
    p.browser.m_IeUpdate = "b5";
    p.browser.m_NcConfigure = "NC %s";
    p.browser.m_NcInstall = "b7";
    p.browser.m_NcUpdate = "b8";
    p.browser.m_NoBrowserText = "keiner";
    p.browser.m_ChoicePrompt = "w\xe4hle";
    titled(p.progress, "Fortschritt", 12);
    p.progress.m_IeFrames = {picture(2, 2, 8, 20), picture(2, 2, 1, 21)};
    p.progress.m_NcFrames = {picture(2, 3, 24, 22)};
    p.progress.m_IeInstaller = helper("BR_32_IE.exe", 5, 0);
    p.progress.m_NcInstaller = helper("BR_32_NC.exe", 5, 1);
    p.progress.m_Animation = picture(4, 4, 24, 23);
    p.progress.m_AnimationPlace = {4, 4, 7, 8, 10, 20};
    titled(p.reboot, "Neustart", 13);
    p.reboot.m_Text = "r";
    p.reboot.m_Closing = "rc";
    p.reboot.m_NowCaption = "jetzt";
    p.reboot.m_LaterCaption = "sp\xe4ter";
    p.product.m_Texts = {"p1", "p2", "p3", "p4"};
    p.product.m_Order = 14;
    p.product.m_Side = picture(2, 2, 8, 30);
    p.contract.m_Order = 15;
    p.contract.m_Texts = {"c1", "c2", "c3", "c4", "c5", "c6", "c7"};
    p.contract.m_Side = picture(2, 2, 8, 31);
    p.welcome.m_Order = 16;
    p.welcome.m_Text = "Willkommen";
    p.welcome.m_Side = picture(2, 2, 8, 32);
    p.region.m_Order = 17;
    p.region.m_Texts = {"r1", "r2", "r3"};
    p.region.m_Side = picture(2, 2, 8, 33);
    return b;
}

ConfigBlock roundTrip(const ConfigBlock& written) {
    const std::vector<BYTE> file = writeConfigFile(written);
    ConfigBlock read;
    std::string error;
    EXPECT_EQ(readConfigFileBytes(file.data(), file.size(), read, error), BlockStatus::Read) << error;
    EXPECT_EQ(writeConfigFile(read), file) << "the writer gives back the bytes it was read from";
    return read;
}

TEST(ConfigBlock, Version21KeepsEveryFieldAndEveryLengthFormOfTexts) {
    const ConfigBlock written = fullBlock(21, true);
    EXPECT_EQ(roundTrip(written), written);
    // A text of 0xFFFE bytes takes the long form, which the reader does not take for UTF-16.
    const std::vector<BYTE> file = writeConfigFile(written);
    const std::string marker("\xff\xff\xff\xfe\xff\x00\x00", 7);
    EXPECT_NE(std::string(file.begin(), file.end()).find(marker), std::string::npos);
}

TEST(ConfigBlock, OlderVersionsLeaveNewerFieldsAtTheirDefaults) {
    const ConfigBlock defaults;
    const CUserDataRecord userDefaults;
    for (const WORD version : {9, 13, 17}) {
        SCOPED_TRACE(version);
        const ConfigBlock written = fullBlock(version);
        const ConfigBlock read = roundTrip(written);
        EXPECT_EQ(read.m_Data.m_ProviderTitle, written.m_Data.m_ProviderTitle);
        EXPECT_EQ(read.m_Data.m_CleanupHelper, written.m_Data.m_CleanupHelper);
        EXPECT_EQ(read.m_Data.m_Background, written.m_Data.m_Background);
        EXPECT_EQ(read.m_NcOptions, written.m_NcOptions);
        EXPECT_EQ(read.m_Pages.knoten.m_Nodes, written.m_Pages.knoten.m_Nodes);
        EXPECT_EQ(read.m_Pages.progress.m_IeFrames, written.m_Pages.progress.m_IeFrames);
        EXPECT_EQ(read.m_Pages.prufe.m_CheckHelper, written.m_Pages.prufe.m_CheckHelper);
        EXPECT_EQ(read.m_Pages.product.m_Order, 14u) << "the product page always has its number";
        // From version 14: the wizard's place and the picture's placement.
        EXPECT_EQ(read.m_Data.m_WizardX, version >= 14 ? -20 : defaults.m_Data.m_WizardX);
        EXPECT_EQ(read.m_Data.m_Placement, version >= 14 ? 8u : defaults.m_Data.m_Placement);
        // From version 13: the device page's captions, findings and hints.
        EXPECT_EQ(read.m_Pages.gerat.m_ChoiceCaptions, version >= 13 ? written.m_Pages.gerat.m_ChoiceCaptions
                                                                    : defaults.m_Pages.gerat.m_ChoiceCaptions);
        EXPECT_EQ(read.m_Pages.gerat.m_Hints, version >= 13 ? written.m_Pages.gerat.m_Hints
                                                           : defaults.m_Pages.gerat.m_Hints);
        // From version 10 the first twelve pages carry their order numbers.
        EXPECT_EQ(read.m_Pages.reboot.m_Order, version >= 10 ? 12u : 0u);
        EXPECT_EQ(read.m_Pages.option.m_Order, version >= 10 ? 1u : 0u);
        EXPECT_EQ(read.m_Pages.prufe.m_RestartText, version >= 10 ? "Jetzt neu" : "");
        // From 11, 12, 15, 19 and 20: user data limits, masking, the animation, the warnings.
        EXPECT_EQ(read.m_Pages.userData.m_UserMax, version >= 11 ? 8u : userDefaults.m_UserMax);
        EXPECT_EQ(read.m_Pages.userData.m_Masking, version >= 12 ? 0u : userDefaults.m_Masking);
        EXPECT_EQ(read.m_Pages.progress.m_Animation.present(), version >= 15);
        EXPECT_EQ(read.m_Pages.option.m_IeCloseWarning, "");
        EXPECT_EQ(read.m_Pages.userData.m_PasswordRequired, userDefaults.m_PasswordRequired);
        // The last three pages have no record before 18 (contract, welcome) and 21 (region).
        EXPECT_EQ(read.m_Pages.contract, version >= 18 ? written.m_Pages.contract : defaults.m_Pages.contract);
        EXPECT_EQ(read.m_Pages.welcome, version >= 18 ? written.m_Pages.welcome : defaults.m_Pages.welcome);
        EXPECT_EQ(read.m_Pages.region, defaults.m_Pages.region);
    }
    // Version 17 lacks exactly the three last records: its block is that much shorter than 18's.
    const ConfigBlock v17 = fullBlock(17), v18 = fullBlock(18);
    EXPECT_LT(writeRecord(v17).size(), writeRecord(v18).size());
}

TEST(ConfigBlock, ReadsUtf16TextsAsWindows1252) {
    ConfigBlock block = fullBlock(21);
    block.m_Data.m_ProviderTitle = "@@";
    std::vector<BYTE> file = writeConfigFile(block);
    // Replace the title (length 2, "@@") by the UTF-16 form of "Gr\xfc\xdf" "e".
    const std::vector<BYTE> utf16 = {0xFF, 0xFE, 0xFF, 5, 'G', 0, 'r', 0, 0xFC, 0, 0xDF, 0, 'e', 0};
    const size_t at = 4 + 2;  // "OVB", version
    ASSERT_EQ(file[at], 2);
    file.erase(file.begin() + at, file.begin() + at + 3);
    file.insert(file.begin() + at, utf16.begin(), utf16.end());
    ConfigBlock read;
    std::string error;
    ASSERT_EQ(readConfigFileBytes(file.data(), file.size(), read, error), BlockStatus::Read) << error;
    EXPECT_EQ(read.m_Data.m_ProviderTitle, "Gr\xfc\xdf" "e");
    EXPECT_EQ(read.m_Data.m_BackCaption, block.m_Data.m_BackCaption);
}

TEST(ConfigBlock, AppendedBlockIsFoundByItsTrailerAndWhatFollowsTheRecordIsNeverRead) {
    const ConfigBlock written = fullBlock(21);
    std::vector<BYTE> program(1000, 0x90);
    const std::vector<BYTE> appended = writeAppendedBlock(written, static_cast<DWORD>(program.size()));
    std::vector<BYTE> file = program;
    file.insert(file.end(), appended.begin(), appended.end() - 7);
    // Left-over bytes and a second trailer between the record and the real trailer.
    const std::string leftOver = "left over\x01\x02\x03\x04" "END";
    file.insert(file.end(), leftOver.begin(), leftOver.end());
    file.insert(file.end(), appended.end() - 7, appended.end());
    ConfigBlock read;
    std::string error;
    ASSERT_EQ(readAppendedBytes(file.data(), file.size(), read, error), BlockStatus::Read) << error;
    EXPECT_EQ(read, written);
    // A configuration file starting with any other string is not taken.
    std::vector<BYTE> other = writeConfigFile(written);
    other[3] = 'C';
    EXPECT_EQ(readConfigFileBytes(other.data(), other.size(), read, error), BlockStatus::WrongFormat);
    // A trailer pointing past the program is a damaged block, not a crash.
    file[file.size() - 4] = 0x7F;
    EXPECT_EQ(readAppendedBytes(file.data(), file.size(), read, error), BlockStatus::Damaged);
    EXPECT_NE(error.find("beyond the end"), std::string::npos) << error;
}

TEST(ConfigBlock, EveryShorterBlockEndsWithAnErrorAndLeavesTheBlockAlone) {
    const std::vector<BYTE> file = writeConfigFile(fullBlock(21));
    const ConfigBlock untouched = fullBlock(9);
    for (size_t size = 4; size < file.size(); ++size) {
        // Exactly `size` bytes on the heap, so a read past them is a fault the sanitizers see.
        const std::vector<BYTE> cut(file.begin(), file.begin() + static_cast<long>(size));
        ConfigBlock read = untouched;
        std::string error;
        ASSERT_EQ(readConfigFileBytes(cut.data(), cut.size(), read, error), BlockStatus::Damaged) << size;
        ASSERT_NE(error.find("ends early"), std::string::npos) << size << ": " << error;
        ASSERT_EQ(read, untouched) << size;
    }
}

TEST(ConfigBlock, BitmapsThatDoNotFitTheirHeaderAreRefused) {
    ConfigBlock block = fullBlock(21);
    std::vector<BYTE> file = writeConfigFile(block);
    // The background is the first bitmap: make its header claim a wider picture.
    const std::vector<BYTE> packed = block.m_Data.m_Background.packed();
    const auto at = std::search(file.begin(), file.end(), packed.begin(), packed.end());
    ASSERT_NE(at, file.end());
    at[4] = 200;
    ConfigBlock read;
    std::string error;
    EXPECT_EQ(readConfigFileBytes(file.data(), file.size(), read, error), BlockStatus::Damaged);
    EXPECT_NE(error.find("Background"), std::string::npos) << error;
}

}  // namespace
