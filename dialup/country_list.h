// The telephony country list for the settings: names and identifiers, the longest name, and
// the HTML options of the settings page in the order a sorted combo box gives them.
#pragma once

#include <windows.h>

#include <string>

namespace ui {
class Dialog;
}

// The identifier of the country with exactly that name; -1 when there is none.
int getTapiCountryId(const char* countryName);
// Length of the longest country name.
int maxCountryNameLength();
// The <OPTION> elements of every country, sorted by `sortingCombo` (a combo box with the sorted
// style, emptied and refilled here); the country whose identifier equals `selected` is selected.
std::string countryOptionsHtml(const char* selected, HWND sortingCombo);
// Fills the dialog's country list with every country and selects the one with that identifier
// (none when no country has it).
void fillCountryCombo(ui::Dialog& dialog, int comboId, int countryId);
