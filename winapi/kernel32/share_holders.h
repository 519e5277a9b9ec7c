// The processes of the prefix that record share modes. Each one that records an open enters
// itself in the prefix's run folder, so that a folder's rename asks only those processes which
// files below it they hold, rather than reading the kernel's list of every lock of the machine
// (reading that list stops every lock call of the machine for 10 to 20 ms).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace winapi {

// Enters this process (once per process; a child of fork() enters itself too). Called under the
// sharing gate before the process records its first open.
void enterShareHolder();

// Makes the next enterShareHolder() enter this process again: the prefix was made anew.
void shareHolderEntryLost();

// Whether a process of the prefix holds a file below hostFolder with an open whose locks cover
// the byte `denies`; nothing when that cannot be told (a holder whose open files cannot be read).
// Called under the sharing gate.
std::optional<bool> heldBelowByHolders(const std::string& hostFolder, off_t denies);

}  // namespace winapi
