// The preparation window shown while the wizard reads its configuration: a text and a bar of
// 0 to 20 that the start-up steps (and the helpers' progress messages) move on.
#pragma once

#include "dialog.h"

#include <memory>
#include <string>

class CPrepareDlg : public ui::DialogHandler {
public:
    // Shows the window; false when dialogs cannot be shown.
    bool create();
    void setText(const std::string& text);
    void step();
    void close() { m_Dialog.reset(); }

    bool onMessage(ui::Dialog& dialog, UINT message, WPARAM, LPARAM, LRESULT&) override;

private:
    std::unique_ptr<ui::Dialog> m_Dialog;
};
