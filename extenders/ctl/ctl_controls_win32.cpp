// The common-control words. Their messages carry addresses of item structures and text buffers,
// which must be valid inside the control's own process: the library's shared section (one copy
// for every process that loads it, at the library's fixed address) holds them, and a message
// hook on the control's thread loads the library there first. The named mutex keeps other
// scripts out of the section from the moment the hook is checked until the word is done. What must
// happen inside the target's thread itself (a notification to the control's owner, which is not
// carried across processes; the class cursor, which only its own process can read) the hook does
// there on request.
#include "ctl_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace pxctl {
namespace {

constexpr size_t kSharedText = 65536;
constexpr size_t kTreeText = 128;

// What the hook does in the target's thread, besides telling that it ran.
enum HookRequest : LONG { kPing, kCursor, kNotify };

struct SharedSection {
    LONG hookRan;
    LONG request;                  // a HookRequest
    DWORD_PTR hookSectionAddress;  // where the process that ran the hook sees this section
    DWORD_PTR cursor;              // the class cursor kCursor found
    union {
        LVITEMA listItem;
        TVITEMA treeItem;
        HDITEMA headerItem;
        TBBUTTON button;
        SYSTEMTIME times[2];
        DWORD address;
        RECT rect;
        INT range[2];
    } item;
    NMDATETIMECHANGE change;
    char text[kSharedText];
};

SharedSection shared __attribute__((section(".shared"), shared)) = {};

HMODULE ownModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&shared), &module);
    return module;
}

UINT dummyMessage() { return RegisterWindowMessageA("FNKDummyMessage"); }

// The class cursor of a window of this process, by the name of the system cursor it is.
void describeCursor(HWND window) {
    static const struct {
        LPCSTR id;
        const char* name;
    } kCursors[] = {{IDC_ARROW, "ARROW"},       {IDC_IBEAM, "IBEAM"},     {IDC_WAIT, "WAIT"},
                    {IDC_CROSS, "CROSS"},       {IDC_UPARROW, "UPARROW"}, {IDC_SIZENWSE, "SIZENWSE"},
                    {IDC_SIZENESW, "SIZENESW"}, {IDC_SIZEWE, "SIZEWE"},   {IDC_SIZENS, "SIZENS"},
                    {IDC_SIZEALL, "SIZEALL"},   {IDC_NO, "NO"},           {IDC_HAND, "HAND"},
                    {IDC_APPSTARTING, "APPSTARTING"}, {IDC_HELP, "HELP"}};
    const HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR));
    shared.cursor = reinterpret_cast<DWORD_PTR>(cursor);
    const char* name = cursor ? "OTHER" : "NONE";
    for (const auto& known : kCursors)
        if (cursor && cursor == LoadCursorA(nullptr, known.id)) name = known.name;
    lstrcpynA(shared.text, name, static_cast<int>(kSharedText));
}

