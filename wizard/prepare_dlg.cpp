// The preparation window.
#include "prepare_dlg.h"

#include "ov_dialog.h"
#include "wizard_dialogs.h"

namespace {

constexpr int kBarHigh = 20;

}  // namespace

bool CPrepareDlg::create() {
    m_Dialog = ui::createModeless(prepareTemplate(), *this);
    if (!m_Dialog) return false;
    m_Dialog->setProgressRange(IDC_PREPARE_BAR, 0, kBarHigh);
    m_Dialog->setProgress(IDC_PREPARE_BAR, 0);
    return true;
}

void CPrepareDlg::setText(const std::string& text) {
    if (m_Dialog) m_Dialog->setText(IDC_PREPARE_TEXT, text);
}

// The bar stops at its end.
void CPrepareDlg::step() {
    if (m_Dialog) m_Dialog->setProgress(IDC_PREPARE_BAR, m_Dialog->progress(IDC_PREPARE_BAR) + 1);
}

bool CPrepareDlg::onMessage(ui::Dialog& dialog, UINT message, WPARAM, LPARAM, LRESULT&) {
    const WizardMessages& m = wizardMessages();
    if (message == m.triggerProgress) step();
    else if (message == m.closeProgress) dialog.setProgress(IDC_PREPARE_BAR, kBarHigh);
    else return false;
    return true;
}
