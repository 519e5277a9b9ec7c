// The installed browsers, read from the registry at the wizard's start, and the rules of the
// browser and progress pages that follow from them: which choices are enabled and how they are
// captioned, the preset choice, the installer's command line and the animation's frame steps.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Internet Explorer: the version code (0 none, 1 to 16) from the local machine key
// "Software\Microsoft\Internet Explorer" ("Version", else "Build", else "IVer") and the code's
// text in `text`. With its handling off the code is 0 and the text empty.
int detectInternetExplorer(char* text, size_t size, bool handlingOn = true);
// Netscape: whether "SOFTWARE\Netscape\Netscape Navigator" "CurrentVersion" is set, and its text.
bool detectNetscape(char* text, size_t size, bool handlingOn = true);

// The codes of the three values.
int ieCodeFromVersion(const char* version);
int ieCodeFromBuild(long build);
int ieCodeFromIVer(long iver);
// The text of a code ("%d.%d" of the version's major and minor for 15 and 16).
std::string ieCodeText(int code, int major, int minor);

// The number at the start of a Netscape version text ("4.75 (de)" → 4.75), read the same
// whatever the process's locale says about decimal commas; 0 for none.
double netscapeVersionNumber(const char* text);

enum class InstallCaption { Install, Update };

// One browser's two choices on the browser page.
struct BrowserChoices {
    bool configureEnabled = false;
    bool installEnabled = true;
    InstallCaption installCaption = InstallCaption::Install;
};
BrowserChoices internetExplorerChoices(int code);
BrowserChoices netscapeChoices(const char* versionText);
// The configure caption's "%s" for Netscape: the version number as "%4.2f".
std::string netscapeCaptionVersion(const char* versionText);

// The browser choice the page starts with: the stored one, except that with "-NoConfigure" and
// one browser's handling off the other browser is to be installed (1 or 3).
int presetBrowserChoice(int stored, bool ieOn, bool netscapeOn, bool noConfigure);

// The browser installer's command line for the choice (0 to 3, anything else by the handlings).
std::string browserInstallerCommand(int choice, const char* shortName, bool ieOn, bool netscapeOn);

// A WM_TRIGGER_BITMAP with wParam n moves the frame index: n = 0 or an index already past the
// list steps it by one, else it becomes n. True when the frame at the index is to be drawn.
bool stepAnimationFrame(WORD& index, WPARAM n, size_t frameCount);
