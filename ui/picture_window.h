// A plain top-level window without a title bar that shows one picture: the window is filled with a
// background colour and the picture is drawn into a rectangle of it (scaled to that rectangle,
// pixel by pixel, without smoothing). Mouse clicks are reported with the modifier keys held. The
// window is a user32 window of the class and title given, so that other programs find it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "bitmap.h"

namespace ui {

class PictureWindow;

class PictureHandler {
public:
    virtual ~PictureHandler() = default;
    // A left click at (x, y) of the window; `keys` holds MK_SHIFT and MK_CONTROL as held.
    virtual void onClick(PictureWindow&, int /*x*/, int /*y*/, unsigned /*keys*/) {}
};

class PictureWindow {
public:
    virtual ~PictureWindow() = default;

    virtual HWND hwnd() const = 0;
    // The picture drawn into `place` (window coordinates; it may reach past the window) over the
    // colour `background` (0x00BBGGRR); an empty picture leaves only the colour.
    virtual void setPicture(const Bitmap& picture, const RECT& place, COLORREF background) = 0;
    // Moves and sizes the window (screen coordinates) and repaints it.
    virtual void setBounds(const RECT& bounds) = 0;
    virtual RECT bounds() = 0;
    virtual void show(bool visible) = 0;
};

// A new window of the class `className` (registered here) titled `title`, covering `bounds` and
// shown; null when the toolkit cannot show windows.
std::unique_ptr<PictureWindow> createPictureWindow(const std::string& className, const std::string& title,
                                                   const RECT& bounds, PictureHandler* handler);

}  // namespace ui
