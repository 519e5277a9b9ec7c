// The background window: placing the picture, the gradient, and the corner gesture.
#include "background_wnd.h"

#include "bitmap.h"
#include "trace.h"

namespace {

constexpr const char* kClassName = "WINBGCLASS";
constexpr const char* kTitle = "WinBG";
constexpr int kCorner = 10;     // the gesture's corner and the strip's width
constexpr int kStripHeight = 100;

SIZE screenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

RECT wholeScreen() {
    const SIZE screen = screenSize();
    return {0, 0, screen.cx, screen.cy};
}

}  // namespace

RECT picturePlace(LONG w, LONG h, LONG screenWidth, LONG screenHeight, DWORD placement) {
    LONG x = 0;
    LONG y = 0;
    if (placement != 0 && placement % 3 == 0) x = screenWidth - w;
    else if (placement % 3 == 2) x = (screenWidth - w) / 2;
    if (placement >= 4 && placement <= 6) y = screenHeight - h;
    else if (placement >= 7 && placement <= 9) y = (screenHeight - h) / 2;
    if (x + w > screenWidth) x = screenWidth - w;
    if (y + h > screenHeight) y = screenHeight - h;
    return {x, y, x + w, y + h};
}

POINT clampWizardPosition(POINT configured, SIZE window, SIZE screen, LONG captionHeight) {
    POINT at = configured;
    if (at.x + window.cx - 1 > screen.cx) at.x = screen.cx - window.cx + 1;
    if (at.y + window.cy - 1 - captionHeight > screen.cy) at.y = screen.cy - window.cy + 1;
    return at;
}

bool CBackgroundWnd::create() {
    // Only a program that carries the "BG" picture shows the configured one.
    if (HRSRC found = FindResourceA(nullptr, "BG", RT_BITMAP)) {
        HGLOBAL loaded = LoadResource(nullptr, found);
        const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
        ui::Bitmap resource;
        m_HasResource = bytes && ui::decodePackedBitmap(bytes, SizeofResource(nullptr, found), resource);
    }
    m_Window = ui::createPictureWindow(kClassName, kTitle, wholeScreen(), this);
    if (!m_Window) return false;
    paintGradient();
    return true;
}

void CBackgroundWnd::paintGradient() {
    const SIZE screen = screenSize();
    ui::Bitmap gradient;
    gradient.width = 1;
    gradient.height = screen.cy > 0 ? screen.cy : 1;
    gradient.rgb.assign(static_cast<size_t>(gradient.height) * 3, 0);
    for (int y = 0; y < gradient.height; ++y)
        gradient.rgb[static_cast<size_t>(y) * 3 + 2] =
            static_cast<std::uint8_t>(255.0 - y * (255.0 / gradient.height));
    m_Window->setPicture(gradient, {0, 0, screen.cx, screen.cy}, 0);
}

void CBackgroundWnd::setBitmap(const CDibDoc& picture, DWORD placement, DWORD stretch, COLORREF colour) {
    ui::Bitmap decoded;
    if (!m_HasResource || !picture.present() ||
        !ui::decodePackedBitmap(picture.packed().data(), picture.packed().size(), decoded)) {
        traceLine("background: gradient\n");
        return;
    }
    const SIZE screen = screenSize();
    const RECT place = picturePlace(decoded.width, decoded.height, screen.cx, screen.cy, placement);
    m_Origin = {place.left, place.top};
    traceLine("background: picture %dx%d at %ld,%ld%s\n", decoded.width, decoded.height,
              static_cast<long>(place.left), static_cast<long>(place.top),
              stretch ? ", stretched" : "");
    if (m_Window) m_Window->setPicture(decoded, stretch ? RECT{0, 0, screen.cx, screen.cy} : place, colour);
}

void CBackgroundWnd::onClick(ui::PictureWindow& window, int x, int y, unsigned keys) {
    if ((keys & (MK_SHIFT | MK_CONTROL)) != (MK_SHIFT | MK_CONTROL) || x >= kCorner) return;
    if (y < kCorner) {
        m_FullScreen = !m_FullScreen;
        window.setBounds(m_FullScreen ? wholeScreen() : RECT{0, 0, kCorner, kStripHeight});
        traceLine("background: %s\n", m_FullScreen ? "full screen" : "strip");
    } else if (y > kCorner && y < kStripHeight && m_Wizard) {
        m_Wizard->showWindow(!m_Wizard->isWindowShown());
        traceLine("background: wizard %s\n", m_Wizard->isWindowShown() ? "shown" : "hidden");
    }
}
