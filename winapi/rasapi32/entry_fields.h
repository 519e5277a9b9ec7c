// How a RASENTRY is kept in the phonebook: one key per member, only the members that the
// caller's structure size holds.
#pragma once

#include <ras.h>

#include "phonebook.h"

namespace winapi::ras {

// The RASENTRY sizes of the emulated Windows: 1768 (Windows 95/98), 1796 (NT 4), 2088 (2000).
DWORD systemEntrySize();
// True for a structure size the emulated system knows (its own and the earlier ones).
bool knownEntrySize(DWORD size);

// Fills `entry` (whose dwSize is set and valid) from a phonebook entry; members past dwSize are
// not touched, the rest is zeroed first.
void entryFromPhonebook(const PhonebookEntry& stored, RASENTRYA& entry);
// Records the members that `entry`'s dwSize holds; keys of other members are kept.
void entryToPhonebook(const RASENTRYA& entry, PhonebookEntry& stored);
// The structure of a new entry: the defaults the system fills in.
void defaultEntry(RASENTRYA& entry);

}  // namespace winapi::ras