// Runs in the target's thread: does what was asked and tells the script the library is there,
// and where.
LRESULT CALLBACK hookProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && msg->message == dummyMessage()) {
        shared.hookSectionAddress = reinterpret_cast<DWORD_PTR>(&shared);
        if (shared.request == kCursor) {
            describeCursor(msg->hwnd);
        } else if (shared.request == kNotify) {
            SendMessageA(GetParent(shared.change.nmhdr.hwndFrom), WM_NOTIFY, shared.change.nmhdr.idFrom,
                         reinterpret_cast<LPARAM>(&shared.change));
        }
        InterlockedExchange(&shared.hookRan, 1);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void pumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// The shared section made usable for one word on one control.
class Exchange {
public:
    // 0, or the message number of what failed.
    UINT open(HWND control) {
        hook_ = SetWindowsHookExA(WH_GETMESSAGE, hookProcedure, ownModule(),
                                  GetWindowThreadProcessId(control, nullptr));
        if (!hook_) return 224;
        mutex_ = CreateMutexA(nullptr, FALSE, "FNKCommonControlMutex");
        if (!mutex_) return 228;
        const DWORD waited = WaitForSingleObject(mutex_, 5000);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return 228;
        owned_ = true;
        return run(control, kPing);
    }
    // Has the hook do `request` in the thread of `window` and waits until it is done.
    UINT run(HWND window, HookRequest request) {
        InterlockedExchange(&shared.hookRan, 0);
        shared.hookSectionAddress = 0;
        shared.request = request;
        if (!PostMessageA(window, dummyMessage(), 0, 0)) return 229;
        // Pauses of 200 ms, 400 ms ... while the script's own windows stay served.
        for (DWORD pause = 200; pause <= 3000; pause += 200) {
            for (DWORD waitedMs = 0; waitedMs < pause && !shared.hookRan; waitedMs += 10) pumpFor(10);
            if (shared.hookRan) break;
        }
        if (!shared.hookRan) return 229;
        // Item addresses mean the same in both processes only when both see the section at one address.
        if (shared.hookSectionAddress != reinterpret_cast<DWORD_PTR>(&shared)) return 229;
        return 0;
    }
    ~Exchange() {
        if (owned_) ReleaseMutex(mutex_);
        if (mutex_) CloseHandle(mutex_);
        if (hook_) UnhookWindowsHookEx(hook_);
    }

private:
    HHOOK hook_ = nullptr;
    HANDLE mutex_ = nullptr;
    bool owned_ = false;
};

LPARAM at(const void* address) { return reinterpret_cast<LPARAM>(address); }

// The control of argument 1 when it exists and is of the kind, with the section opened for it;
// otherwise the failure is reported and nullptr returned.
HWND openControl(const ExtenderCall& call, const char* kind, Exchange* exchange, LONG& failed) {
    const HWND control = windowArg(call, 1);
    UINT problem = 0;
    if (!control) problem = 201;
    else if (kind && !classHas(control, kind)) problem = 223;
    else if (exchange) problem = exchange->open(control);
    if (problem) {
        failed = fail(call, problem);
        return nullptr;
    }
    return control;
}

// The control of argument 1 with the section opened for it, or the failure already reported.
struct OpenedControl {
    OpenedControl(const ExtenderCall& call, const char* kind) { window = openControl(call, kind, &exchange, failed); }
    Exchange exchange;
    HWND window = nullptr;
    LONG failed = 0;
};

bool appendJoined(std::string& joined, bool first, const char* text) {
    if (!first) joined += '\t';
    joined += text;
    return joined.size() <= kResultLimit;
}

std::string formatAddress(DWORD address) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(FIRST_IPADDRESS(address)),
                  static_cast<unsigned>(SECOND_IPADDRESS(address)), static_cast<unsigned>(THIRD_IPADDRESS(address)),
                  static_cast<unsigned>(FOURTH_IPADDRESS(address)));
    return text;
}

// "a.b.c.d", each 0 to 255.
bool parseAddress(const char* text, DWORD& address) {
    unsigned part[4];
    char end;
    if (std::sscanf(text, "%3u.%3u.%3u.%3u%c", &part[0], &part[1], &part[2], &part[3], &end) != 4) return false;
    for (unsigned p : part)
        if (p > 255) return false;
    address = static_cast<DWORD>(MAKEIPADDRESS(part[0], part[1], part[2], part[3]));
    return true;
}

LONG cgetipaddr(const ExtenderCall& call) {
    const HWND window = windowArg(call, 1);
    if (!window) return fail(call, 201);
    if (classHas(window, WC_IPADDRESSA)) {
        Exchange exchange;
        if (const UINT problem = exchange.open(window)) return fail(call, problem);
        shared.item.address = 0;
        SendMessageA(window, IPM_GETADDRESS, 0, at(&shared.item.address));
        return call.returnText(formatAddress(shared.item.address));
    }
    // An older address field: edit fields of up to three digits each.
    std::string joined;
    int parts = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(classOf(child).c_str(), "EDIT") != 0) continue;
        char text[8] = "";
        GetWindowTextA(child, text, sizeof text);
        if (!isNumberText(text) || parseNumber(text) < 0 || parseNumber(text) > 255) return fail(call, 226);
        if (parts++) joined += '.';
        joined += text;
    }
    if (!parts) return fail(call, 227);
    return call.returnText(joined.substr(0, 31));
}

