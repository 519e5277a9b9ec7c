// The window-control words that plain window messages serve: searching a parent's children (by
// caption, position, control ID or class, retried while the target is still building its window),
// sending and posting messages, window facts, buttons, check boxes and radio buttons, the enable
// state, edit texts, list and combo box items, tabs, the older IP fields, focus and the cursor.
#include "ctl_win32.h"

#include <commctrl.h>

#include <cctype>
#include <cstring>
#include <vector>

namespace pxctl {
namespace {

constexpr int kSearchTries = 300;
constexpr DWORD kSearchPause = 25;
constexpr int kMessagesPerPause = 100;

void pumpMessages() {
    MSG msg;
    for (int i = 0; i < kMessagesPerPause && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string windowText(HWND window) {
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return "";
    char* text = workBuffer(static_cast<size_t>(length) + 1);
    const LRESULT got = SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(length) + 1, reinterpret_cast<LPARAM>(text));
    return std::string(text, got > 0 ? static_cast<size_t>(got) : 0);
}

enum class SearchMode { text = 1, sequence = 2, id = 3, windowClass = 4 };

// One pass over the parent's direct children (the top-level windows for parent 0).
HWND searchOnce(HWND parent, SearchMode mode, const char* wanted) {
    const long long number = parseNumber(wanted);
    long long position = 0;
    for (HWND child = GetWindow(parent ? parent : GetDesktopWindow(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        switch (mode) {
        case SearchMode::text:
            if (captionMatches(windowText(child), wanted)) return child;
            break;
        case SearchMode::sequence:
            if (++position == number) return child;
            break;
        case SearchMode::id:
            if (GetDlgCtrlID(child) == number) return child;
            break;
        case SearchMode::windowClass:
            if (lstrcmpiA(classOf(child).c_str(), wanted) == 0) return child;
            break;
        }
    }
    return nullptr;
}

// The searches of cwndbyname, cwndbyseq, cwndbyid and cwndbyclass: retried 300 times, 25 ms
// apart, while the script's own messages are dispatched, for windows still being created.
LONG searchWord(const ExtenderCall& call, SearchMode mode) {
    const char* wanted = call.arg(2);
    if (!isNumberText(call.arg(1))) return fail(call, 201);
    const HWND parent = reinterpret_cast<HWND>(handleArg(call.arg(1)));
    if (parent && !IsWindow(parent)) return fail(call, 204);
    if ((mode == SearchMode::text || mode == SearchMode::windowClass) && !*wanted) return fail(call, 203);
    if ((mode == SearchMode::sequence || mode == SearchMode::id) &&
        (!isNumberText(wanted) || (mode == SearchMode::sequence && parseNumber(wanted) < 1)))
        return fail(call, 202);
    for (int attempt = 0; attempt < kSearchTries; ++attempt) {
        // A parent that vanishes ends the search.
        if (parent && !IsWindow(parent)) break;
        if (HWND found = searchOnce(parent, mode, wanted))
            return call.returnNumber(static_cast<LONG>(reinterpret_cast<DWORD_PTR>(found)));
        Sleep(kSearchPause);
        pumpMessages();
    }
    return call.returnNumber(0);
}

LONG cwndexist(const ExtenderCall& call) {
    if (!isNumberText(call.arg(3))) return fail(call, 255);
    const long long mode = call.number(3);
    if (mode < 1 || mode > 4) return fail(call, 255);
    if (!isNumberText(call.arg(1))) return fail(call, 201);
    const HWND parent = reinterpret_cast<HWND>(handleArg(call.arg(1)));
    if (parent && !IsWindow(parent)) return fail(call, 204);
    const char* wanted = call.arg(2);
    if ((mode == 2 || mode == 3) && !isNumberText(wanted)) return fail(call, 240);
    if ((mode == 1 || mode == 4) && !*wanted) return fail(call, 254);
    const HWND found = searchOnce(parent, static_cast<SearchMode>(mode), wanted);
    return call.returnNumber(static_cast<LONG>(reinterpret_cast<DWORD_PTR>(found)));
}

LONG messageWord(const ExtenderCall& call, bool post) {
    if (!isNumberText(call.arg(1))) return fail(call, 211);
    if (!isNumberText(call.arg(2)) || call.number(2) < 0) return fail(call, 212);
    if (!isNumberText(call.arg(3))) return fail(call, 213);
    if (!isNumberText(call.arg(4))) return fail(call, 214);
    const HWND window = reinterpret_cast<HWND>(handleArg(call.arg(1)));
    if (!IsWindow(window)) return fail(call, 215);
    const UINT msg = static_cast<UINT>(call.number(2));
    const WPARAM w = static_cast<WPARAM>(call.number(3));
    const LPARAM l = static_cast<LPARAM>(call.number(4));
    if (post) return call.returnNumber(PostMessageA(window, msg, w, l) ? 1 : 0);
    return call.returnNumber(static_cast<LONG>(SendMessageA(window, msg, w, l)));
}

LONG returnWindow(const ExtenderCall& call, HWND window) {
    return call.returnNumber(static_cast<LONG>(reinterpret_cast<DWORD_PTR>(window)));
}

LONG cwndinfo(const ExtenderCall& call) {
    const HWND window = windowArg(call, 1);
    if (!window) return fail(call, 201);
    switch (call.number(2)) {
    case 0: return call.returnText(windowText(window));
    case 1: return call.returnNumber(GetDlgCtrlID(window));
    case 2: return call.returnText(classOf(window));
    case 3: return returnWindow(call, GetParent(window));
    case 4: return returnWindow(call, GetWindow(window, GW_HWNDFIRST));
    case 5: return returnWindow(call, GetWindow(window, GW_HWNDPREV));
    case 6: return returnWindow(call, GetWindow(window, GW_HWNDNEXT));
    case 7: return returnWindow(call, GetWindow(window, GW_HWNDLAST));
    case 8: return returnWindow(call, GetWindow(window, GW_CHILD));
    case 9: return returnWindow(call, GetWindow(window, GW_OWNER));
    default: return call.returnNumber(0);
    }
}

// A button clicked as the user would, 100 ms after the click before.
class ButtonControl : public StatefulControl {
public:
    explicit ButtonControl(HWND button) : button_(button) {}
    LONG checkState() override { return static_cast<LONG>(SendMessageA(button_, BM_GETCHECK, 0, 0)); }
    bool click() override {
        if (clicked_) Sleep(100);
        clicked_ = true;
        SendMessageA(button_, BM_CLICK, 0, 0);
        return true;
    }

private:
    HWND button_;
    bool clicked_ = false;
};

LONG stateWord(const ExtenderCall& call, bool radio) {
    const HWND window = windowArg(call, 1);
    if (!window) return fail(call, 201);
    ButtonControl button(window);
    return radio ? radioButtonWord(call, button) : checkBoxWord(call, button);
}

LONG cenablestate(const ExtenderCall& call) {
    const HWND window = windowArg(call, 1);
    if (!window) return fail(call, 201);
    if (!isNumberText(call.arg(2))) return fail(call, 221);
    const long long wanted = call.number(2);
    const LONG before = IsWindowEnabled(window) ? 1 : 0;
    if (wanted == -1) return call.returnNumber(before);
    if (wanted != 0 && wanted != 1) return fail(call, 221);
    EnableWindow(window, wanted == 1);
    return call.returnNumber(before);
}

LONG cgetedittext(const ExtenderCall& call) {
    const HWND edit = windowArg(call, 1);
    if (!edit) return fail(call, 201);
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length < 0) length = 0;
    if (_strnicmp(classOf(edit).c_str(), "RICHEDIT", 8) == 0 && length > 65534) length = 65534;
    char* text = workBuffer(static_cast<size_t>(length) + 1);
    const LRESULT got = SendMessageA(edit, WM_GETTEXT, static_cast<WPARAM>(length) + 1, reinterpret_cast<LPARAM>(text));
    return call.returnText(std::string(text, got > 0 ? static_cast<size_t>(got) : 0));
}

LONG csetedittext(const ExtenderCall& call) {
    const HWND edit = windowArg(call, 1);
    if (!edit) return fail(call, 201);
    return call.returnNumber(static_cast<LONG>(SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(call.arg(2)))));
}

LONG clickWord(const ExtenderCall& call, bool post) {
    const HWND button = windowArg(call, 1);
    if (!button) return fail(call, 201);
    if (post) return call.returnNumber(PostMessageA(button, BM_CLICK, 0, 0) ? 1 : 0);
    return call.returnNumber(static_cast<LONG>(SendMessageA(button, BM_CLICK, 0, 0)));
}

// The list and combo box messages a word needs, by kind.
struct ListMessages {
    const char* kind;
    UINT getCount, getTextLength, getText, setCurSel, getCurSel;
    DWORD ownerDrawn, hasStrings;
};
const ListMessages kListBox{"ListBox", LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_SETCURSEL, LB_GETCURSEL,
                            LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE, LBS_HASSTRINGS};
const ListMessages kComboBox{"ComboBox", CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_SETCURSEL, CB_GETCURSEL,
                             CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE, CBS_HASSTRINGS};

bool isMultiple(HWND list) { return (GetWindowLongA(list, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }

// Item `index`'s text onto `out`, after a tab unless it is the first; false when the result would
// outgrow its bound. The text is asked for in UTF-16 and converted here: a control in another
// process does not always convert it for an ANSI caller.
bool appendItem(HWND list, const ListMessages& kind, WPARAM index, bool first, std::string& out) {
    LRESULT length = SendMessageW(list, kind.getTextLength, index, 0);
    if (length < 0) length = 0;
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = SendMessageW(list, kind.getText, index, reinterpret_cast<LPARAM>(wide.data()));
    if (got < 0) got = 0;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(got), nullptr, 0, nullptr, nullptr);
    if (out.size() + static_cast<size_t>(bytes) + 1 > kResultLimit) return false;
    char* text = workBuffer(static_cast<size_t>(bytes) + 1);
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(got), text, bytes, nullptr, nullptr);
    if (!first) out += '\t';
    out.append(text, static_cast<size_t>(bytes));
    return true;
}

// Fails with 223 or 248 when the window is not a list of this kind that keeps its texts.
UINT checkList(HWND list, const ListMessages& kind) {
    if (!classHas(list, kind.kind)) return 223;
    const DWORD style = static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE));
    if ((style & kind.ownerDrawn) && !(style & kind.hasStrings)) return 248;
    return 0;
}

LONG getListText(const ExtenderCall& call, const ListMessages& kind) {
    const HWND list = windowArg(call, 1);
    if (!list) return fail(call, 201);
    if (const UINT problem = checkList(list, kind)) return fail(call, problem);
    const LRESULT count = SendMessageA(list, kind.getCount, 0, 0);
    if (count < 0) return fail(call, 244);
    std::string joined;
    joined.reserve(32000);
    for (LRESULT i = 0; i < count; ++i)
        if (!appendItem(list, kind, static_cast<WPARAM>(i), i == 0, joined)) return fail(call, 234);
    return returnList(call, joined, count == 0);
}

void notifyParent(HWND control, WORD code) {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

LONG setListItem(const ExtenderCall& call, const ListMessages& kind) {
    const HWND list = windowArg(call, 1);
    if (!list) return fail(call, 201);
    if (!classHas(list, kind.kind)) return fail(call, 223);
    const long long item = call.number(2);
    if (!isNumberText(call.arg(2)) || item < 1 || item > 10002) return fail(call, 222);
    const LRESULT result = SendMessageA(list, kind.setCurSel, static_cast<WPARAM>(item - 1), 0);
    const bool accepted = result != LB_ERR && SendMessageA(list, kind.getCurSel, 0, 0) == item - 1;
    if (&kind == &kComboBox) notifyParent(list, CBN_SELCHANGE);
    else if (GetWindowLongA(list, GWL_STYLE) & LBS_NOTIFY) notifyParent(list, LBN_SELCHANGE);
    return call.returnNumber(accepted ? 1 : 0);
}

LONG csetlbitemex(const ExtenderCall& call) {
    const HWND list = windowArg(call, 1);
    if (!list) return fail(call, 201);
    if (!classHas(list, "ListBox")) return fail(call, 223);
    if (!isMultiple(list)) return fail(call, 247);
    std::vector<long long> items;
    if (!numberList(call.arg(2), items)) return fail(call, 245);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count < 0) return fail(call, 244);
    for (long long item : items)
        if (item < 1 || item > count) return fail(call, 246);
    LONG selected = 0;
    for (long long item : items)
        if (SendMessageA(list, LB_SETSEL, TRUE, static_cast<LPARAM>(item - 1)) != LB_ERR) ++selected;
    if (GetWindowLongA(list, GWL_STYLE) & LBS_NOTIFY) notifyParent(list, LBN_SELCHANGE);
    return call.returnNumber(selected);
}

LONG cclearlball(const ExtenderCall& call) {
    const HWND list = windowArg(call, 1);
    if (!list) return fail(call, 201);
    if (!classHas(list, "ListBox")) return fail(call, 223);
    if (isMultiple(list)) SendMessageA(list, LB_SETSEL, FALSE, -1);
    else SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    if (GetWindowLongA(list, GWL_STYLE) & LBS_NOTIFY) notifyParent(list, LBN_SELCHANGE);
    return call.returnNumber(1);
}

LONG cgetlbseltext(const ExtenderCall& call) {
    const HWND list = windowArg(call, 1);
    if (!list) return fail(call, 201);
    if (const UINT problem = checkList(list, kListBox)) return fail(call, problem);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count < 0) return fail(call, 244);
    std::string joined;
    bool any = false;
    const bool multiple = isMultiple(list);
    const LRESULT current = multiple ? LB_ERR : SendMessageA(list, LB_GETCURSEL, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (multiple ? SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(i), 0) <= 0 : i != current) continue;
        if (!appendItem(list, kListBox, static_cast<WPARAM>(i), !any, joined)) return fail(call, 234);
        any = true;
    }
    return returnList(call, joined, !any);
}

