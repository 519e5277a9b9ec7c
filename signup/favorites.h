// The user's favorites as local pages of the skin: one "index.html" per favorites folder below
// "defhtml\Favoriten" in the program folder, with a line per shortcut and per subfolder; and the
// dialogs that add and organise favorites: the shell's where the system has them, else the
// program's own.
#pragma once

#include <windows.h>

#include <string>

// The user's favorites folder (no trailing backslash); empty when the machine has none.
std::string favoritesFolder();

// Rewrites the pages from `favorites` into `programFolder` (with a trailing backslash) +
// "defhtml\Favoriten". Names and addresses are written as HTML text, never as markup.
void convertFavorites(const std::string& programFolder, const std::string& favorites);
void convertFavorites(const std::string& programFolder);

// The organising dialog; returns when the user has closed it.
void organizeFavorites(HWND owner);
// The dialog that adds the address as a favorite under a name and folder the user chooses
// (offered: `title`); the shortcut is written when the user confirms.
void addFavorite(HWND owner, const std::string& title, const std::string& address);

// Writes an Internet shortcut to the address.
bool writeInternetShortcut(const std::string& path, const std::string& address);
