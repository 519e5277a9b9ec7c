// The toolkit-neutral part of dialog templates: finding controls and the dialog-unit arithmetic.
#include "dialog_template.h"

namespace ui {

const ControlTemplate* DialogTemplate::control(int id) const {
    for (const ControlTemplate& c : controls)
        if (c.id == id && id != -1) return &c;
    return nullptr;
}

namespace {

// MulDiv as Windows rounds it: to the nearest, halves away from zero.
int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

}  // namespace

RECT dialogToPixels(const DialogRect& rect, BaseUnits units) {
    RECT r;
    r.left = mulDiv(rect.x, units.x, 4);
    r.top = mulDiv(rect.y, units.y, 8);
    // Windows maps the size on its own, not the far edge.
    r.right = r.left + mulDiv(rect.cx, units.x, 4);
    r.bottom = r.top + mulDiv(rect.cy, units.y, 8);
    return r;
}

int averageCharWidth(int alphabetWidth) { return (alphabetWidth / 26 + 1) / 2; }

}  // namespace ui