LONG csettabitem(const ExtenderCall& call) {
    const HWND tabs = windowArg(call, 1);
    if (!tabs) return fail(call, 201);
    if (!classHas(tabs, WC_TABCONTROLA)) return fail(call, 223);
    const long long tab = call.number(2);
    if (!isNumberText(call.arg(2)) || tab < 1 || tab > 101) return fail(call, 222);
    SendMessageA(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(tab - 1), 0);
    return call.returnNumber(SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == tab - 1 ? 1 : 0);
}

// The focus moves only within a thread's input state: the script's is attached to the window's
// thread (and the foreground window's) for the call.
LONG csetfocus(const ExtenderCall& call) {
    const HWND window = windowArg(call, 1);
    if (!window) return fail(call, 201);
    const DWORD self = GetCurrentThreadId();
    const DWORD target = GetWindowThreadProcessId(window, nullptr);
    const HWND foreground = GetForegroundWindow();
    const DWORD front = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attachTarget = target != self;
    const bool attachFront = front && front != self && front != target;
    if (attachTarget && !AttachThreadInput(self, target, TRUE)) return fail(call, 253);
    if (attachFront && !AttachThreadInput(self, front, TRUE)) {
        if (attachTarget) AttachThreadInput(self, target, FALSE);
        return fail(call, 253);
    }
    SetFocus(window);
    const bool focused = GetFocus() == window;
    if (attachFront) AttachThreadInput(self, front, FALSE);
    if (attachTarget) AttachThreadInput(self, target, FALSE);
    return call.returnNumber(focused ? 1 : 0);
}

}  // namespace

