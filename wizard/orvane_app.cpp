// The wizard's start-up and exit.
#include "orvane_app.h"

#include "app_paths.h"
#include "browser_detection.h"
#include "orvane_dlg.h"
#include "process.h"
#include "trace.h"
#include "user_choice.h"

#include <string>

namespace {

constexpr const char* kWrongFormat = "Falsches Dateiformat !";
constexpr const char* kErrorCaption = "Error!";
constexpr const char* kIeFallback =
    "Bitte schlie\xdf" "en Sie ALLE Internet Explorer-Fenster, bevor Sie die Installation starten!";
constexpr const char* kNcFallback =
    "Bitte schlie\xdf" "en Sie ALLE Netscape-Fenster, bevor Sie die Installation starten!";

struct WindowSearch {
    const char* titlePart;
    bool found = false;
};

BOOL CALLBACK findTitle(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    if (std::string(title).find(search->titlePart) != std::string::npos) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool windowWithTitle(const char* part) {
    WindowSearch search{part};
    EnumWindows(findTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The program's own file in the current folder: its name with ".EXE" (a system without
// extensions names it as it is).
std::string ownProgramFile() {
    const AppPaths paths = AppPaths::ofModule();
    return paths.fileName == paths.programName ? paths.fileName : paths.programName + ".EXE";
}

}  // namespace

bool runHelper(const CAnwendung& helper) {
    if (helper.m_CommandLine.empty()) return false;
    const bool ok = runProgram(nullptr, helper.m_CommandLine.c_str(), static_cast<WORD>(helper.m_ShowMode),
                               helper.m_Wait != 0);
    traceLine("helper \"%s\" (show %lu, wait %lu): %s\n", helper.m_CommandLine.c_str(),
              static_cast<unsigned long>(helper.m_ShowMode), static_cast<unsigned long>(helper.m_Wait),
              ok ? "started" : "failed");
    return ok;
}

CAnwendung withArgument(const CAnwendung& helper, const std::string& argument) {
    CAnwendung extended = helper;
    extended.m_CommandLine += " " + argument;
    return extended;
}

bool COrvaneApp::readBlock() {
    std::string error;
    switch (readConfigBlock(ownProgramFile(), m_Options.m_ConfigFile, m_Block, error)) {
    case BlockStatus::Read: return true;
    case BlockStatus::NotFound:
        traceLine("no configuration: nothing appended and no %s\n", m_Options.m_ConfigFile.c_str());
        return false;
    case BlockStatus::WrongFormat:
        MessageBoxA(nullptr, kWrongFormat, kErrorCaption, MB_OK | MB_ICONSTOP);
        return false;
    case BlockStatus::Damaged: {
        const std::string text = "Die Konfiguration des Assistenten ist besch\xe4" "digt: " + error;
        MessageBoxA(nullptr, text.c_str(), kErrorCaption, MB_OK | MB_ICONSTOP);
        return false;
    }
    }
    return false;
}

// While a window of a handled browser is open, the user is asked to close it; Cancel gives up.
bool COrvaneApp::browserWindowsClosed() {
    const COptionRecord& option = m_Block.m_Pages.option;
    const struct {
        bool handled;
        const char* titlePart;
        const std::string& warning;
        const char* fallback;
    } browsers[] = {{m_Options.m_IeHandling, "Internet Explorer", option.m_IeCloseWarning, kIeFallback},
                    {m_Options.m_NcHandling, "Netscape", option.m_NcCloseWarning, kNcFallback}};
    for (const auto& browser : browsers) {
        while (browser.handled && windowWithTitle(browser.titlePart)) {
            const char* text = browser.warning.empty() ? browser.fallback : browser.warning.c_str();
            if (MessageBoxA(nullptr, text, option.m_WarningCaption.c_str(),
                            MB_OKCANCEL | MB_ICONEXCLAMATION | MB_SYSTEMMODAL) == IDCANCEL)
                return false;
        }
    }
    return true;
}

bool COrvaneApp::initInstance() {
    CUserChoice& choice = theUserChoice;
    choice.m_AbnormalEnd = true;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    m_WindowsNt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    m_Windows2000 = m_WindowsNt && version.dwMajorVersion > 4;

    // The helpers' messages are known by name from the start, so that their broadcasts reach us.
    wizardMessages();
    m_Dialogs = ui::startDialogs();
    ui::loadIconFile("Wizard.ico", m_Icon);
    m_Options = parseWizardCommandLine(GetCommandLineA());
    m_StartPage = m_Options.m_StartPage;
    if (m_Dialogs) {
        m_Background.create();
        m_Prepare.create();
    }
    if (m_WindowsNt && m_StartPage != 0)
        m_Prepare.setText("Installation wird fortgesetzt. Bitte haben Sie etwas Geduld...");
    if (!readBlock()) return false;
    m_Prepare.step();
    theWizardData = m_Block.m_Data;
    m_ProviderTitle = m_Block.m_Data.m_ProviderTitle;
    choice.m_VariablesFile = m_Block.m_Data.m_ShortName + ".dat";
    const bool firstRun = m_StartPage == 0;
    if (firstRun) m_StartPage = choice.readStartPage();
    if (firstRun && !browserWindowsClosed()) return false;

    for (int i = 0; i < 19; ++i) m_Prepare.step();
    m_Pages = pageSequence(m_Block, m_Windows2000);
    choice.readVariables();
    m_DialDevices.bind();
    char browserVersion[64] = {};
    m_IeCode = detectInternetExplorer(browserVersion, sizeof browserVersion, m_Options.m_IeHandling);
    choice.m_IeVersion = browserVersion;
    browserVersion[0] = '\0';
    detectNetscape(browserVersion, sizeof browserVersion, m_Options.m_NcHandling);
    choice.m_NcVersion = browserVersion;
    choice.writeVariables();
    const CWizardData& data = m_Block.m_Data;
    m_Background.setBitmap(data.m_Background, data.m_Placement, data.m_Stretch, data.m_BackgroundColour);
    m_StartPage = resumeStartPage(m_StartPage, m_WindowsNt, choice.readOs(), m_Block.m_Pages, choice);

    std::string names;
    for (PageId page : m_Pages) names += std::string(" ") + pageClassName(page);
    traceLine("pages:%s\n", names.c_str());
    traceLine("start page: %d\n", m_StartPage);
    return true;
}

POINT COrvaneApp::wizardPosition(SIZE window) const {
    const CWizardData& data = m_Block.m_Data;
    const POINT origin = m_Background.pictureOrigin();
    const POINT configured{data.m_WizardX + origin.x, data.m_WizardY + origin.y};
    const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const POINT at = clampWizardPosition(configured, window, screen, GetSystemMetrics(SM_CYCAPTION));
    traceLine("wizard window at %ld,%ld\n", static_cast<long>(at.x), static_cast<long>(at.y));
    return at;
}

std::unique_ptr<COrvaneDlg> COrvaneApp::createWizard() {
    if (m_StartPage < 0 || m_StartPage >= static_cast<int>(m_Pages.size())) m_StartPage = 0;
    auto wizard = std::make_unique<COrvaneDlg>(*this);
    const bool shown = wizard->create();
    m_Background.setWizard(wizard->sheet());
    m_Prepare.close();
    return shown ? std::move(wizard) : nullptr;
}

void COrvaneApp::run() {
    if (!m_Dialogs) {
        traceLine("no display: the wizard cannot show its pages\n");
        return;
    }
    const std::unique_ptr<COrvaneDlg> wizard = createWizard();
    if (!wizard) return;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (ui::isDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    m_Background.setWizard(nullptr);
}

int COrvaneApp::exitInstance() {
    CUserChoice& choice = theUserChoice;
    m_DialDevices.unbind();
    if (choice.m_AbnormalEnd) {
        const CAnwendung& cleanup = theWizardData.m_CleanupHelper;
        if (!cleanup.m_CommandLine.empty()) runHelper(withArgument(cleanup, theWizardData.m_ShortName));
        return 0;
    }
    choice.writeVariables();
    if (choice.m_Reboot != 0) runHelper({"rbtnt.exe", SW_HIDE, 0});
    return 0;
}
