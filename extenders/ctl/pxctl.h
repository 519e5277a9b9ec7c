// The window-control extender's shared pieces: its messages, the work buffer, argument tests,
// caption matching and the six-number date rules. The words themselves are answered by the
// platform's half: Win32 windows and common controls on Windows (ctl_words_win32.cpp ...), the
// desktop's accessibility layer on Linux (ctl_words_atspi.cpp).
#pragma once

#include <windows.h>

#include "extender_protocol.h"

#include <string>
#include <vector>

namespace pxctl {

constexpr LONG kInfoVersion = 20014;
constexpr LONG kFunctionCount = 51;

// Message N of the extender's table (or its language file).
std::string message(UINT id);
// Reports message N through the host's callback; every error of this extender has status -1.
LONG fail(const ExtenderCall& call, UINT id);

// The work buffer for texts: 4096 bytes at first, grown to the longest text asked for; freed by
// the unload call.
char* workBuffer(size_t length);
void freeWorkBuffer();

// Whether the text is a sign and digits, nothing else (blanks around allowed).
bool isNumberText(const char* text);
// A window or object handle argument: a number, else 0.
DWORD_PTR handleArg(const char* text);

// "1,3,5" (blanks and tabs allowed around the numbers) into item numbers; false when it is not
// such a list.
bool numberList(const char* text, std::vector<long long>& numbers);
// Whether a tree path is node names separated by single tabs, none of them empty.
bool validPath(const std::string& path);

// A check box or radio button as the state words see it on either platform.
class StatefulControl {
public:
    virtual ~StatefulControl() = default;
    virtual LONG checkState() = 0;  // 0, 1, or 2 for indeterminate
    virtual bool click() = 0;       // false when it cannot be clicked
};
// ccheckbox and cradiobutton (argument 2 the state asked for) on a control that exists.
LONG checkBoxWord(const ExtenderCall& call, StatefulControl& control);
LONG radioButtonWord(const ExtenderCall& call, StatefulControl& control);
// The column of cgetlvcoltext (argument 2, from 1) counted from 0; false when reported.
bool columnArg(const ExtenderCall& call, int& column, LONG& failed);

// Whether a caption, with every "&" removed, equals `wanted` in any letter case.
bool captionMatches(const std::string& caption, const char* wanted);

// A date and time as scripts write them: year:month:day:hour:minute:second.
struct CtlDate {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int weekday = 0;  // 0 Sunday ... 6 Saturday, computed from the date
};
// Parses the six numbers with the date rules (two-digit years, month lengths, leap years); false
// for anything else.
bool parseCtlDate(const char* text, CtlDate& date);
std::string formatCtlDate(const CtlDate& date);
int weekdayOf(int year, int month, int day);

// Answers one use of a word (identifiers 1 to 51); defined by the platform's half.
LONG runWord(DWORD id, const ExtenderCall& call);
// Lets go of what the platform's half keeps between calls; part of the unload call.
void releaseWords();

}  // namespace pxctl
