// What the updater does with a file once it is in place, and the replacement of files in use.
#pragma once

// Modes 3 and 4: moves `source` onto `destination` once the destination can be deleted, trying
// once a second while another program holds it, up to the wait limit ("WaitSeconds" under
// HKEY_CURRENT_USER "Software\Tarnwell\TNUpdate", 30 by default). False (nothing changed) when
// the source does not exist, the destination is a folder or stayed in use, else whether the move
// succeeded.
bool replaceFileWhenFree(const char* source, const char* destination);

// Mode 1: unpacks the packed archive at `localPath` into the folder of the same name without the
// extension. The entries go into a staging folder (the name followed by "1") first; then the old
// folder is renamed aside (the name followed by ".old"; waiting up to the wait limit while its
// files are in use), the staging folder renamed to the name and the old folder deleted. A killed
// run thus leaves the old folder or the new one; when it was killed between the two renames, the
// next run puts the old folder back first. Unwritable entries are skipped. False for a file name without extension or
// without a stem, an unreadable or damaged archive, an entry name that would leave the folder or
// that Windows cannot name, an old folder still in use at the limit, or a rename that failed 20
// times.
bool installArchive(const char* localPath);

// Mode 2: extracts the set-up information file of the cabinet at `localPath` ("/" separators)
// beside it with the system's cabinet extractor and has the shell install it.
void installCabinetInf(const char* localPath);
