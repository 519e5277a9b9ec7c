// The wizard window in this process on a display of its own: the button rules after a resume and
// on the last page, and what the helpers' messages do to the system check page.
#include "orvane_app.h"
#include "orvane_dlg.h"
#include "user_choice.h"
#include "wizard_process.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace wizard_test;

namespace {

TEST(WizardSheet, ButtonRulesAndHelperMessagesOnTheRealSheet) {
    lumora_test::XvfbServer display;
    if (!display.start()) GTEST_SKIP() << "no Xvfb";
    setWindowsVersion("2000");  // no device pages after the check
    // Pages: check (index 0), member (1), welcome (2); resumed at the member page.
    ConfigBlock block = testBlock("");
    block.m_Data.m_CancelCaption = "Abbruch";
    block.m_Pages.prufe.m_Title = "Pr\xfc" "fung";
    block.m_Pages.prufe.m_Order = 1;
    block.m_Pages.prufe.m_CheckHelper = {"cm_32.exe -steps 0", SW_SHOW, 0};
    // Longer than a line of the page: it wraps, and the sheet keeps its size.
    block.m_Pages.prufe.m_Texts[1] =
        "Dabei wird nach einem angeschlossenen Modem und nach ISDN-Karten gesucht, an jedem "
        "Anschluss des Computers der Reihe nach.";
    block.m_Pages.member.m_Order = 2;
    block.m_Pages.welcome.m_Order = 3;
    const std::string work = lumora_test::scratchDir();
    writeConfigFile(block, work + "wizard.ovb");
    setVariable("StartPage", "1");
    ASSERT_EQ(::chdir(work.c_str()), 0);

    COrvaneApp app;
    ASSERT_TRUE(app.initInstance());
    const std::unique_ptr<COrvaneDlg> wizard = app.createWizard();
    ASSERT_TRUE(wizard);
    ui::Sheet& sheet = *wizard->sheet();
    pumpMessages(300);
    using ui::WizardButton;
    // Resumed at index 1: no way back before it; Next, no Finish.
    ASSERT_EQ(sheet.activePage(), 1);
    const RECT resumed = sheet.windowRect();
    EXPECT_FALSE(sheet.isButtonShown(WizardButton::Back));
    EXPECT_TRUE(sheet.isButtonShown(WizardButton::Next));
    EXPECT_FALSE(sheet.isButtonShown(WizardButton::Finish));
    EXPECT_FALSE(sheet.isButtonShown(WizardButton::Help));
    EXPECT_EQ(sheet.buttonText(WizardButton::Cancel), "Abbruch");
    // The last page: Finish instead of Next, and Back (its number less one is past the start).
    sheet.pressButton(WizardButton::Next);
    pumpMessages(300);
    ASSERT_EQ(sheet.activePage(), 2);
    EXPECT_TRUE(sheet.isButtonShown(WizardButton::Finish));
    EXPECT_FALSE(sheet.isButtonShown(WizardButton::Next));
    EXPECT_TRUE(sheet.isButtonShown(WizardButton::Back));
    EXPECT_EQ(variable("NewUser"), "1") << "Next wrote the new-customer choice";

    // Back on the check page: its bar follows the helper's steps and stops at its end, the
    // restart message is ignored, the close message moves on.
    sheet.setActivePage(0);
    pumpMessages(300);
    ASSERT_EQ(sheet.activePage(), 0);
    EXPECT_EQ(sheet.caption(), "Pr\xfc" "fung") << "the check page's title";
    const RECT checking = sheet.windowRect();
    EXPECT_EQ(checking.right - checking.left, resumed.right - resumed.left) << "one size for every page";
    EXPECT_EQ(checking.bottom - checking.top, resumed.bottom - resumed.top);
    const WizardMessages& m = wizardMessages();
    for (int i = 0; i < 60; ++i) PostMessageA(sheet.hwnd(), m.triggerProgress, 0, 0);
    PostMessageA(sheet.hwnd(), m.closeReboot, 0, 0);
    pumpMessages(500);
    EXPECT_EQ(sheet.page(0).progress(IDC_PROGRESS), 50);
    EXPECT_EQ(sheet.activePage(), 0);
    PostMessageA(sheet.hwnd(), m.closeProgress, 0, 0);
    pumpMessages(500);
    EXPECT_EQ(sheet.activePage(), 1) << "the helper's end pressed Next";
}

}  // namespace
