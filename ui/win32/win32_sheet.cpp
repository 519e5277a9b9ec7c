// The wizard sheet on Win32: comctl32's property sheet in wizard mode. The pages answer its
// notifications (win32_dialog.cpp); here are the sheet's buttons, its ending, and its window's
// subclass that forwards registered messages to the active page and keeps the sheet's caption in
// the title bar (comctl32 titles a wizard with each page's own caption as it shows the page).
#include "win32_sheet.h"

#include <commctrl.h>

#include <algorithm>

namespace ui::win32 {
namespace {

constexpr int kBackId = 0x3023, kNextId = 0x3024, kFinishId = 0x3025;
constexpr int kButtonIds[5] = {kBackId, kNextId, kFinishId, IDCANCEL, IDHELP};

// An icon of the bitmap's colours, opaque all over.
HICON iconOf(const Bitmap& b) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = b.width;
    info.bmiHeader.biHeight = -b.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour) return nullptr;
    auto* pixels = static_cast<DWORD*>(bits);
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) pixels[y * b.width + x] = b.pixel(x, y) | 0xFF000000u;
    const std::vector<BYTE> zeros((static_cast<size_t>(b.width) + 15) / 16 * 2 * static_cast<size_t>(b.height), 0);
    HBITMAP mask = CreateBitmap(b.width, b.height, 1, 1, zeros.data());
    ICONINFO icon{TRUE, 0, 0, mask, colour};
    HICON made = CreateIconIndirect(&icon);
    DeleteObject(mask);
    DeleteObject(colour);
    return made;
}

std::vector<Win32Sheet*>& sheets() {
    static std::vector<Win32Sheet*> all;
    return all;
}

}  // namespace

Win32Sheet::Win32Sheet(const SheetTemplate& sheet, SheetHandler* handler)
    : template_(sheet), handler_(handler) {
    for (const SheetPage& p : template_.pages)
        pages_.push_back(std::make_unique<Win32Dialog>(*p.page, *p.handler, this));
    for (auto& page : pages_) {
        PROPSHEETPAGEA psp{};
        psp.dwSize = sizeof psp;
        psp.dwFlags = PSP_DLGINDIRECT | PSP_HASHELP;
        psp.pResource = page->resource();
        psp.pfnDlgProc = &Win32Dialog::pageProc;
        psp.lParam = reinterpret_cast<LPARAM>(page.get());
        sheetPages_.push_back(psp);
    }
    sheets().push_back(this);
}

Win32Sheet::~Win32Sheet() {
    std::erase(sheets(), this);
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (icon_) DestroyIcon(icon_);
}

Win32Sheet* Win32Sheet::ofWindow(HWND hwnd) {
    for (Win32Sheet* s : sheets())
        if (s->hwnd_ && (s->hwnd_ == hwnd || IsChild(s->hwnd_, hwnd))) return s;
    return nullptr;
}

const std::vector<Win32Sheet*>& Win32Sheet::openSheets() { return sheets(); }

PROPSHEETHEADERA Win32Sheet::header(HWND owner, bool modeless) {
    PROPSHEETHEADERA h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_HASHELP | (modeless ? PSH_MODELESS : 0);
    h.hwndParent = owner;
    h.pszCaption = template_.caption.c_str();
    h.nPages = static_cast<UINT>(sheetPages_.size());
    h.nStartPage = static_cast<UINT>(std::clamp(template_.startPage, 0, pageCount() - 1));
    h.ppsp = sheetPages_.data();
    return h;
}

int Win32Sheet::run(HWND owner) {
    if (pages_.empty()) return -1;
    PROPSHEETHEADERA h = header(owner, false);
    const INT_PTR r = PropertySheetA(&h);
    hwnd_ = nullptr;
    for (auto& page : pages_) page->detach();
    // Neither finished nor cancelled: a quit message ended the sheet's loop.
    if (r < 0 || active_ < 0 || (!decided_ && !ending_)) return -1;
    const int result = ending_ ? endResult_ : (r > 0 ? IDOK : IDCANCEL);
    ended_ = true;
    if (handler_) handler_->onEnd(*this, result);
    return result;
}

bool Win32Sheet::open(HWND owner) {
    if (pages_.empty()) return false;
    PROPSHEETHEADERA h = header(owner, true);
    const INT_PTR r = PropertySheetA(&h);
    if (r <= 0 || active_ < 0) return false;
    hwnd_ = reinterpret_cast<HWND>(r);
    return true;
}

bool Win32Sheet::dialogMessage(MSG& msg) {
    if (!hwnd_ || ended_) return false;
    const bool taken = (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd)) && PropSheet_IsDialogMessage(hwnd_, &msg);
    if (!PropSheet_GetCurrentPageHwnd(hwnd_)) finished();
    return taken;
}

void Win32Sheet::finished() {
    if (ended_) return;
    ended_ = true;
    const int result = ending_ ? endResult_ : outcome_;
    if (handler_) handler_->onEnd(*this, result);
    for (auto& page : pages_) page->detach();
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

PageHandler& Win32Sheet::handlerOf(const Win32Dialog& page) {
    return *template_.pages[static_cast<size_t>(indexOf(page))].handler;
}

int Win32Sheet::indexOf(const Win32Dialog& page) const {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].get() == &page) return static_cast<int>(i);
    return -1;
}

