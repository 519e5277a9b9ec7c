// The prefix's remote-access phonebook: one Windows-1252 INI file ("ras/rasphone.pbk"), a section
// per entry, shared by rasapi32 in every process and by the remote-access service. Readers and
// writers take a lock file, and a write replaces the file in one rename, so no process ever reads
// half an edit.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace winapi::ras {

struct PhonebookEntry {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // in file order

    // The value of `key` (compared ignoring case), `fallback` when there is none.
    std::string get(std::string_view key, std::string_view fallback = {}) const;
    DWORD getNumber(std::string_view key, DWORD fallback = 0) const;
    // Stores `value` up to its first line break, without trailing blanks: as the file keeps it.
    void set(std::string_view key, std::string_view value);
    void erase(std::string_view key);
};

using Phonebook = std::vector<PhonebookEntry>;

// The file's text: a "[name]" line per entry, then its "key=value" lines; blank lines and ";"
// comments are skipped. False (with `book` incomplete) for a line that is neither, or a value
// before the first entry.
bool parsePhonebook(std::string_view bytes, Phonebook& book);
std::string formatPhonebook(const Phonebook& book);

// Reads the phonebook (empty when there is none yet). ERROR_SUCCESS or
// ERROR_CANNOT_LOAD_PHONEBOOK.
DWORD readPhonebook(Phonebook& book);

// Reads, lets `edit` change the entries and writes the result, under the lock. `edit` returns
// ERROR_SUCCESS to have the change written, or the error to answer (nothing is written).
DWORD editPhonebook(const std::function<DWORD(Phonebook&)>& edit);

// The entry named `name`, compared ignoring case as Windows compares entry names; nullptr when
// there is none.
PhonebookEntry* findEntry(Phonebook& book, std::string_view name);
const PhonebookEntry* findEntry(const Phonebook& book, std::string_view name);

}  // namespace winapi::ras