LONG csetipaddr(const ExtenderCall& call) {
    const HWND window = windowArg(call, 1);
    if (!window) return fail(call, 201);
    if (!classHas(window, WC_IPADDRESSA)) return fail(call, 227);
    DWORD address = 0;
    if (!parseAddress(call.arg(2), address)) return fail(call, 249);
    SendMessageA(window, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
    return call.returnNumber(1);
}

// The text of a list view item's column, through the section.
const char* listViewText(HWND list, int item, int column) {
    shared.item.listItem = LVITEMA{};
    shared.item.listItem.iSubItem = column;
    shared.item.listItem.pszText = shared.text;
    shared.item.listItem.cchTextMax = static_cast<int>(kSharedText);
    shared.text[0] = '\0';
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), at(&shared.item.listItem));
    shared.text[kSharedText - 1] = '\0';
    return shared.text;
}

LONG listViewColumn(const ExtenderCall& call, int column) {
    OpenedControl opened(call, WC_LISTVIEWA);
    if (!opened.window) return opened.failed;
    const HWND list = opened.window;
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    if (count < 0) return fail(call, 244);
    std::string joined;
    for (LRESULT i = 0; i < count; ++i)
        if (!appendJoined(joined, i == 0, listViewText(list, static_cast<int>(i), column))) return fail(call, 234);
    return returnList(call, joined, count == 0);
}

LONG cgetlvcoltext(const ExtenderCall& call) {
    int column;
    LONG failed = 0;
    return columnArg(call, column, failed) ? listViewColumn(call, column) : failed;
}

// Sets (or clears) the selection of list view item n, counted from 1; 0 clears every item.
LONG listViewSelect(const ExtenderCall& call, bool select) {
    if (!isNumberText(call.arg(2))) return fail(call, 240);
    OpenedControl opened(call, WC_LISTVIEWA);
    if (!opened.window) return opened.failed;
    const HWND list = opened.window;
    const long long item = call.number(2);
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    if (item < (select ? 1 : 0) || item > count) return fail(call, 222);
    shared.item.listItem = LVITEMA{};
    shared.item.listItem.stateMask = LVIS_SELECTED | (select ? LVIS_FOCUSED : 0);
    shared.item.listItem.state = select ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    const LRESULT done =
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item - 1), at(&shared.item.listItem));
    if (select) SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item - 1), FALSE);
    return call.returnNumber(done ? 1 : 0);
}

const char* treeText(HWND tree, HTREEITEM item) {
    shared.item.treeItem = TVITEMA{};
    shared.item.treeItem.mask = TVIF_TEXT | TVIF_HANDLE;
    shared.item.treeItem.hItem = item;
    shared.item.treeItem.pszText = shared.text;
    shared.item.treeItem.cchTextMax = static_cast<int>(kTreeText);
    shared.text[0] = '\0';
    SendMessageA(tree, TVM_GETITEMA, 0, at(&shared.item.treeItem));
    shared.text[kTreeText - 1] = '\0';
    return shared.text;
}

HTREEITEM nextItem(HWND tree, UINT how, HTREEITEM from) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, how, at(from)));
}

// The item a tab-separated path of node names leads to, or nullptr.
HTREEITEM walkTree(HWND tree, const std::string& path) {
    HTREEITEM parent = nullptr;
    HTREEITEM level = nextItem(tree, TVGN_ROOT, nullptr);
    size_t start = 0;
    for (;;) {
        const size_t tab = path.find('\t', start);
        const std::string name = path.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        HTREEITEM found = nullptr;
        for (HTREEITEM item = level; item; item = nextItem(tree, TVGN_NEXT, item))
            if (name == treeText(tree, item)) {
                found = item;
                break;
            }
        if (!found || tab == std::string::npos) return found;
        start = tab + 1;
        parent = found;
        level = nextItem(tree, TVGN_CHILD, parent);
        if (!level) {
            // Children that are made only when the node opens.
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, at(parent));
            level = nextItem(tree, TVGN_CHILD, parent);
            SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, at(parent));
        }
    }
}

