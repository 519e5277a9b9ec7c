// ctltarget: the program the window-control extender's tests drive from another process. One
// window, "Lumora Steuerelemente", with one control of each kind the extender knows; what reaches
// the window from its controls (commands, notifications, scrolls) is written to standard output,
// one line each, so that a test sees what the program saw. "OK" writes the form's values and ends.
#include <windows.h>

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <initializer_list>
#include <string>

namespace {

enum : int {
    kNext = 100, kNewsletter, kModem, kIsdn, kName, kRich, kCity, kColours, kDrawn, kLine, kTabs, kAddress,
    kPeople, kPlaces, kStatus, kHeader, kCount, kCountArrows, kDate, kCalendar, kTools, kVolume, kOk, kLate, kHuge,
    kOpen = 201, kSave
};

HINSTANCE instance;
// Notifications of the window being built are not the script's doing.
bool built = false;

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
}

HWND child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void addItems(HWND list, UINT message, std::initializer_list<const char*> items) {
    for (const char* item : items) SendMessageA(list, message, 0, reinterpret_cast<LPARAM>(item));
}

void build(HWND window) {
    child(window, "BUTTON", "&Weiter", BS_PUSHBUTTON, 10, 10, 80, 24, kNext);
    child(window, "BUTTON", "&Newsletter", BS_AUTO3STATE, 100, 10, 110, 24, kNewsletter);
    child(window, "BUTTON", "Modem", BS_AUTORADIOBUTTON | WS_GROUP, 220, 10, 80, 24, kModem);
    child(window, "BUTTON", "ISDN", BS_AUTORADIOBUTTON, 300, 10, 80, 24, kIsdn);
    child(window, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 10, 40, 150, 24, kName);
    LoadLibraryA("riched20.dll");
    child(window, "RichEdit20A", "Reich formatiert", WS_BORDER, 170, 40, 150, 24, kRich);
    addItems(child(window, "LISTBOX", "", WS_BORDER | LBS_NOTIFY, 10, 70, 100, 60, kCity), LB_ADDSTRING,
             {"Berlin", "Hamburg", "Koeln"});
    addItems(child(window, "LISTBOX", "", WS_BORDER | LBS_NOTIFY | LBS_EXTENDEDSEL, 120, 70, 100, 60, kColours),
             LB_ADDSTRING, {"Rot", "Gruen", "Blau"});
    addItems(child(window, "LISTBOX", "", WS_BORDER | LBS_OWNERDRAWFIXED, 230, 70, 60, 60, kDrawn), LB_ADDSTRING,
             {"1", "2"});
    addItems(child(window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 300, 70, 100, 120, kLine), CB_ADDSTRING,
             {"Analog", "ISDN", "DSL"});
    HWND tabs = child(window, WC_TABCONTROLA, "", 0, 10, 140, 250, 30, kTabs);
    const char* tabNames[] = {"Allgemein", "Erweitert", "Hilfe"};
    for (int i = 0; i < 3; ++i) {
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<char*>(tabNames[i]);
        SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
    }
    SendMessageA(child(window, WC_IPADDRESSA, "", 0, 270, 140, 150, 24, kAddress), IPM_SETADDRESS, 0,
                 MAKEIPADDRESS(192, 168, 0, 1));
    HWND people = child(window, WC_LISTVIEWA, "", WS_BORDER | LVS_REPORT, 10, 180, 200, 80, kPeople);
    const char* columns[] = {"Name", "Nummer"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 80;
        column.pszText = const_cast<char*>(columns[i]);
        SendMessageA(people, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    const char* rows[][2] = {{"Anna", "0301"}, {"Bernd", "0402"}};
    for (int i = 0; i < 2; ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(rows[i][0]);
        SendMessageA(people, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(rows[i][1]);
        SendMessageA(people, LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    HWND places = child(window, WC_TREEVIEWA, "", WS_BORDER | TVS_HASLINES, 220, 180, 200, 80, kPlaces);
    auto node = [places](HTREEITEM parent, const char* text) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(text);
        return reinterpret_cast<HTREEITEM>(SendMessageA(places, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    };
    HTREEITEM germany = node(TVI_ROOT, "Deutschland");
    node(node(germany, "Berlin"), "Mitte");
    node(germany, "Bonn");
    node(node(TVI_ROOT, "Oesterreich"), "Wien");
    HWND header = child(window, WC_HEADERA, "", HDS_HORZ, 10, 270, 200, 24, kHeader);
    const char* headings[] = {"Spalte A", "Spalte B"};
    for (int i = 0; i < 2; ++i) {
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_WIDTH;
        item.cxy = 100;
        item.pszText = const_cast<char*>(headings[i]);
        SendMessageA(header, HDM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    HWND count = child(window, "EDIT", "", WS_BORDER, 220, 270, 50, 24, kCount);
    HWND arrows = child(window, UPDOWN_CLASSA, "", UDS_SETBUDDYINT | UDS_ALIGNRIGHT, 0, 0, 0, 0, kCountArrows);
    SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(count), 0);
    SendMessageA(arrows, UDM_SETRANGE32, 0, 10);
    SendMessageA(arrows, UDM_SETPOS32, 0, 3);
    HWND date = child(window, DATETIMEPICK_CLASSA, "", 0, 280, 270, 140, 24, kDate);
    SYSTEMTIME when{2024, 2, 4, 29, 10, 20, 30, 0};
    SendMessageA(date, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&when));
    HWND calendar = child(window, MONTHCAL_CLASSA, "", MCS_MULTISELECT, 10, 300, 220, 160, kCalendar);
    SendMessageA(calendar, MCM_SETMAXSELCOUNT, 7, 0);
    HWND tools = child(window, TOOLBARCLASSNAMEA, "", TBSTYLE_LIST | CCS_NOPARENTALIGN | CCS_NORESIZE, 240, 300,
                       180, 30, kTools);
    SendMessageA(tools, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const INT_PTR open = SendMessageA(tools, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>("&Oeffnen\0"));
    const INT_PTR save = SendMessageA(tools, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>("Speichern\0"));
    TBBUTTON buttons[] = {{I_IMAGENONE, kOpen, TBSTATE_ENABLED, BTNS_BUTTON | BTNS_SHOWTEXT, {}, 0, open},
                          {I_IMAGENONE, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
                          {I_IMAGENONE, kSave, 0, BTNS_BUTTON | BTNS_SHOWTEXT, {}, 0, save}};
    SendMessageA(tools, TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(buttons));
    HWND volume = child(window, TRACKBAR_CLASSA, "", 0, 240, 340, 180, 30, kVolume);
    SendMessageA(volume, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageA(volume, TBM_SETRANGEMAX, FALSE, 100);
    SendMessageA(volume, TBM_SETPOS, TRUE, 25);
    child(window, "BUTTON", "OK", BS_DEFPUSHBUTTON, 240, 430, 80, 24, kOk);
    // A list whose texts together pass the bound of a result (40 items of 30000 characters).
    HWND huge = child(window, "LISTBOX", "", WS_BORDER, 330, 460, 60, 20, kHuge);
    const std::string item(30000, 'x');
    for (int i = 0; i < 40; ++i) SendMessageA(huge, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    child(window, STATUSCLASSNAMEA, "", 0, 0, 0, 0, 0, kStatus);
    HWND status = GetDlgItem(window, kStatus);
    int edges[] = {150, -1};
    SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Bereit"));
    SendMessageA(status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("Offline"));
    // A control that comes late, as in a dialog that is still being filled.
    SetTimer(window, 1, 2000, nullptr);
}

void submit(HWND window) {
    char name[256] = "";
    GetDlgItemTextA(window, kName, name, sizeof name);
    say("submitted name=%s newsletter=%d isdn=%d line=%d", name,
        static_cast<int>(SendDlgItemMessageA(window, kNewsletter, BM_GETCHECK, 0, 0)),
        static_cast<int>(SendDlgItemMessageA(window, kIsdn, BM_GETCHECK, 0, 0)),
        static_cast<int>(SendDlgItemMessageA(window, kLine, CB_GETCURSEL, 0, 0)));
    DestroyWindow(window);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        build(window);
        return 0;
    case WM_TIMER:
        KillTimer(window, 1);
        child(window, "BUTTON", "Spaet", BS_PUSHBUTTON, 330, 430, 80, 24, kLate);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kOk && HIWORD(wParam) == BN_CLICKED) {
            submit(window);
            return 0;
        }
        if (built && HIWORD(wParam) != EN_UPDATE) say("command id=%d code=%d", LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == DTN_DATETIMECHANGE) {
            const auto* change = reinterpret_cast<const NMDATETIMECHANGE*>(lParam);
            say("date changed %d-%d-%d weekday=%d", change->st.wYear, change->st.wMonth, change->st.wDay,
                change->st.wDayOfWeek);
        } else if (header->code == NM_DBLCLK && header->idFrom == kPeople) {
            say("double click on people item %d", reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
        }
        return 0;
    }
    case WM_HSCROLL:
        if (LOWORD(wParam) == TB_ENDTRACK)
            say("volume %d", static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0)));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int main() {
    instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "LumoraCtlTarget";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "LumoraCtlTarget", "Lumora Steuerelemente", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  20, 20, 440, 540, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    built = true;
    say("ready");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
