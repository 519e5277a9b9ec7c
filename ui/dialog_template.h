// Dialog templates: what a dialog or wizard page is made of, independent of the toolkit that shows
// it. Positions and sizes are dialog units of the template's font (a quarter of the font's average
// character width across, an eighth of its height down), so one template lays out the same on
// every toolkit. Texts are Windows-1252.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

enum class ControlClass {
    PushButton,
    DefaultButton,  // Enter presses it wherever the focus is not on another push button
    RadioButton,
    CheckBox,
    GroupBox,
    StaticText,
    Edit,
    DropDownList,  // a combo box the user picks from, no typing
    SortedList,    // a list box kept in the user's collation order
    ListView,      // a report list with small icons and columns
    ProgressBar,
    Picture,       // a frame that shows a bitmap (Dialog::setBitmap)
};

// Control flags; combine with |.
enum ControlFlags : unsigned {
    kNone = 0,
    kPassword = 1u << 0,   // Edit: shows bullets
    kReadOnly = 1u << 1,   // Edit
    kMultiline = 1u << 2,  // Edit: several lines, Enter starts a new one
    kDisabled = 1u << 3,
    kHidden = 1u << 4,
    kGroup = 1u << 5,      // starts a group of radio buttons (the first radio of a dialog always does)
    kCentered = 1u << 6,   // StaticText: centred text
    kSunken = 1u << 7,     // StaticText, Picture: a sunken border
};

// A rectangle in dialog units.
struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

struct ControlTemplate {
    int id = -1;  // -1 for a control that is never addressed (a label)
    ControlClass kind = ControlClass::StaticText;
    std::string text;
    DialogRect rect;
    unsigned flags = kNone;
    int textLimit = 0;  // Edit: at most this many characters; 0 for no limit
};

struct DialogTemplate {
    int resourceId = 0;
    std::string caption;
    int cx = 0;  // client size in dialog units
    int cy = 0;
    std::string fontName = "MS Sans Serif";
    int fontPoints = 8;
    std::vector<ControlTemplate> controls;

    const ControlTemplate* control(int id) const;
};

// The base units of a dialog font: its average character width (computed over the 52 letters,
// rounded, as Windows does) and its character cell height, in pixels.
struct BaseUnits {
    int x = 0;
    int y = 0;
};

// A dialog-unit rectangle in pixels (left/top/right/bottom), as Windows places a dialog's
// control: position and size each mapped on their own.
RECT dialogToPixels(const DialogRect& rect, BaseUnits units);
// The average character width from the pixel width of "A".."Z" "a".."z" in the font.
int averageCharWidth(int alphabetWidth);

}  // namespace ui