void Win32Sheet::attach(HWND sheetWindow) {
    if (hwnd_ == sheetWindow && sheetProc_) return;
    hwnd_ = sheetWindow;
    sheetProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Sheet::sheetProc)));
    SetWindowTextA(hwnd_, template_.caption.c_str());
    for (size_t i = 0; i < 5; ++i)
        if (!template_.buttonTexts[i].empty())
            SetWindowTextA(GetDlgItem(hwnd_, kButtonIds[i]), template_.buttonTexts[i].c_str());
    if (!template_.titleBar) {
        SetWindowLongA(hwnd_, GWL_STYLE, GetWindowLongA(hwnd_, GWL_STYLE) & ~static_cast<LONG>(WS_CAPTION));
        // The frame is drawn anew only when told; until then the old title bar stays as a strip.
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    if (template_.topmost) SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (template_.position) {
        const RECT r = windowRect();
        const POINT at = template_.position({r.right - r.left, r.bottom - r.top});
        SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!template_.icon.empty() && !icon_) {
        icon_ = iconOf(template_.icon);
        SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    }
}

RECT Win32Sheet::windowRect() {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r;
}

void Win32Sheet::showWindow(bool visible) {
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool Win32Sheet::isWindowShown() { return hwnd_ && IsWindowVisible(hwnd_); }

void Win32Sheet::enableWindow(bool enabled) {
    if (hwnd_) EnableWindow(hwnd_, enabled);
}

LRESULT CALLBACK Win32Sheet::sheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Win32Sheet* self = ofWindow(hwnd);
    if (!self || self->hwnd_ != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_SETTEXT)
        return CallWindowProcA(self->sheetProc_, hwnd, msg, wParam,
                               reinterpret_cast<LPARAM>(self->template_.caption.c_str()));
    if (msg == WM_TIMER && self->handler_) {
        self->handler_->onTimer(*self, wParam);
        return 0;
    }
    if (msg >= WM_APP) {
        LRESULT result = 0;
        if (self->handler_ && self->handler_->onMessage(*self, msg, wParam, lParam, result)) return result;
        // Registered messages (from helpers, broadcast) are the active page's business.
        HWND page = PropSheet_GetCurrentPageHwnd(hwnd);
        if (msg >= 0xC000 && page) {
            PostMessageA(page, msg, wParam, lParam);
            return 0;
        }
    }
    return CallWindowProcA(self->sheetProc_, hwnd, msg, wParam, lParam);
}

void Win32Sheet::setCaption(const std::string& caption) {
    template_.caption = caption;
    if (hwnd_) SetWindowTextA(hwnd_, caption.c_str());
}

std::string Win32Sheet::caption() {
    if (!hwnd_) return template_.caption;
    char text[512] = "";
    GetWindowTextA(hwnd_, text, sizeof text);
    return text;
}

bool Win32Sheet::setActivePage(int index) {
    if (!hwnd_ || index < 0 || index >= pageCount()) return false;
    const int before = active_;
    PropSheet_SetCurSel(hwnd_, nullptr, index);
    return active_ != before || active_ == index;
}

int Win32Sheet::pageIndex(int resourceId) {
    for (size_t i = 0; i < template_.pages.size(); ++i)
        if (template_.pages[i].page->resourceId == resourceId) return static_cast<int>(i);
    return -1;
}

HWND Win32Sheet::button(WizardButton b) const {
    return hwnd_ ? GetDlgItem(hwnd_, kButtonIds[static_cast<size_t>(b)]) : nullptr;
}

void Win32Sheet::showButton(WizardButton b, bool visible) {
    if (HWND h = button(b)) ShowWindow(h, visible ? SW_SHOW : SW_HIDE);
}

bool Win32Sheet::isButtonShown(WizardButton b) {
    HWND h = button(b);
    return h && (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE);
}

void Win32Sheet::enableButton(WizardButton b, bool enabled) {
    if (HWND h = button(b)) EnableWindow(h, enabled);
}

bool Win32Sheet::isButtonEnabled(WizardButton b) {
    HWND h = button(b);
    return h && IsWindowEnabled(h);
}

void Win32Sheet::setButtonText(WizardButton b, const std::string& text) {
    if (HWND h = button(b)) SetWindowTextA(h, text.c_str());
    template_.buttonTexts[static_cast<size_t>(b)] = text;
}

std::string Win32Sheet::buttonText(WizardButton b) {
    HWND h = button(b);
    if (!h) return template_.buttonTexts[static_cast<size_t>(b)];
    char text[256] = "";
    GetWindowTextA(h, text, sizeof text);
    return text;
}

void Win32Sheet::setDefaultButton(WizardButton b) {
    if (hwnd_) SendMessageA(hwnd_, DM_SETDEFID, static_cast<WPARAM>(kButtonIds[static_cast<size_t>(b)]), 0);
}

void Win32Sheet::focusButton(WizardButton b) {
    if (HWND h = button(b)) SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
}

void Win32Sheet::placeButton(WizardButton b, WizardButton place) {
    HWND moving = button(b), at = button(place);
    if (!moving || !at) return;
    RECT r;
    GetWindowRect(at, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(moving, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Sheet::pressButton(WizardButton b) {
    HWND h = button(b);
    if (h && (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) && IsWindowEnabled(h)) SendMessageA(h, BM_CLICK, 0, 0);
}

void Win32Sheet::end(int result) {
    if (!hwnd_ || ending_) return;
    ending_ = true;
    endResult_ = result;
    PropSheet_PressButton(hwnd_, result == IDOK ? PSBTN_FINISH : PSBTN_CANCEL);
}

}  // namespace ui::win32
