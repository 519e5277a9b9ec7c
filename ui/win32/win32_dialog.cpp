// A dialog or sheet page on Win32: control access through the controls' own messages, the handler
// called from the dialog procedure, pictures drawn from their decoded bitmaps with StretchDIBits
// (so an 8-bit bitmap shows its own palette's colours on any display).
#include "win32_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "dialog_resource.h"
#include "win32_sheet.h"

namespace ui::win32 {
namespace {

bool isButtonKind(ControlClass kind) {
    return kind == ControlClass::PushButton || kind == ControlClass::DefaultButton ||
           kind == ControlClass::RadioButton || kind == ControlClass::CheckBox;
}

std::string windowText(HWND hwnd) {
    const int n = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), n + 1)));
    return text;
}

std::vector<Win32Dialog*>& modelessDialogs() {
    static std::vector<Win32Dialog*> all;
    return all;
}

}  // namespace

Win32Dialog::Win32Dialog(const DialogTemplate& dialog, DialogHandler& handler, Win32Sheet* sheet,
                         bool modeless)
    : template_(dialog), handler_(handler), sheet_(sheet), modeless_(modeless),
      resource_(dialogResource(template_, sheet ? (WS_CHILD | WS_DISABLED | WS_CAPTION)
                                                : (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER))) {}

Win32Dialog::~Win32Dialog() {
    std::erase(modelessDialogs(), this);
    if (hwnd_ && modeless_) {
        SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

Win32Dialog* Win32Dialog::ofWindow(HWND hwnd) {
    if (!hwnd) return nullptr;
    const auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hwnd, DWLP_DLGPROC));
    if (proc != &Win32Dialog::dialogProc && proc != &Win32Dialog::pageProc) return nullptr;
    return reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
}

bool Win32Dialog::dialogMessage(MSG& msg) {
    for (Win32Dialog* d : modelessDialogs())
        if (d->hwnd_ && IsDialogMessageA(d->hwnd_, &msg)) return true;
    return false;
}

Sheet* Win32Dialog::sheet() { return sheet_; }

bool Win32Dialog::is(int id, ControlClass kind) const {
    const ControlTemplate* c = tmpl(id);
    return c && c->kind == kind && item(id);
}

INT_PTR CALLBACK Win32Dialog::dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) return reinterpret_cast<Win32Dialog*>(lParam)->init(hwnd);
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    return self ? self->handle(msg, wParam, lParam) : FALSE;
}

INT_PTR CALLBACK Win32Dialog::pageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32Dialog*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        self->sheet_->attach(GetParent(hwnd));
        return self->init(hwnd);
    }
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    return self ? self->handle(msg, wParam, lParam) : FALSE;
}

INT_PTR Win32Dialog::init(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    if (modeless_) modelessDialogs().push_back(this);
    for (const ControlTemplate& c : template_.controls)
        if (c.kind == ControlClass::Edit && c.textLimit > 0)
            SendDlgItemMessageA(hwnd, c.id, EM_LIMITTEXT, static_cast<WPARAM>(c.textLimit), 0);
    handler_.onInit(*this);
    // Without a focus of the handler's choosing, the system gives it to the first tab stop.
    return focusSet_ ? FALSE : TRUE;
}

