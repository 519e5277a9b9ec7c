// The wizard's application object: start-up from the command line to the chosen first page, the
// helper programs it runs, and the exit that cleans up after a cancel or asks for the restart.
#pragma once

#include "background_wnd.h"
#include "command_line.h"
#include "config_block.h"
#include "dial_devices.h"
#include "page_sequence.h"
#include "prepare_dlg.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class COrvaneDlg;

class COrvaneApp {
public:
    // Start-up. False when the wizard is to end without showing a page (no block, a damaged or
    // foreign one, or the user gave up while browser windows were open).
    bool initInstance();
    // Shows the wizard window at the start page and runs it until the quit message. Without a
    // display nothing can be shown and the wizard ends as if cancelled.
    void run();
    // The wizard window at the start page, shown; null when it cannot be shown.
    std::unique_ptr<COrvaneDlg> createWizard();
    // The exit step; returns the program's exit code.
    int exitInstance();

    const ConfigBlock& block() const { return m_Block; }
    const std::vector<PageId>& pages() const { return m_Pages; }
    int startPage() const { return m_StartPage; }
    const WizardOptions& options() const { return m_Options; }
    bool windowsNt() const { return m_WindowsNt; }
    bool windows2000() const { return m_Windows2000; }
    // Where the wizard window of this outer size goes: the configured place, moved with the
    // background picture and kept on the screen.
    POINT wizardPosition(SIZE window) const;
    // "Wizard.ico" of the current folder; empty when there is none.
    const ui::Bitmap& icon() const { return m_Icon; }
    // The remote-access devices, bound at start-up and released at exit.
    CDialDevices& dialDevices() { return m_DialDevices; }
    // The installed Internet Explorer's version code (0: none, or its handling is off).
    int ieVersionCode() const { return m_IeCode; }

private:
    bool readBlock();
    bool browserWindowsClosed();

    WizardOptions m_Options;
    ConfigBlock m_Block;
    std::string m_ProviderTitle;
    std::vector<PageId> m_Pages;
    int m_StartPage = 0;  // 0: none given
    bool m_WindowsNt = false;
    bool m_Windows2000 = false;
    bool m_Dialogs = false;  // the toolkit can show the wizard's windows
    CPrepareDlg m_Prepare;
    CBackgroundWnd m_Background;
    ui::Bitmap m_Icon;
    CDialDevices m_DialDevices;
    int m_IeCode = 0;
};

// Runs a helper program: its command line as is (found on the search path), its show mode, and
// waiting for its end when its wait flag is set. True when it started (and the wait ended).
bool runHelper(const CAnwendung& helper);
// A helper's command line with a blank and `argument` appended.
CAnwendung withArgument(const CAnwendung& helper, const std::string& argument);
