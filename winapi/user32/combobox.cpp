// user32: the system's window class "COMBOBOX", as far as a program uses a combo box without
// showing it: its item list. With CBS_SORT an added item goes where the user's locale sorts it
// (lstrcmpiA), after the items it equals, as Windows places it.
#include <windows.h>

#include "window.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace winapi::user32 {
namespace {

struct Items {
    std::vector<std::string> texts;
    int selected = CB_ERR;
    bool sorted = false;
};

std::mutex itemsMutex;
std::map<HWND, Items>& allItems() {
    static auto* items = new std::map<HWND, Items>;
    return *items;
}

LRESULT CALLBACK comboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::unique_lock lock(itemsMutex);
    switch (msg) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        allItems()[hwnd].sorted = (cs->style & CBS_SORT) != 0;
        return TRUE;
    }
    case WM_NCDESTROY:
        allItems().erase(hwnd);
        return 0;
    default:
        break;
    }
    auto found = allItems().find(hwnd);
    if (found == allItems().end()) {
        lock.unlock();
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    Items& items = found->second;
    const int count = static_cast<int>(items.texts.size());
    const auto index = static_cast<int>(wParam);
    switch (msg) {
    case CB_ADDSTRING: {
        const char* text = reinterpret_cast<const char*>(lParam);
        if (!text) return CB_ERR;
        auto at = items.texts.end();
        if (items.sorted)
            at = std::upper_bound(items.texts.begin(), items.texts.end(), std::string(text),
                                  [](const std::string& a, const std::string& b) {
                                      return lstrcmpiA(a.c_str(), b.c_str()) < 0;
                                  });
        const auto position = static_cast<int>(at - items.texts.begin());
        items.texts.insert(at, text);
        if (items.selected >= position) ++items.selected;
        return position;
    }
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return items.selected;
    case CB_SETCURSEL:
        items.selected = index >= 0 && index < count ? index : CB_ERR;
        return items.selected;
    case CB_GETLBTEXTLEN:
        return index >= 0 && index < count ? static_cast<LRESULT>(items.texts[index].size())
                                           : CB_ERR;
    case CB_GETLBTEXT: {
        char* out = reinterpret_cast<char*>(lParam);
        if (index < 0 || index >= count || !out) return CB_ERR;
        const std::string& text = items.texts[static_cast<size_t>(index)];
        std::copy(text.begin(), text.end(), out);
        out[text.size()] = 0;
        return static_cast<LRESULT>(text.size());
    }
    case CB_RESETCONTENT:
        items.texts.clear();
        items.selected = CB_ERR;
        return 0;
    default:
        lock.unlock();
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

void registerSystemClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = &comboProc;
        cls.lpszClassName = "COMBOBOX";
        RegisterClassA(&cls);
    });
}

}  // namespace winapi::user32