INT_PTR Win32Dialog::answer(LRESULT result) {
    SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

void Win32Dialog::command(int id, CommandEvent event) {
    if (ended_) return;
    const bool handled = handler_.onCommand(*this, id, event);
    if (!handled && !sheet_ && event == CommandEvent::Clicked && (id == IDOK || id == IDCANCEL)) end(id);
}

INT_PTR Win32Dialog::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        const ControlTemplate* c = tmpl(id);
        if (!lParam) {
            // Not from a control: Enter or Escape without such a button, or a command posted
            // from outside, which presses the button it names.
            if (code == BN_CLICKED && c && isButtonKind(c->kind)) press(id);
            else if (code == BN_CLICKED && !c) command(id, CommandEvent::Clicked);
            return TRUE;
        }
        if (!c) return FALSE;
        switch (c->kind) {
        case ControlClass::Edit:
            if (code == EN_CHANGE) command(id, CommandEvent::Changed);
            break;
        case ControlClass::DropDownList:
            if (code == CBN_SELCHANGE) command(id, CommandEvent::SelectionChanged);
            break;
        case ControlClass::SortedList:
            if (code == LBN_SELCHANGE) command(id, CommandEvent::SelectionChanged);
            if (code == LBN_DBLCLK) command(id, CommandEvent::DoubleClicked);
            break;
        default:
            if (isButtonKind(c->kind) && code == BN_CLICKED) command(id, CommandEvent::Clicked);
            break;
        }
        return TRUE;
    }
    case WM_NOTIFY:
        return notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
        handler_.onTimer(*this, wParam);
        return TRUE;
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        auto found = pictures_.find(static_cast<int>(draw->CtlID));
        if (found == pictures_.end()) return FALSE;
        const Dib& p = found->second;
        const RECT& r = draw->rcItem;
        SetStretchBltMode(draw->hDC, COLORONCOLOR);
        StretchDIBits(draw->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0,
                      p.info.bmiHeader.biWidth, p.info.bmiHeader.biHeight, p.bits.data(), &p.info,
                      DIB_RGB_COLORS, SRCCOPY);
        return TRUE;
    }
    case WM_DESTROY:
        if (modeless_ && !ended_) {
            ended_ = true;
            handler_.onEnd(*this, IDCANCEL);
        }
        return FALSE;
    default:
        break;
    }
    // The sheet's own messages (WM_USER ...) go to the page's procedure too; the handler sees
    // registered and application messages.
    if (msg >= WM_APP || (!sheet_ && msg >= WM_USER)) {
        LRESULT result = 0;
        if (handler_.onMessage(*this, msg, wParam, lParam, result)) return answer(result);
    }
    return FALSE;
}

INT_PTR Win32Dialog::notify(const NMHDR& header) {
    if (sheet_ && header.hwndFrom == sheet_->hwnd()) {
        PageHandler& page = sheet_->handlerOf(*this);
        switch (header.code) {
        case PSN_SETACTIVE: {
            const bool shown = page.onSetActive(*sheet_, *this);
            if (shown) sheet_->activated(sheet_->indexOf(*this));
            return answer(shown ? 0 : -1);
        }
        case PSN_KILLACTIVE:
            return answer(page.onKillActive(*sheet_, *this) ? FALSE : TRUE);
        case PSN_WIZNEXT:
        case PSN_WIZBACK: {
            const int go = header.code == PSN_WIZNEXT ? page.onWizardNext(*sheet_, *this)
                                                      : page.onWizardBack(*sheet_, *this);
            if (go == kGoOn || go == kStay) return answer(go);
            const int index = sheet_->pageIndex(go);
            return answer(index < 0 ? -1 : go);
        }
        case PSN_WIZFINISH: {
            const bool finish = sheet_->ending() || page.onWizardFinish(*sheet_, *this);
            if (finish) sheet_->outcome(IDOK);
            return answer(finish ? FALSE : TRUE);
        }
        case PSN_QUERYCANCEL:
            return answer(sheet_->ending() || page.onQueryCancel(*sheet_, *this) ? FALSE : TRUE);
        case PSN_RESET:
            sheet_->outcome(IDCANCEL);
            if (!sheet_->ending()) page.onReset(*sheet_, *this);
            return answer(0);
        case PSN_HELP:
            page.onHelp(*sheet_, *this);
            return answer(0);
        default:
            return FALSE;
        }
    }
    const int id = static_cast<int>(header.idFrom);
    if (!is(id, ControlClass::ListView)) return FALSE;
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && ((change.uOldState ^ change.uNewState) & LVIS_SELECTED))
            handler_.onNotify(*this, id, NotifyEvent::ItemChanged, selection(id));
    } else if (header.code == LVN_ITEMACTIVATE) {
        handler_.onNotify(*this, id, NotifyEvent::ItemActivated, selection(id));
    }
    return FALSE;
}

