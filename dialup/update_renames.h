// Renaming files through the updater: each line "source=destination" of a section of a profile
// file (the signup file's "RenameFiles") becomes one updater run that moves the source onto the
// destination in the program folder as soon as the destination is free.
#pragma once

#include <string>

// Starts one hidden TnUpdate (mode 3) per key of `section` in `filePath`, all at once, with the
// program folder `installDir` + key as source and `installDir` + value as destination. Names
// that would leave the program folder are skipped with a trace line. Returns the number started.
int renameFilesViaUpdater(const std::string& installDir, const std::string& filePath,
                          const std::string& section);
