// The full-screen window behind the wizard: the configured background picture placed on the
// background colour, or a blue gradient when the program carries no "BG" picture resource. Shift
// and Ctrl held while clicking at its left edge shrink it to a strip or hide the wizard window.
#pragma once

#include "dib_doc.h"
#include "picture_window.h"
#include "sheet.h"

#include <windows.h>

#include <memory>

// Where a picture of w × h sits on a screen of W × h by the placement value (0 to 9), moved left
// or up so that it ends on the screen.
RECT picturePlace(LONG w, LONG h, LONG screenWidth, LONG screenHeight, DWORD placement);

// The wizard window's top left for its outer size: the configured place (already offset by the
// picture), pulled back when it would end past the screen's right or bottom edge.
POINT clampWizardPosition(POINT configured, SIZE window, SIZE screen, LONG captionHeight);

class CBackgroundWnd : public ui::PictureHandler {
public:
    // Covers the whole screen; false when no window can be shown.
    bool create();
    // Gives the window the background picture with its placement, stretch flag and colour, and
    // repaints it.
    void setBitmap(const CDibDoc& picture, DWORD placement, DWORD stretch, COLORREF colour);
    // The top left of the placed picture; (0, 0) when the window shows its gradient.
    POINT pictureOrigin() const { return m_Origin; }
    // The wizard window the corner gesture shows and hides.
    void setWizard(ui::Sheet* wizard) { m_Wizard = wizard; }

    void onClick(ui::PictureWindow& window, int x, int y, unsigned keys) override;

private:
    void paintGradient();

    std::unique_ptr<ui::PictureWindow> m_Window;
    bool m_HasResource = false;  // the program carries the "BG" picture
    bool m_FullScreen = true;
    POINT m_Origin{0, 0};
    ui::Sheet* m_Wizard = nullptr;
};
