// Finding a file name ignoring letter case, with the listings of folders kept between look-ups.
//
// Windows names are case-insensitive, the host's are not: a path naming "Page.htm" must open an
// existing "page.htm", so a name that does not exist as spelled costs a search of its folder.
// Creating many files in one folder (the updater unpacking a skin) searched the folder once per
// file. A listing is therefore kept, but only while it is known to be current: the folder is
// watched with inotify before it is listed, and every look-up first takes in what the kernel
// reported since. The kernel queues a folder's change in the changing call itself, before that
// call returns to whichever process made it, so a change any process completed before a look-up
// started is always seen by it. A listing is tied to its folder's device and inode, and a path is
// tied to them by a stat at each look-up: a folder renamed, removed or replaced by another under
// the same name cannot answer for the new one.
//
// A folder's listing is kept from its second search on: a program that searches a folder once
// (to create one file) does not pay for the watch, whose removal when the program ends waits a
// few milliseconds for the kernel. A listing is kept only on local file systems whose changes all
// pass through this kernel (not on network or FUSE file systems), and only while inotify can be
// had; otherwise every search reads the folder, as before.
#pragma once

#include <string>
#include <string_view>

namespace winapi {

// Looks `name` up in a kept listing of the folder `dir` (a host path; "." is the current
// folder, and so is an empty one). Returns false when there is no current listing of that folder: then nothing is known.
// Returns true when there is one; `match` is then the name as on disk (the exact spelling when it
// exists, else one that matches ignoring case), or empty when the folder holds no such name. Asks
// the system only about folders it has kept listings of.
bool lookUpInKeptListing(const char* dir, std::string_view name, std::string& match);

// Finds `name` in the folder `dir` ignoring case: the name as on disk, or empty when there is
// none (or the folder cannot be read). The folder's listing is kept when it can be watched.
std::string findIgnoringCase(std::string_view dir, std::string_view name);

// Forgets every kept listing (tests; a process that wants to stop watching).
void forgetKeptListings();

// The number of kept listings (tests).
size_t keptListingCount();

}  // namespace winapi
