// The "-importini" run: the versions of the update list become the recorded local versions, so
// that every listed file counts as current.
#pragma once

#include <string>

// Writes every key of section "Update" of `installDir` + `listName` as a string value (its
// version, empty by default) under HKEY_CURRENT_USER "Software\<program name>\Updates".
// Returns the number of values written.
int importVersionNumbers(const std::string& installDir, const std::string& programName,
                         const std::string& listName);
