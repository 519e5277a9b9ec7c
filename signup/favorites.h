// The user's favorites as local pages of the skin: one "index.html" per favorites folder below
// "defhtml\Favoriten" in the program folder, with a line per shortcut and per subfolder.
#pragma once

#include <string>

// The user's favorites folder (no trailing backslash); empty when the machine has none.
std::string favoritesFolder();

// Rewrites the pages from `favorites` into `programFolder` (with a trailing backslash) +
// "defhtml\Favoriten". Names and addresses are written as HTML text, never as markup.
void convertFavorites(const std::string& programFolder, const std::string& favorites);
void convertFavorites(const std::string& programFolder);
