// The update list "update.ini" against the versions recorded in the registry: the keys of its
// section "Update", the version of one key, and the recorded versions under
// HKEY_CURRENT_USER "Software\<program name>\Updates" that the update queue compares with them.
#pragma once

#include <string>
#include <vector>

// The key names of section "Update" of the profile file, in file order.
std::vector<std::string> updateListKeys(const std::string& listPath);

// The version a key of section "Update" gives (up to 511 characters).
std::string updateListVersion(const std::string& listPath, const std::string& key,
                              const char* defaultVersion);

// "Software\<program name>\Updates".
std::string recordedVersionsKey(const std::string& programName);

// Records the version the list `installDir` + `listName` gives for `key` ("0" when it has none)
// as the installed version of that file.
void storeRemoteFileVersionNumber(const std::string& installDir, const std::string& programName,
                                  const std::string& listName, const std::string& key);

// The "-importini" run: writes every key of section "Update" of `installDir` + `listName` as a
// string value (its version, empty by default) under the recorded versions, so that every listed
// file counts as current. Returns the number of values written.
int importVersionNumbers(const std::string& installDir, const std::string& programName,
                         const std::string& listName);