void Win32Dialog::setCaption(const std::string& caption) {
    template_.caption = caption;
    if (hwnd_) SetWindowTextA(hwnd_, caption.c_str());
}

std::string Win32Dialog::caption() { return hwnd_ ? windowText(hwnd_) : template_.caption; }

std::string Win32Dialog::text(int id) {
    const ControlTemplate* c = tmpl(id);
    HWND h = item(id);
    if (!c || !h) return "";
    if (c->kind == ControlClass::DropDownList || c->kind == ControlClass::SortedList ||
        c->kind == ControlClass::ListView)
        return itemText(id, selection(id), 0);
    return windowText(h);
}

void Win32Dialog::setText(int id, const std::string& text) {
    const ControlTemplate* c = tmpl(id);
    HWND h = item(id);
    if (!c || !h) return;
    if (c->kind == ControlClass::Edit && c->textLimit > 0 && static_cast<int>(text.size()) > c->textLimit)
        SetWindowTextA(h, text.substr(0, static_cast<size_t>(c->textLimit)).c_str());
    else if (c->kind != ControlClass::DropDownList && c->kind != ControlClass::SortedList &&
             c->kind != ControlClass::ListView && c->kind != ControlClass::ProgressBar &&
             c->kind != ControlClass::Picture)
        SetWindowTextA(h, text.c_str());
}