LONG treeWord(const ExtenderCall& call, bool select) {
    const std::string path = call.arg(2);
    if (!validPath(path)) return fail(call, 250);
    OpenedControl opened(call, WC_TREEVIEWA);
    if (!opened.window) return opened.failed;
    const HWND tree = opened.window;
    const HTREEITEM item = walkTree(tree, path);
    if (!item) return call.returnNumber(0);
    if (select) return call.returnNumber(SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, at(item)) ? 1 : 0);
    shared.item.treeItem = TVITEMA{};
    shared.item.treeItem.mask = TVIF_STATE | TVIF_HANDLE;
    shared.item.treeItem.hItem = item;
    shared.item.treeItem.stateMask = TVIS_SELECTED;
    return call.returnNumber(SendMessageA(tree, TVM_SETITEMA, 0, at(&shared.item.treeItem)) ? 1 : 0);
}

// A double click on item n (from 1) of a list box or list view, as the user would give it.
LONG cdblclickitem(const ExtenderCall& call) {
    const HWND control = windowArg(call, 1);
    if (!control) return fail(call, 201);
    if (!isNumberText(call.arg(2))) return fail(call, 240);
    const long long item = call.number(2);
    if (classHas(control, "ListBox")) {
        if (!(GetWindowLongA(control, GWL_STYLE) & LBS_NOTIFY)) return fail(call, 230);
        if (item < 1 || item > SendMessageA(control, LB_GETCOUNT, 0, 0)) return fail(call, 222);
        SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(item - 1), 0);
        SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), LBN_DBLCLK), at(control));
        return call.returnNumber(1);
    }
    if (!classHas(control, WC_LISTVIEWA)) return fail(call, 230);
    Exchange exchange;
    if (const UINT problem = exchange.open(control)) return fail(call, problem);
    if (item < 1 || item > SendMessageA(control, LVM_GETITEMCOUNT, 0, 0)) return fail(call, 222);
    shared.item.rect = RECT{LVIR_LABEL, 0, 0, 0};
    if (!SendMessageA(control, LVM_GETITEMRECT, static_cast<WPARAM>(item - 1), at(&shared.item.rect)))
        return fail(call, 230);
    const RECT r = shared.item.rect;
    const LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageA(control, WM_LBUTTONUP, 0, point);
    return call.returnNumber(1);
}

LONG cgetsbtext(const ExtenderCall& call) {
    OpenedControl opened(call, STATUSCLASSNAMEA);
    if (!opened.window) return opened.failed;
    const HWND bar = opened.window;
    const LRESULT parts = SendMessageA(bar, SB_GETPARTS, 0, 0);
    std::string joined;
    for (LRESULT i = 0; i < parts; ++i) {
        const LRESULT length = LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(i), 0));
        if (static_cast<size_t>(length) >= kSharedText) return fail(call, 256);
        shared.text[0] = '\0';
        SendMessageA(bar, SB_GETTEXTA, static_cast<WPARAM>(i), at(shared.text));
        if (!appendJoined(joined, i == 0, shared.text)) return fail(call, 234);
    }
    return call.returnText(joined);
}

LONG cgethrtext(const ExtenderCall& call) {
    OpenedControl opened(call, WC_HEADERA);
    if (!opened.window) return opened.failed;
    const HWND header = opened.window;
    const LRESULT count = SendMessageA(header, HDM_GETITEMCOUNT, 0, 0);
    if (count < 0) return fail(call, 244);
    std::string joined;
    for (LRESULT i = 0; i < count; ++i) {
        shared.item.headerItem = HDITEMA{};
        shared.item.headerItem.mask = HDI_TEXT;
        shared.item.headerItem.pszText = shared.text;
        shared.item.headerItem.cchTextMax = static_cast<int>(kSharedText);
        shared.text[0] = '\0';
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), at(&shared.item.headerItem));
        shared.text[kSharedText - 1] = '\0';
        if (!appendJoined(joined, i == 0, shared.text)) return fail(call, 234);
    }
    return returnList(call, joined, count == 0);
}

// An up-down control's range, lower bound first; through the section.
bool upDownRange(HWND control, INT& low, INT& high) {
    shared.item.range[0] = shared.item.range[1] = 0;
    SendMessageA(control, UDM_GETRANGE32, static_cast<WPARAM>(at(&shared.item.range[0])), at(&shared.item.range[1]));
    low = std::min(shared.item.range[0], shared.item.range[1]);
    high = std::max(shared.item.range[0], shared.item.range[1]);
    return true;
}

