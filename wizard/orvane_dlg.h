// The wizard window: a modeless wizard sheet of the pages chosen at start-up, with the button
// captions of the configuration, the title bar as the configuration asks, on top of everything.
#pragma once

#include "page_sequence.h"
#include "pages.h"

#include <memory>
#include <vector>

class COrvaneApp;

class COrvaneDlg : public ui::SheetHandler {
public:
    explicit COrvaneDlg(COrvaneApp& app);
    // Shows the sheet at the start page; false when it cannot be shown.
    bool create();
    ui::Sheet* sheet() { return m_Sheet.get(); }

    bool onMessage(ui::Sheet& sheet, UINT message, WPARAM, LPARAM, LRESULT&) override;

private:
    OvDialog& page(PageId id);

    COrvaneApp& m_App;
    std::vector<std::unique_ptr<OvDialog>> m_Pages;  // in PageId order
    std::unique_ptr<ui::Sheet> m_Sheet;
};
