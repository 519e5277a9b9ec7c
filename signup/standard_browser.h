// The customer's installed web browser: whether it is recent enough to host the pages, handing it
// an address, and its top-level windows. Used by the signup file, the browser center's end of a
// run and the plain-dialog fallback.
#pragma once

#include <string>

// The signup file's branding and the start page need at least this browser version, compared as
// text.
inline constexpr const char* kMinimalBrowserVersion = "4.72.3110.1";
// Default of the signup page setting in the program's string table.
inline constexpr unsigned IDS_SIGNUP_URL = 129;

// The folder registered under "App Paths" for the program (e.g. "IEXPLORE.EXE"), without one
// trailing ";"; empty when the program is not installed.
std::string registeredProgramFolder(const char* program);
// The program file itself (the default value of the same key), empty when not registered.
std::string registeredProgramPath(const char* program);

// True when the installed web browser's version is at least the minimal one as text, byte by
// byte: "10.0" counts as older than "4.72".
bool minimalIEPresent();
bool versionIsMinimal(const char* version);

// Opens the address in the standard browser (the shell's default handler, or the registered
// Netscape program when the web browser is too old), then waits - pumping messages - until a
// browser window shows, the connection is gone, or about ten seconds have passed.
void launchStandardBrowser(const std::string& address);

// True when a top-level window's title names one of the two browsers.
bool browserWindowOpen();
// Asks every such window to close.
void closeBrowserWindows();
// The title test both use.
bool isBrowserWindowTitle(const char* title);

// The signup page: the setting "SignupURL" under "Software\<program name>", else the string
// table's default.
std::string signupPageUrl(const std::string& programName);