LONG upDownWord(const ExtenderCall& call, DWORD id) {
    OpenedControl opened(call, UPDOWN_CLASSA);
    if (!opened.window) return opened.failed;
    const HWND control = opened.window;
    INT low = 0, high = 0;
    upDownRange(control, low, high);
    switch (id) {
    case 42: return call.returnNumber(static_cast<LONG>(SendMessageA(control, UDM_GETPOS32, 0, 0)));
    case 43: return call.returnNumber(low);
    case 44: return call.returnNumber(high);
    default: break;
    }
    if (!isNumberText(call.arg(2))) return fail(call, 240);
    const long long position = call.number(2);
    if (position < low || position > high) return fail(call, 231);
    return call.returnNumber(
        static_cast<LONG>(SendMessageA(control, UDM_SETPOS32, 0, static_cast<LPARAM>(position))));
}

LONG trackWord(const ExtenderCall& call, DWORD id) {
    LONG failed = 0;
    const HWND bar = openControl(call, TRACKBAR_CLASSA, nullptr, failed);
    if (!bar) return failed;
    const LONG position = static_cast<LONG>(SendMessageA(bar, TBM_GETPOS, 0, 0));
    const LONG low = static_cast<LONG>(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0));
    const LONG high = static_cast<LONG>(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0));
    switch (id) {
    case 39: return call.returnNumber(position);
    case 40: return call.returnNumber(low);
    case 41: return call.returnNumber(high);
    default: break;
    }
    if (!isNumberText(call.arg(2))) return fail(call, 240);
    const long long wanted = call.number(2);
    if (wanted < low || wanted > high) return fail(call, 231);
    SendMessageA(bar, TBM_SETPOS, TRUE, static_cast<LPARAM>(wanted));
    // The owner hears of it as of a drag that ended there.
    const UINT scroll = (GetWindowLongA(bar, GWL_STYLE) & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    SendMessageA(GetParent(bar), scroll, MAKEWPARAM(TB_THUMBPOSITION, static_cast<WORD>(wanted)), at(bar));
    SendMessageA(GetParent(bar), scroll, MAKEWPARAM(TB_ENDTRACK, 0), at(bar));
    return call.returnNumber(position);
}

void toSystemTime(const CtlDate& date, SYSTEMTIME& time) {
    time = SYSTEMTIME{};
    time.wYear = static_cast<WORD>(date.year);
    time.wMonth = static_cast<WORD>(date.month);
    time.wDay = static_cast<WORD>(date.day);
    time.wDayOfWeek = static_cast<WORD>(date.weekday);
    time.wHour = static_cast<WORD>(date.hour);
    time.wMinute = static_cast<WORD>(date.minute);
    time.wSecond = static_cast<WORD>(date.second);
}

std::string fromSystemTime(const SYSTEMTIME& time) {
    CtlDate date;
    date.year = time.wYear;
    date.month = time.wMonth;
    date.day = time.wDay;
    date.hour = time.wHour;
    date.minute = time.wMinute;
    date.second = time.wSecond;
    return formatCtlDate(date);
}

// 232 for a text that is not a date, 251 for none.
UINT dateArg(const ExtenderCall& call, int n, CtlDate& date) {
    if (!*call.arg(n)) return 251;
    return parseCtlDate(call.arg(n), date) ? 0 : 232;
}

LONG csetdtpdate(const ExtenderCall& call) {
    CtlDate date;
    if (const UINT problem = dateArg(call, 2, date)) return fail(call, problem);
    OpenedControl opened(call, DATETIMEPICK_CLASSA);
    if (!opened.window) return opened.failed;
    const HWND picker = opened.window;
    toSystemTime(date, shared.item.times[0]);
    if (!SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, at(&shared.item.times[0]))) return fail(call, 235);
    // The owner hears of the change as of one the user made.
    shared.change = NMDATETIMECHANGE{};
    shared.change.nmhdr.hwndFrom = picker;
    shared.change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(picker));
    shared.change.nmhdr.code = DTN_DATETIMECHANGE;
    shared.change.dwFlags = GDT_VALID;
    shared.change.st = shared.item.times[0];
    if (const UINT problem = opened.exchange.run(picker, kNotify)) return fail(call, problem);
    return call.returnNumber(1);
}

