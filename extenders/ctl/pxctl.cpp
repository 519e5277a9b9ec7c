// pxctl: the window-control extender's entry point and table of words. The host asks for the
// table (98), unloads (99) and asks for the description (100); every other identifier from 1 to
// 51 is a use of a word, answered by the platform's half. Unlike the internet extender this one
// checks no host version, gives its names as they stand and reports every error with status -1.
#include "pxctl.h"

#include <cstdio>
#include <vector>

namespace pxctl {
namespace {

#define PXL_FUNCTION(id, name, args) {id, kFunctionWord, args, 31, 0, name}

const ExtenderFunctionTable kTable[] = {
    PXL_FUNCTION(1, "cgetinfo", 1),       PXL_FUNCTION(2, "cwndbyname", 2),
    PXL_FUNCTION(3, "cwndbyseq", 2),      PXL_FUNCTION(4, "cwndbyid", 2),
    PXL_FUNCTION(5, "csendmessage", 4),   PXL_FUNCTION(6, "cwndinfo", 2),
    PXL_FUNCTION(7, "ccheckbox", 2),      PXL_FUNCTION(8, "cradiobutton", 2),
    PXL_FUNCTION(9, "cenablestate", 2),   PXL_FUNCTION(10, "cgetedittext", 1),
    PXL_FUNCTION(11, "csetedittext", 2),  PXL_FUNCTION(12, "cclickbutton", 1),
    PXL_FUNCTION(13, "cgetlbtext", 1),    PXL_FUNCTION(14, "cgetcbtext", 1),
    PXL_FUNCTION(15, "csetlbitem", 2),    PXL_FUNCTION(16, "csetcbitem", 2),
    PXL_FUNCTION(17, "csettabitem", 2),   PXL_FUNCTION(18, "cwndbyclass", 2),
    PXL_FUNCTION(19, "cpostmessage", 4),  PXL_FUNCTION(20, "cpostbutton", 1),
    PXL_FUNCTION(21, "cgetipaddr", 1),    PXL_FUNCTION(22, "csetipaddr", 2),
    PXL_FUNCTION(23, "cgetlvtext", 1),    PXL_FUNCTION(24, "csetlvitem", 2),
    PXL_FUNCTION(25, "cclearlvitem", 2),  PXL_FUNCTION(26, "csettvitem", 2),
    PXL_FUNCTION(27, "ccleartvitem", 2),  PXL_FUNCTION(28, "cdblclickitem", 2),
    PXL_FUNCTION(29, "cgetsbtext", 1),    PXL_FUNCTION(30, "cgethrtext", 1),
    PXL_FUNCTION(31, "csetupdownpos", 2), PXL_FUNCTION(32, "csetdtpdate", 2),
    PXL_FUNCTION(33, "cgetdtpdate", 1),   PXL_FUNCTION(34, "csetcaldate", 3),
    PXL_FUNCTION(35, "cgetcaldate", 1),   PXL_FUNCTION(36, "cgettbtext", 1),
    PXL_FUNCTION(37, "cclicktoolbar", 2), PXL_FUNCTION(38, "csettrackpos", 2),
    PXL_FUNCTION(39, "cgettrackpos", 1),  PXL_FUNCTION(40, "cgettrackmin", 1),
    PXL_FUNCTION(41, "cgettrackmax", 1),  PXL_FUNCTION(42, "cgetupdownpos", 1),
    PXL_FUNCTION(43, "cgetupdownmin", 1), PXL_FUNCTION(44, "cgetupdownmax", 1),
    PXL_FUNCTION(45, "cgetwndcursor", 2), PXL_FUNCTION(46, "csetlbitemex", 2),
    PXL_FUNCTION(47, "cclearlball", 1),   PXL_FUNCTION(48, "cgetlbseltext", 1),
    PXL_FUNCTION(49, "cgetlvcoltext", 2), PXL_FUNCTION(50, "csetfocus", 1),
    PXL_FUNCTION(51, "cwndexist", 3),     {kTableEnd, 0, 0, 0, 0, ""},
};

std::vector<char> work;

}  // namespace

std::string message(UINT id) { return extenderMessage(GetModuleHandleA("pxctl.dll"), "PxCtl Extender", id); }

LONG fail(const ExtenderCall& call, UINT id) { return call.returnError(kErrorLevelArgument, message(id)); }

char* workBuffer(size_t length) {
    if (work.size() < 4096) work.resize(4096);
    if (work.size() < length + 1) work.resize(length + 1);
    return work.data();
}

void freeWorkBuffer() { std::vector<char>().swap(work); }

bool isNumberText(const char* text) {
    if (!text) return false;
    while (*text == ' ') ++text;
    if (*text == '+' || *text == '-') ++text;
    if (*text < '0' || *text > '9') return false;
    while (*text >= '0' && *text <= '9') ++text;
    while (*text == ' ') ++text;
    return *text == '\0';
}

DWORD_PTR handleArg(const char* text) {
    if (!isNumberText(text)) return 0;
    const long long value = parseNumber(text);
    return value > 0 ? static_cast<DWORD_PTR>(value) : 0;
}

bool captionMatches(const std::string& caption, const char* wanted) {
    std::string plain;
    for (char c : caption)
        if (c != '&') plain += c;
    return lstrcmpiA(plain.c_str(), wanted) == 0;
}

bool numberList(const char* text, std::vector<long long>& numbers) {
    std::string item;
    for (const char* at = text;; ++at) {
        if (*at == ',' || *at == '\0') {
            if (!isNumberText(item.c_str())) return false;
            numbers.push_back(parseNumber(item.c_str()));
            item.clear();
            if (!*at) break;
        } else if (*at != '\t') {
            item += *at;
        }
    }
    return !numbers.empty();
}

bool validPath(const std::string& path) {
    if (path.empty()) return false;
    size_t start = 0;
    for (;;) {
        const size_t tab = path.find('\t', start);
        if (tab == start || start == path.size()) return false;
        if (tab == std::string::npos) return true;
        start = tab + 1;
    }
}

LONG checkBoxWord(const ExtenderCall& call, StatefulControl& control) {
    if (!isNumberText(call.arg(2))) return fail(call, 221);
    const long long wanted = call.number(2);
    const LONG before = control.checkState();
    if (wanted == -1) return call.returnNumber(before);
    if (wanted < 0 || wanted > 2) return fail(call, 221);
    // A box that cannot show the state asked for (2 on a two-state box) would be clicked for ever:
    // it goes round its states back to where it was, then the clicking stops.
    for (int clicks = 0; control.checkState() != wanted && clicks < 3; ++clicks) {
        if (!control.click()) return fail(call, 223);
        if (control.checkState() == before) break;
    }
    return call.returnNumber(before);
}

LONG radioButtonWord(const ExtenderCall& call, StatefulControl& control) {
    if (!isNumberText(call.arg(2))) return fail(call, 221);
    const long long wanted = call.number(2);
    const LONG before = control.checkState();
    if (wanted == -1) return call.returnNumber(before);
    if (wanted == 0) return fail(call, 220);
    if (wanted != 1) return fail(call, 221);
    if (before != 1 && !control.click()) return fail(call, 223);
    return call.returnNumber(before);
}

bool columnArg(const ExtenderCall& call, int& column, LONG& failed) {
    const UINT problem = !isNumberText(call.arg(2)) ? 240 : call.number(2) < 1 ? 252 : 0;
    if (problem) failed = fail(call, problem);
    column = static_cast<int>(call.number(2) - 1);
    return problem == 0;
}

int weekdayOf(int year, int month, int day) {
    // Sakamoto's method over the Gregorian calendar: 0 is Sunday.
    static const int offset[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offset[month - 1] + day) % 7;
}

bool parseCtlDate(const char* text, CtlDate& date) {
    int numbers[6];
    const char* at = text ? text : "";
    for (int i = 0; i < 6; ++i) {
        while (*at == ' ') ++at;
        if (*at < '0' || *at > '9') return false;
        long value = 0;
        int digits = 0;
        while (*at >= '0' && *at <= '9') {
            if (++digits > 4) return false;
            value = value * 10 + (*at++ - '0');
        }
        while (*at == ' ') ++at;
        if (i < 5 && *at++ != ':') return false;
        numbers[i] = static_cast<int>(value);
        if (i == 0 && digits <= 2) numbers[0] += numbers[0] < 50 ? 2000 : 1900;
    }
    if (*at) return false;
    date.year = numbers[0];
    date.month = numbers[1];
    date.day = numbers[2];
    date.hour = numbers[3];
    date.minute = numbers[4];
    date.second = numbers[5];
    if (date.year < 1601 || date.month < 1 || date.month > 12 || date.hour > 23 || date.minute > 59 ||
        date.second > 59)
        return false;
    static const int length[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    const int days = length[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
    if (date.day < 1 || date.day > days) return false;
    date.weekday = weekdayOf(date.year, date.month, date.day);
    return true;
}

std::string formatCtlDate(const CtlDate& date) {
    char text[64];
    std::snprintf(text, sizeof text, "%d:%d:%d:%d:%d:%d", date.year, date.month, date.day, date.hour, date.minute,
                  date.second);
    return text;
}

}  // namespace pxctl

using namespace pxctl;

extern "C" LONG WINAPI PXLExtender(HWND window, DWORD_PTR unused, DWORD_PTR contextA, DWORD function,
                                   PXLCALLBACK callback, DWORD_PTR contextB, PXLHostBuffer* hostBuffer, LPSTR a1,
                                   LPSTR a2, LPSTR a3, LPSTR a4, LPSTR a5) {
    (void)window;
    (void)unused;
    const DWORD id = function & 0xffff;
    const ExtenderCall call(callback, contextA, contextB, hostBuffer, a1, a2, a3, a4, a5);
    if (id == kTableQuery) {
        bool queried = true, accepted = true;
        return answerTableQuery(kTable, call, queried, accepted, true);
    }
    if (id == kUnload) {
        freeWorkBuffer();
        releaseWords();
        return 1;
    }
    if (id == kDescription) return answerDescription(call, message(1000));
    if (id < 1 || id > static_cast<DWORD>(kFunctionCount)) return fail(call, 901);
    if (id == 1) {
        if (!isNumberText(call.arg(1))) return fail(call, 101);
        switch (call.number(1)) {
        case 0: return call.returnNumber(kInfoVersion);
        case 1: return call.returnNumber(kFunctionCount);
        case 2: return call.returnNumber(0);
        default: return fail(call, 101);
        }
    }
    return runWord(id, call);
}
