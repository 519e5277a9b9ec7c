// The picture window on Win32: a popup window of its own registered class that paints the
// background colour and stretches the picture's DIB into its place.
#include <windows.h>

#include "dib.h"
#include "picture_window.h"

namespace ui {
namespace {

class Win32PictureWindow final : public PictureWindow {
public:
    explicit Win32PictureWindow(PictureHandler* handler) : handler_(handler) {}
    ~Win32PictureWindow() override {
        if (hwnd_) {
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }
    Win32PictureWindow(const Win32PictureWindow&) = delete;
    Win32PictureWindow& operator=(const Win32PictureWindow&) = delete;

    bool create(const std::string& className, const std::string& title, const RECT& bounds) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Win32PictureWindow::proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = className.c_str();
        WNDCLASSA existing{};
        if (!GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing) && !RegisterClassA(&wc)) return false;
        hwnd_ = CreateWindowExA(0, className.c_str(), title.c_str(), WS_POPUP, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                                wc.hInstance, nullptr);
        if (!hwnd_) return false;
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
        return true;
    }

    HWND hwnd() const override { return hwnd_; }

    void setPicture(const Bitmap& picture, const RECT& place, COLORREF background) override {
        dib_ = win32::dibOf(picture);
        place_ = place;
        background_ = background;
        InvalidateRect(hwnd_, nullptr, FALSE);
    }

    void setBounds(const RECT& b) override {
        SetWindowPos(hwnd_, nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(hwnd_, nullptr, FALSE);
    }

    RECT bounds() override {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return r;
    }

    void show(bool visible) override { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

private:
    void paint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT client;
        GetClientRect(hwnd_, &client);
        HBRUSH brush = CreateSolidBrush(background_);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        if (!dib_.bits.empty()) {
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchDIBits(dc, place_.left, place_.top, place_.right - place_.left, place_.bottom - place_.top, 0, 0,
                          dib_.info.bmiHeader.biWidth, dib_.info.bmiHeader.biHeight, dib_.bits.data(), &dib_.info,
                          DIB_RGB_COLORS, SRCCOPY);
        }
        EndPaint(hwnd_, &ps);
    }

    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Win32PictureWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
        switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: self->paint(); return 0;
        case WM_LBUTTONDOWN:
            if (self->handler_)
                self->handler_->onClick(*self, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                                        static_cast<unsigned>(wParam & (MK_SHIFT | MK_CONTROL)));
            return 0;
        default: return DefWindowProcA(hwnd, msg, wParam, lParam);
        }
    }

    PictureHandler* handler_;
    HWND hwnd_ = nullptr;
    win32::Dib dib_;
    RECT place_{};
    COLORREF background_ = 0;
};

}  // namespace

std::unique_ptr<PictureWindow> createPictureWindow(const std::string& className, const std::string& title,
                                                   const RECT& bounds, PictureHandler* handler) {
    auto window = std::make_unique<Win32PictureWindow>(handler);
    if (!window->create(className, title, bounds)) return nullptr;
    return window;
}

}  // namespace ui