LONG cgetdtpdate(const ExtenderCall& call) {
    OpenedControl opened(call, DATETIMEPICK_CLASSA);
    if (!opened.window) return opened.failed;
    const HWND picker = opened.window;
    shared.item.times[0] = SYSTEMTIME{};
    if (SendMessageA(picker, DTM_GETSYSTEMTIME, 0, at(&shared.item.times[0])) != GDT_VALID)
        return call.returnText("");
    return call.returnText(fromSystemTime(shared.item.times[0]));
}

long long dayNumber(const CtlDate& date) {
    // Days since 1 March of year 0 in the Gregorian calendar.
    const long long y = date.year - (date.month <= 2 ? 1 : 0);
    const long long m = (date.month + 9) % 12;
    return 365 * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + date.day - 1;
}

LONG csetcaldate(const ExtenderCall& call) {
    CtlDate first, last;
    if (const UINT problem = dateArg(call, 2, first)) return fail(call, problem);
    if (isNone(call.arg(3))) last = first;
    else if (!parseCtlDate(call.arg(3), last)) return fail(call, 232);
    if (dayNumber(last) < dayNumber(first)) return fail(call, 232);
    OpenedControl opened(call, MONTHCAL_CLASSA);
    if (!opened.window) return opened.failed;
    const HWND calendar = opened.window;
    toSystemTime(first, shared.item.times[0]);
    toSystemTime(last, shared.item.times[1]);
    if (GetWindowLongA(calendar, GWL_STYLE) & MCS_MULTISELECT) {
        const LRESULT most = SendMessageA(calendar, MCM_GETMAXSELCOUNT, 0, 0);
        if (dayNumber(last) - dayNumber(first) + 1 > most) return fail(call, 236);
        if (!SendMessageA(calendar, MCM_SETSELRANGE, 0, at(shared.item.times))) return fail(call, 235);
    } else {
        if (dayNumber(last) != dayNumber(first)) return fail(call, 236);
        if (!SendMessageA(calendar, MCM_SETCURSEL, 0, at(shared.item.times))) return fail(call, 235);
    }
    return call.returnNumber(1);
}

LONG cgetcaldate(const ExtenderCall& call) {
    OpenedControl opened(call, MONTHCAL_CLASSA);
    if (!opened.window) return opened.failed;
    const HWND calendar = opened.window;
    shared.item.times[0] = shared.item.times[1] = SYSTEMTIME{};
    if (GetWindowLongA(calendar, GWL_STYLE) & MCS_MULTISELECT) {
        SendMessageA(calendar, MCM_GETSELRANGE, 0, at(shared.item.times));
        return call.returnText(fromSystemTime(shared.item.times[0]) + "\t" + fromSystemTime(shared.item.times[1]));
    }
    SendMessageA(calendar, MCM_GETCURSEL, 0, at(shared.item.times));
    return call.returnText(fromSystemTime(shared.item.times[0]));
}

// Toolbar button i's command and text (empty for none); false for a separator.
bool toolbarButton(HWND bar, LRESULT index, int& command, BYTE& state, std::string& text) {
    shared.item.button = TBBUTTON{};
    if (!SendMessageA(bar, TB_GETBUTTON, static_cast<WPARAM>(index), at(&shared.item.button))) return false;
    if (shared.item.button.fsStyle & BTNS_SEP) return false;
    command = shared.item.button.idCommand;
    state = shared.item.button.fsState;
    shared.text[0] = '\0';
    const LRESULT length = SendMessageA(bar, TB_GETBUTTONTEXTA, static_cast<WPARAM>(command), at(shared.text));
    text = length > 0 && static_cast<size_t>(length) < kSharedText ? std::string(shared.text, static_cast<size_t>(length))
                                                                   : std::string();
    return true;
}

LONG cgettbtext(const ExtenderCall& call) {
    OpenedControl opened(call, TOOLBARCLASSNAMEA);
    if (!opened.window) return opened.failed;
    const HWND bar = opened.window;
    const LRESULT count = SendMessageA(bar, TB_BUTTONCOUNT, 0, 0);
    std::string joined;
    bool first = true;
    for (LRESULT i = 0; i < count; ++i) {
        int command = 0;
        BYTE state = 0;
        std::string text;
        if (!toolbarButton(bar, i, command, state, text)) continue;
        if (!appendJoined(joined, first, text.c_str())) return fail(call, 234);
        first = false;
    }
    return returnList(call, joined, first);
}