bool Win32Dialog::checked(int id) {
    return (is(id, ControlClass::CheckBox) || is(id, ControlClass::RadioButton)) &&
           IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void Win32Dialog::setChecked(int id, bool on) {
    if (is(id, ControlClass::CheckBox)) {
        CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    if (!is(id, ControlClass::RadioButton)) return;
    if (on) {
        const std::vector<size_t> groups = radioGroups(template_);
        size_t at = 0;
        while (template_.controls[at].id != id) ++at;
        for (size_t i = 0; i < groups.size(); ++i)
            if (groups[i] == groups[at] && i != at) CheckDlgButton(hwnd_, template_.controls[i].id, BST_UNCHECKED);
    }
    CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED);
}

int Win32Dialog::addItem(int id, const std::string& text, int icon) {
    HWND h = item(id);
    if (is(id, ControlClass::DropDownList))
        return static_cast<int>(SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (is(id, ControlClass::SortedList))
        return static_cast<int>(SendMessageA(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (!is(id, ControlClass::ListView)) return -1;
    LVITEMA lv{};
    lv.mask = LVIF_TEXT | (icon >= 0 ? LVIF_IMAGE : 0);
    lv.iItem = itemCount(id);
    lv.pszText = const_cast<char*>(text.c_str());
    lv.iImage = icon;
    return static_cast<int>(SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv)));
}

void Win32Dialog::clearItems(int id) {
    HWND h = item(id);
    if (is(id, ControlClass::DropDownList)) SendMessageA(h, CB_RESETCONTENT, 0, 0);
    else if (is(id, ControlClass::SortedList)) SendMessageA(h, LB_RESETCONTENT, 0, 0);
    else if (is(id, ControlClass::ListView)) SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
}

int Win32Dialog::itemCount(int id) {
    HWND h = item(id);
    if (is(id, ControlClass::DropDownList)) return static_cast<int>(SendMessageA(h, CB_GETCOUNT, 0, 0));
    if (is(id, ControlClass::SortedList)) return static_cast<int>(SendMessageA(h, LB_GETCOUNT, 0, 0));
    if (is(id, ControlClass::ListView)) return static_cast<int>(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0));
    return 0;
}

std::string Win32Dialog::itemText(int id, int index, int column) {
    HWND h = item(id);
    if (index < 0 || index >= itemCount(id) || column < 0) return "";
    if (is(id, ControlClass::DropDownList) || is(id, ControlClass::SortedList)) {
        if (column) return "";
        const bool combo = is(id, ControlClass::DropDownList);
        const LRESULT n = SendMessageA(h, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (n < 0) return "";
        std::string text(static_cast<size_t>(n) + 1, '\0');
        SendMessageA(h, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(n));
        return text;
    }
    if (!is(id, ControlClass::ListView)) return "";
    char buffer[1024] = "";
    LVITEMA lv{};
    lv.iSubItem = column;
    lv.pszText = buffer;
    lv.cchTextMax = sizeof buffer;
    SendMessageA(h, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
    return buffer;
}

void Win32Dialog::setItemText(int id, int index, int column, const std::string& text) {
    if (!is(id, ControlClass::ListView) || index < 0 || column < 0) return;
    LVITEMA lv{};
    lv.iSubItem = column;
    lv.pszText = const_cast<char*>(text.c_str());
    SendMessageA(item(id), LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
}

int Win32Dialog::findItem(int id, const std::string& text) {
    const int count = itemCount(id);
    for (int i = 0; i < count; ++i)
        if (lstrcmpiA(itemText(id, i, 0).c_str(), text.c_str()) == 0) return i;
    return -1;
}

int Win32Dialog::selection(int id) {
    HWND h = item(id);
    if (is(id, ControlClass::DropDownList)) return static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0));
    if (is(id, ControlClass::SortedList)) return static_cast<int>(SendMessageA(h, LB_GETCURSEL, 0, 0));
    if (is(id, ControlClass::ListView))
        return static_cast<int>(SendMessageA(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return -1;
}

void Win32Dialog::setSelection(int id, int index) {
    HWND h = item(id);
    if (index < -1 || index >= itemCount(id)) index = -1;
    if (is(id, ControlClass::DropDownList)) SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else if (is(id, ControlClass::SortedList)) SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else if (is(id, ControlClass::ListView)) {
        LVITEMA lv{};
        lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        lv.state = 0;
        SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
        if (index < 0) return;
        lv.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
        SendMessageA(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
    }
}

void Win32Dialog::addColumn(int id, const std::string& title, int width) {
    if (!is(id, ControlClass::ListView)) return;
    HWND h = item(id);
    HWND headerControl = reinterpret_cast<HWND>(SendMessageA(h, LVM_GETHEADER, 0, 0));
    const int columns = headerControl ? static_cast<int>(SendMessageA(headerControl, HDM_GETITEMCOUNT, 0, 0)) : 0;
    if (width < 0) {
        // The rest of the list's width.
        RECT client;
        GetClientRect(h, &client);
        width = client.right;
        for (int i = 0; i < columns; ++i)
            width -= static_cast<int>(SendMessageA(h, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
        width = std::max(width, 0);
    }
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(title.c_str());
    column.cx = width;
    column.iSubItem = columns;
    SendMessageA(h, LVM_INSERTCOLUMNA, static_cast<WPARAM>(columns), reinterpret_cast<LPARAM>(&column));
}

void Win32Dialog::setTabStops(int id, const std::vector<int>& stops) {
    if (!is(id, ControlClass::SortedList)) return;
    std::vector<INT> units(stops.begin(), stops.end());
    SendMessageA(item(id), LB_SETTABSTOPS, static_cast<WPARAM>(units.size()),
                 reinterpret_cast<LPARAM>(units.empty() ? nullptr : units.data()));
    InvalidateRect(item(id), nullptr, TRUE);
}

void Win32Dialog::setSmallIcons(int id, const std::vector<HICON>& icons) {
    if (!is(id, ControlClass::ListView)) return;
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, static_cast<int>(icons.size()), 1);
    // An empty place: a black picture whose mask leaves every pixel transparent.
    const std::vector<WORD> black(16, 0), transparent(16, 0xFFFF);
    for (HICON icon : icons) {
        if (icon && ImageList_AddIcon(list, icon) >= 0) continue;
        HBITMAP image = CreateBitmap(16, 16, 1, 1, black.data());
        HBITMAP mask = CreateBitmap(16, 16, 1, 1, transparent.data());
        ImageList_Add(list, image, mask);
        DeleteObject(image);
        DeleteObject(mask);
    }
    HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
        SendMessageA(item(id), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list)));
    if (old) ImageList_Destroy(old);
}

void Win32Dialog::setProgressRange(int id, int low, int high) {
    if (!is(id, ControlClass::ProgressBar) || high <= low) return;
    ranges_[id] = {low, high};
    SendMessageA(item(id), PBM_SETRANGE32, static_cast<WPARAM>(low), high);
}

void Win32Dialog::setProgress(int id, int position) {
    if (!is(id, ControlClass::ProgressBar)) return;
    auto found = ranges_.find(id);
    const auto [low, high] = found == ranges_.end() ? std::pair<int, int>{0, 100} : found->second;
    SendMessageA(item(id), PBM_SETPOS, static_cast<WPARAM>(std::clamp(position, low, high)), 0);
}

int Win32Dialog::progress(int id) {
    return is(id, ControlClass::ProgressBar) ? static_cast<int>(SendMessageA(item(id), PBM_GETPOS, 0, 0)) : -1;
}

void Win32Dialog::setBitmap(int id, const Bitmap& bitmap) {
    if (!is(id, ControlClass::Picture) || bitmap.empty()) return;
    pictures_[id] = dibOf(bitmap);
    InvalidateRect(item(id), nullptr, FALSE);
}

void Win32Dialog::enable(int id, bool enabled) {
    if (HWND h = item(id)) EnableWindow(h, enabled);
}

bool Win32Dialog::isEnabled(int id) {
    HWND h = item(id);
    return h && IsWindowEnabled(h);
}

void Win32Dialog::show(int id, bool visible) {
    if (HWND h = item(id)) ShowWindow(h, visible ? SW_SHOW : SW_HIDE);
}

bool Win32Dialog::isShown(int id) {
    HWND h = item(id);
    return h && (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE);
}

void Win32Dialog::setFocus(int id) {
    HWND h = item(id);
    if (!h) return;
    focusSet_ = true;
    SendMessageA(sheet_ ? GetParent(hwnd_) : hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
}

int Win32Dialog::focusedControl() {
    HWND f = GetFocus();
    // A control's own children (a list view's header) count as the control.
    while (f && GetParent(f) && GetParent(f) != hwnd_) f = GetParent(f);
    if (!f || GetParent(f) != hwnd_) return -1;
    const int id = GetDlgCtrlID(f);
    return tmpl(id) ? id : -1;
}

RECT Win32Dialog::controlRect(int id) {
    RECT r{0, 0, 0, 0};
    HWND h = item(id);
    if (!h) return r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

BaseUnits Win32Dialog::baseUnits() {
    RECT r{0, 0, 4, 8};
    if (hwnd_) MapDialogRect(hwnd_, &r);
    return BaseUnits{r.right, r.bottom};
}

void Win32Dialog::press(int id) {
    const ControlTemplate* c = tmpl(id);
    HWND h = item(id);
    if (c && h && isButtonKind(c->kind) && IsWindowEnabled(h)) SendMessageA(h, BM_CLICK, 0, 0);
}

void Win32Dialog::end(int result) {
    if (sheet_) {  // a page ends with its sheet
        sheet_->end(result);
        return;
    }
    if (ended_ || !hwnd_) return;
    ended_ = true;
    handler_.onEnd(*this, result);
    if (modeless_) {
        HWND h = hwnd_;
        hwnd_ = nullptr;
        SetWindowLongPtrA(h, DWLP_USER, 0);
        DestroyWindow(h);
    } else {
        EndDialog(hwnd_, result);
    }
}

}  // namespace ui::win32
