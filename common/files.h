// File and folder routines shared by the browser center, the updater and the custom-dial library.
// Paths are Windows paths; folders are written with backslashes.
#pragma once

// True when a find-first on `path` (wildcards allowed) finds anything.
bool fileExists(const char* path);

// Creates the folder, and the folders above it that are missing. Returns the result of the last
// attempt to create `path` itself, so a folder that existed already gives false.
bool createDirectoryPath(const char* path);

// Deletes everything in the folder (read-only files too), the folders below it and the folder
// itself. False when a file could not be deleted.
bool deleteDirectoryTree(const char* path);
