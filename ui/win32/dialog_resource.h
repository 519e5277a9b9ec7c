// Dialog templates as the in-memory DLGTEMPLATE that DialogBoxIndirectParamA,
// CreateDialogIndirectParamA and property sheet pages take: the header with the font, then one
// DLGITEMTEMPLATE a control, texts in UTF-16 converted from Windows-1252.
#pragma once

#include <windows.h>

#include <vector>

#include "dialog_template.h"

namespace ui::win32 {

// The bytes, as WORDs so that they are aligned. `style` is the dialog's own (a top-level dialog
// or a sheet page); DS_SETFONT is added.
std::vector<WORD> dialogResource(const DialogTemplate& dialog, DWORD style);

// The radio group of each control: the index of the control that starts it (its own for any other
// control), as the resource's WS_GROUP marks make it.
std::vector<size_t> radioGroups(const DialogTemplate& dialog);

}  // namespace ui::win32
