// Registry scripts against the registry: importing a parsed script into the store in one
// transaction (all of it or, on failure, nothing), and exporting keys as a REGEDIT4 script.
#pragma once

#include "regfile.h"
#include "regstore.h"

#include <string>

namespace winapi::registry {

// Applies every operation of the script; returns ERROR_SUCCESS or the error that rolled it back.
LONG applyScript(Store& store, const Script& script);

// The key with all its values and subkeys, or the whole registry when `path` is null.
// ERROR_FILE_NOT_FOUND when the key does not exist.
LONG exportScript(Store& store, const KeyPath* path, std::string& text);

}  // namespace winapi::registry
