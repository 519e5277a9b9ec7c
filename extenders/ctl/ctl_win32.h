// The Windows half of the window-control extender: what its two files share. ctl_words_win32.cpp
// answers the words that plain window messages serve (searches, buttons, edit fields, list and
// combo boxes, focus); ctl_controls_win32.cpp the common-control words that pass item structures
// through the shared section of the library loaded into the target's process.
#pragma once

#include "pxctl.h"

#include <string>

namespace pxctl {

// A list result grows in steps of 32000 bytes up to this bound; a longer one is refused (234)
// rather than grown without end.
constexpr size_t kResultLimit = 32000 * 32;

// Argument n as a window that exists, else nullptr.
HWND windowArg(const ExtenderCall& call, int n);
std::string classOf(HWND window);
// Whether the window's class name contains `kind` in any letter case ("ListBox", "SysListView32").
bool classHas(HWND window, const char* kind);
// Joins texts with tabs into the result; an empty list answers "*EMPTY*".
LONG returnList(const ExtenderCall& call, const std::string& joined, bool empty);

// The common-control words (identifiers 21 to 49 but for the list box ones, and 45).
LONG commonControlWord(DWORD id, const ExtenderCall& call);

}  // namespace pxctl
