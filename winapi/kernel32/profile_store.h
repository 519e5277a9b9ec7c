// Profile files on disk: where a profile file name points, reading a file (through a small cache
// of parsed files) and replacing it after an edit without ever leaving a half-written file.
#pragma once

#include "profile_text.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace winapi {

// Host path of the file the profile functions mean: NULL is "win.ini", and a name without a
// folder lives in the Windows directory. ERROR_SUCCESS or the path's error.
DWORD profileHostPath(LPCSTR fileName, std::string& hostPath);

// Reads and parses the file. ERROR_SUCCESS; ERROR_FILE_NOT_FOUND with an empty text when the file
// does not exist; otherwise the error that kept it from being read (and no text).
DWORD loadProfile(const std::string& hostPath, std::shared_ptr<const ProfileText>& text);

// Applies `edit` to the file's current text (empty when the file does not exist) and replaces the
// file when the text changed. Edits of one folder are serialised between processes, so no change
// is lost to a concurrent writer. ERROR_SUCCESS or the error.
DWORD editProfile(const std::string& hostPath,
                  const std::function<std::string(const ProfileText&)>& edit);

}  // namespace winapi
