// Writing dialog templates as DLGTEMPLATE resources.
#include "dialog_resource.h"

#include <commctrl.h>

#include <string>

namespace ui::win32 {
namespace {

constexpr WORD kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082,
               kListBoxAtom = 0x0083, kComboBoxAtom = 0x0085;

void putText(std::vector<WORD>& out, const std::string& text) {
    const int n = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (n > 0) MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    for (wchar_t c : wide) out.push_back(static_cast<WORD>(c));
    out.push_back(0);
}

void putDword(std::vector<WORD>& out, DWORD v) {
    out.push_back(LOWORD(v));
    out.push_back(HIWORD(v));
}

DWORD controlStyle(const ControlTemplate& c, bool groupStart) {
    DWORD style = WS_CHILD;
    if (!(c.flags & kHidden)) style |= WS_VISIBLE;
    if (c.flags & kDisabled) style |= WS_DISABLED;
    if (groupStart) style |= WS_GROUP;
    switch (c.kind) {
    case ControlClass::PushButton: return style | BS_PUSHBUTTON | WS_TABSTOP;
    case ControlClass::DefaultButton: return style | BS_DEFPUSHBUTTON | WS_TABSTOP;
    case ControlClass::RadioButton: return style | BS_AUTORADIOBUTTON | (groupStart ? WS_TABSTOP : 0);
    case ControlClass::CheckBox: return style | BS_AUTOCHECKBOX | WS_TABSTOP;
    case ControlClass::GroupBox: return style | BS_GROUPBOX;
    case ControlClass::StaticText:
        return style | ((c.flags & kCentered) ? SS_CENTER : SS_LEFT) | ((c.flags & kSunken) ? SS_SUNKEN : 0);
    case ControlClass::Edit:
        style |= WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
        if (c.flags & kPassword) style |= ES_PASSWORD;
        if (c.flags & kReadOnly) style |= ES_READONLY;
        if (c.flags & kMultiline) style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
        return style;
    case ControlClass::DropDownList: return style | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    case ControlClass::SortedList:
        // Exactly as high as the template says, not cut to whole items; tabs in items go to the
        // list's tab stops.
        return style | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS | WS_VSCROLL | WS_BORDER |
               WS_TABSTOP;
    case ControlClass::ListView:
        return style | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP;
    case ControlClass::ProgressBar: return style;
    case ControlClass::Picture: return style | SS_OWNERDRAW | ((c.flags & kSunken) ? SS_SUNKEN : 0);
    }
    return style;
}

}  // namespace

std::vector<size_t> radioGroups(const DialogTemplate& dialog) {
    std::vector<size_t> groups(dialog.controls.size());
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const ControlTemplate& c = dialog.controls[i];
        const bool continues = c.kind == ControlClass::RadioButton && !(c.flags & kGroup) && i > 0 &&
                               dialog.controls[i - 1].kind == ControlClass::RadioButton;
        groups[i] = continues ? groups[i - 1] : i;
    }
    return groups;
}

std::vector<WORD> dialogResource(const DialogTemplate& dialog, DWORD style) {
    std::vector<WORD> out;
    putDword(out, style | DS_SETFONT);
    putDword(out, 0);
    out.push_back(static_cast<WORD>(dialog.controls.size()));
    for (int v : {0, 0, dialog.cx, dialog.cy}) out.push_back(static_cast<WORD>(static_cast<short>(v)));
    out.push_back(0);  // no menu
    out.push_back(0);  // the dialog class
    putText(out, dialog.caption);
    out.push_back(static_cast<WORD>(dialog.fontPoints > 0 ? dialog.fontPoints : 8));
    putText(out, dialog.fontName);
    const std::vector<size_t> groups = radioGroups(dialog);
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const ControlTemplate& c = dialog.controls[i];
        if (out.size() % 2) out.push_back(0);  // each item starts on a DWORD
        putDword(out, controlStyle(c, groups[i] == i));
        putDword(out, 0);
        for (int v : {c.rect.x, c.rect.y, c.rect.cx, c.rect.cy})
            out.push_back(static_cast<WORD>(static_cast<short>(v)));
        out.push_back(static_cast<WORD>(c.id));
        switch (c.kind) {
        case ControlClass::Edit: out.push_back(0xFFFF), out.push_back(kEditAtom); break;
        case ControlClass::StaticText:
        case ControlClass::Picture: out.push_back(0xFFFF), out.push_back(kStaticAtom); break;
        case ControlClass::DropDownList: out.push_back(0xFFFF), out.push_back(kComboBoxAtom); break;
        case ControlClass::SortedList: out.push_back(0xFFFF), out.push_back(kListBoxAtom); break;
        case ControlClass::ListView: putText(out, WC_LISTVIEWA); break;
        case ControlClass::ProgressBar: putText(out, PROGRESS_CLASSA); break;
        default: out.push_back(0xFFFF), out.push_back(kButtonAtom); break;
        }
        putText(out, c.kind == ControlClass::Picture ? std::string() : c.text);
        out.push_back(0);  // no creation data
    }
    return out;
}

}  // namespace ui::win32
