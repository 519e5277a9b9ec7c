// The sixteen wizard pages. Each takes its texts from its configuration record when shown; the
// device, location and browser detection they present is the detection library's, which fills the
// user's choices (port, ISDN device, browser versions) before the pages read them.
#pragma once

#include "device_search.h"
#include "ov_dialog.h"
#include "page_records.h"
#include "phonebook_files.h"

#include <string>
#include <thread>

class CPrufeStp : public OvDialog {
public:
    CPrufeStp(COrvaneApp& app, const CPrufeRecord& record);
    enum class State { NotChecked, ModemFound, NoModem };
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
    void triggerProgress(ui::Dialog& page) override;
    void closeProgress(ui::Dialog& page) override;
private:
    void startCheckHelper();
    const CPrufeRecord& m_Record;
    State m_State = State::NotChecked;
    bool m_CheckFinished = false;
    bool m_HelperStarted = false;
};

class CGeratStp : public OvDialog {
public:
    CGeratStp(COrvaneApp& app, const CGeratRecord& record);
    ~CGeratStp() override;
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
    void back(ui::Sheet& sheet, ui::Dialog& page) override;
    // The repeat search button; the search's steps and its end.
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;
    bool pageMessage(ui::Dialog& page, UINT message, WPARAM wParam, LPARAM lParam) override;
private:
    void findIsdnDevice();
    void searchEnded(ui::Dialog& page);
    const CGeratRecord& m_Record;
    std::thread m_Search;
    std::string m_SearchModemName;  // the standard modem's name the search prepares
    ModemSearchResult m_Found;      // written by the search's thread, read once it is joined
};

class CGeratFaulStp : public OvDialog {
public:
    CGeratFaulStp(COrvaneApp& app, const CGeratFaulRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
    void onNotify(ui::Dialog& page, int id, ui::NotifyEvent event, int item) override;
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;
    // The end of the modem installation.
    bool pageMessage(ui::Dialog& page, UINT message, WPARAM, LPARAM) override;
private:
    void fill(ui::Dialog& page);
    void choose(ui::Dialog& page);
    void showProperties(ui::Dialog& page);
    const CGeratFaulRecord& m_Record;
    bool m_Filled = false;
};

class COrtStp : public OvDialog {
public:
    COrtStp(COrvaneApp& app, const COrtRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
private:
    const COrtRecord& m_Record;
    std::vector<DWORD> m_CountryIds;  // the country list's telephony ids, in list order
};

class CKnotenStp : public OvDialog {
public:
    CKnotenStp(COrvaneApp& app, const CKnotenRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;
private:
    const CKnotenRecord& m_Record;
    // The node list file read when the configuration carries no nodes. Nothing names one: the
    // configuration has no field for it, so it stays empty and so does the list.
    std::string m_NodeListFile;
};

class CMemberStp : public OvDialog {
public:
    CMemberStp(COrvaneApp& app, const CMemberRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
private:
    const CMemberRecord& m_Record;
};

class CUserDataStp : public OvDialog {
public:
    CUserDataStp(COrvaneApp& app, const CUserDataRecord& record, const CMemberStp& member);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;
private:
    void check(ui::Dialog& page);
    std::string userName(ui::Dialog& page);
    const CUserDataRecord& m_Record;
    const CMemberStp& m_Member;
};

class CBrowserStp : public OvDialog {
public:
    CBrowserStp(COrvaneApp& app, const CBrowserRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
private:
    int control(int choice) const;
    const CBrowserRecord& m_Record;
};

class COptionStp : public OvDialog {
public:
    COptionStp(COrvaneApp& app, const COptionRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
    void onNotify(ui::Dialog& page, int id, ui::NotifyEvent event, int item) override;
private:
    const std::vector<CSetupData>& options() const;
    const COptionRecord& m_Record;
};

class CLicenceStp : public OvDialog {
public:
    CLicenceStp(COrvaneApp& app, const CLicenceRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
private:
    const CLicenceRecord& m_Record;
};

class CProgressStp : public OvDialog {
public:
    CProgressStp(COrvaneApp& app, const CProgressRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
    void triggerProgress(ui::Dialog& page) override;
    void triggerBitmap(ui::Dialog& page, WPARAM frame) override;
    void closeProgress(ui::Dialog& page) override;
private:
    const CProgressRecord& m_Record;
    bool m_Done = false;
    WORD m_Frame = 0;
};

class CRebootStp : public OvDialog {
public:
    CRebootStp(COrvaneApp& app, const CRebootRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    bool finish(ui::Sheet& sheet, ui::Dialog& page) override;
private:
    const CRebootRecord& m_Record;
};

// The product, contract, welcome and region pages: their texts, check boxes and choices.
class CProductStp : public OvDialog {
public:
    CProductStp(COrvaneApp& app, const CProductRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
private:
    const CProductRecord& m_Record;
};

class CTextsStp : public OvDialog {
public:
    CTextsStp(COrvaneApp& app, int resourceId, std::vector<std::string> texts, DWORD order,
              const CDibDoc& side);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
private:
    std::vector<std::string> m_Texts;
};

class CContractStp : public CTextsStp {
public:
    CContractStp(COrvaneApp& app, const CContractRecord& record);
};

class CWelcomeStp : public CTextsStp {
public:
    CWelcomeStp(COrvaneApp& app, const CWelcomeRecord& record);
};

// The region page: the phonebook named by "kundek", one region's access numbers at a time.
class CRegionStp : public OvDialog {
public:
    CRegionStp(COrvaneApp& app, const CRegionRecord& record);
protected:
    bool activate(ui::Sheet& sheet, ui::Dialog& page) override;
    int next(ui::Sheet& sheet, ui::Dialog& page) override;
    bool onCommand(ui::Dialog& page, int id, ui::CommandEvent event) override;
private:
    void showNumbers(ui::Dialog& page);
    const CRegionRecord& m_Record;
    CPhonebook m_Phonebook;
    bool m_Loaded = false;
};

// A string of the program's string table.
std::string loadString(UINT id);
// The standard modem's name: the provider title in the string table's pattern.
std::string standardModemName();
