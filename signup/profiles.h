// The provider's branding of the second browser and of the mail client, from a signup file:
// bitmaps and a configuration file beside the browser, a user profile with the provider's
// preferences and bookmarks, and the mail account of the provider's server switched to dial-up.
#pragma once

#include <string>

// True when a user name can name a profile folder: not empty, no "\" or "/", no drive (":"),
// not "." or "..", no control characters. Names from a signup file are only used as paths when
// this holds.
bool isSafeProfileName(const std::string& name);

// Brands the browser when it is installed. `copyPath` is the normalised signup copy, `userName`
// the new profile's name, `storedUserName` the name whose old profile goes first, and
// `programFolder` (with a trailing backslash) holds the provider's bitmaps.
void brandNetscape(const std::string& copyPath, const std::string& userName,
                   const std::string& storedUserName, const std::string& programFolder);

// Switches the mail account whose "Account Name" is exactly `server` (accounts 1 to 99) to
// dial-up. True when one was found.
bool matchMailAccount(const std::string& server);
