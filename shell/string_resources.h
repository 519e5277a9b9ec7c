// Reading the program's string table.
#pragma once

#include <windows.h>

#include <string>

// The text of a string table entry of the program (empty when there is none), at most 255
// characters.
std::string loadResourceString(UINT id);

// The entry read as a decimal number (0 when it is missing or not a number).
int loadResourceNumber(UINT id);

// An entry whose single blank stands for an empty text (a string table cannot hold one).
std::string loadResourceText(UINT id);