// Clicks the button with this caption (ampersands left out, any case) or at this position among
// the buttons (from 1), as the toolbar's owner would hear of a click.
LONG cclicktoolbar(const ExtenderCall& call) {
    OpenedControl opened(call, TOOLBARCLASSNAMEA);
    if (!opened.window) return opened.failed;
    const HWND bar = opened.window;
    const char* wanted = call.arg(2);
    const bool byNumber = isNumberText(wanted);
    const LRESULT count = SendMessageA(bar, TB_BUTTONCOUNT, 0, 0);
    long long position = 0;
    for (LRESULT i = 0; i < count; ++i) {
        int command = 0;
        BYTE state = 0;
        std::string text;
        if (!toolbarButton(bar, i, command, state, text)) continue;
        ++position;
        if (byNumber ? position != parseNumber(wanted) : !captionMatches(text, wanted)) continue;
        if ((state & TBSTATE_HIDDEN) || !(state & TBSTATE_ENABLED)) return fail(call, 238);
        SendMessageA(GetParent(bar), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), at(bar));
        return call.returnNumber(1);
    }
    return fail(call, 237);
}

// The cursor a window shows: 1 its name ("ARROW", "IBEAM" ... "OTHER", "NONE"), 0 its handle.
LONG cgetwndcursor(const ExtenderCall& call) {
    if (!isNumberText(call.arg(2)) || call.number(2) < 0 || call.number(2) > 1) {
        if (!windowArg(call, 1)) return fail(call, 201);
        return fail(call, 221);
    }
    OpenedControl opened(call, nullptr);
    if (!opened.window) return opened.failed;
    const HWND window = opened.window;
    if (const UINT problem = opened.exchange.run(window, kCursor)) return fail(call, problem);
    if (call.number(2) == 0) return call.returnNumber(static_cast<LONG>(shared.cursor));
    return call.returnText(shared.text);
}

// The common-controls library's version, major * 100 + minor (4.71 is 471), from the version
// resource of the "comctl32.dll" found on the search path; 400 when it does not tell.
DWORD commonControlsVersion() {
    static DWORD version = 0;
    if (version) return version;
    version = 400;
    char path[MAX_PATH];
    if (!SearchPathA(nullptr, "comctl32.dll", nullptr, sizeof path, path, nullptr)) return version;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (!size) return version;
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(path, 0, size, data.data()) &&
        VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) && info && length >= sizeof *info)
        version = HIWORD(info->dwFileVersionMS) * 100 + LOWORD(info->dwFileVersionMS);
    return version;
}

// The oldest common-controls library a word's messages need: date pickers and month calendars came
// with 4.70, address fields with 4.71, the up-down control's 32-bit position with 5.80.
DWORD neededVersion(DWORD id) {
    switch (id) {
    case 21:
    case 22: return 471;
    case 32:
    case 33:
    case 34:
    case 35: return 470;
    case 31:
    case 42:
    case 43:
    case 44: return 580;
    default: return 400;
    }
}

}  // namespace

LONG commonControlWord(DWORD id, const ExtenderCall& call) {
    if (commonControlsVersion() < neededVersion(id)) return fail(call, 233);
    switch (id) {
    case 21: return cgetipaddr(call);
    case 22: return csetipaddr(call);
    case 23: return listViewColumn(call, 0);
    case 24: return listViewSelect(call, true);
    case 25: return listViewSelect(call, false);
    case 26: return treeWord(call, true);
    case 27: return treeWord(call, false);
    case 28: return cdblclickitem(call);
    case 29: return cgetsbtext(call);
    case 30: return cgethrtext(call);
    case 31:
    case 42:
    case 43:
    case 44: return upDownWord(call, id);
    case 32: return csetdtpdate(call);
    case 33: return cgetdtpdate(call);
    case 34: return csetcaldate(call);
    case 35: return cgetcaldate(call);
    case 36: return cgettbtext(call);
    case 37: return cclicktoolbar(call);
    case 38:
    case 39:
    case 40:
    case 41: return trackWord(call, id);
    case 49: return cgetlvcoltext(call);
    case 45: return cgetwndcursor(call);
    default: return fail(call, 901);
    }
}

}  // namespace pxctl
