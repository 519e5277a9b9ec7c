// The program's own favorites dialogs, for systems whose shell has none: adding a page as a
// favorite (its name and the folder it goes into) and organising the favorites (rename, move,
// delete, new folder). Names typed or taken from a page become file names only once they are
// made safe (no folder parts, no characters a file name cannot hold).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A name fit to be one file or folder name inside the favorites: characters a file name cannot
// hold become "-", leading and trailing dots and blanks go, at most 100 characters; empty when
// nothing is left.
std::string favoriteFileName(const std::string& name);

// The folders below the favorites folder, as paths relative to it ("" first, for the folder
// itself).
std::vector<std::string> favoriteFolders(const std::string& favorites);

// Asks for the favorite's name (offered: `title`) and folder; on OK writes the shortcut and
// returns its path. Empty when cancelled or when no dialog can be shown.
std::string runAddFavoriteDialog(HWND owner, const std::string& favorites,
                                 const std::string& title, const std::string& address);

// The organising dialog over the favorites folder; returns when the user closes it.
void runOrganizeFavoritesDialog(HWND owner, const std::string& favorites);