HWND windowArg(const ExtenderCall& call, int n) {
    const HWND window = reinterpret_cast<HWND>(handleArg(call.arg(n)));
    return window && IsWindow(window) ? window : nullptr;
}

std::string classOf(HWND window) {
    char name[256] = "";
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

bool classHas(HWND window, const char* kind) {
    std::string name = classOf(window), wanted = kind;
    for (std::string* text : {&name, &wanted})
        for (char& c : *text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name.find(wanted) != std::string::npos;
}

LONG returnList(const ExtenderCall& call, const std::string& joined, bool empty) {
    return call.returnText(empty ? "*EMPTY*" : joined);
}

// Windows and controls are named by their handles: nothing is kept between calls.
void releaseWords() {}

LONG runWord(DWORD id, const ExtenderCall& call) {
    switch (id) {
    case 2: return searchWord(call, SearchMode::text);
    case 3: return searchWord(call, SearchMode::sequence);
    case 4: return searchWord(call, SearchMode::id);
    case 5: return messageWord(call, false);
    case 6: return cwndinfo(call);
    case 7: return stateWord(call, false);
    case 8: return stateWord(call, true);
    case 9: return cenablestate(call);
    case 10: return cgetedittext(call);
    case 11: return csetedittext(call);
    case 12: return clickWord(call, false);
    case 13: return getListText(call, kListBox);
    case 14: return getListText(call, kComboBox);
    case 15: return setListItem(call, kListBox);
    case 16: return setListItem(call, kComboBox);
    case 17: return csettabitem(call);
    case 18: return searchWord(call, SearchMode::windowClass);
    case 19: return messageWord(call, true);
    case 20: return clickWord(call, true);
    case 46: return csetlbitemex(call);
    case 47: return cclearlball(call);
    case 48: return cgetlbseltext(call);
    case 50: return csetfocus(call);
    case 51: return cwndexist(call);
    default: return commonControlWord(id, call);
    }
}

}  // namespace pxctl
