// The command protocol of the skin's pages: a navigation to a URL holding the marker "OLECMDID_"
// is a command to the browser center, not a page to load. This file decides which command a URL
// carries and reads its parameters; the window carries the commands out.
#pragma once

#include <optional>
#include <string>

inline constexpr const char* kCommandMarker = "OLECMDID_";

// The text after the first marker of `url`, or nothing when the URL carries no command.
std::optional<std::string> paneCommandOf(const std::string& url);

// The commands of the three panes. The word tables are searched in this order by substring,
// letter case counting; the first word found wins wherever it stands in the command text.
enum class PortalCommand {
    Back, Next, Close, Enum, ShowCookie, Test1, Test2, Test3, Home, Http, Local, Move, Connect,
    Update, Extra, Refresh, AddFavorite, OrganiseFavorites, ShowDownloadManager,
    Standard,  // a standard command (standardCommandOf)
    Unknown,
};
enum class TitleBarCommand { Close, Minimise, Test, Maximise, Connect, Http, Unknown };
enum class ExtraCommand { Close, Local, Move, Update, Connect, Back, Next, Enum, Unknown };

PortalCommand portalCommandOf(const std::string& command);
TitleBarCommand titleBarCommandOf(const std::string& command);
ExtraCommand extraCommandOf(const std::string& command);

// The standard commands of a browser document, OPEN (1) to DONTDOWNLOADCSS (47), with the
// numbers of the standard command set.
inline constexpr int kStandardCommandCount = 47;
// The first standard command (in numeric order) whose name the text contains, or 0. A longer
// name holding an earlier one gives the earlier one: "SAVEAS" is SAVE, "PRINTPREVIEW" PRINT.
int standardCommandOf(const std::string& command);
// The name of a standard command without prefix ("SAVE" for 3); empty outside 1 to 47.
const char* standardCommandName(int id);

// The parameter text of a word that takes parameters: the command text from the word's length
// on, so such a word works only directly after the marker.
std::string parameterText(const std::string& command, const char* word);

// The decimal number after the first `key` ("X1=") found anywhere in `text`; nothing when the key
// is absent. Digits stop at the first other character; "X1=" without digits reads 0. Numbers
// beyond any window's size stop at kNumberParameterMax instead of overflowing.
inline constexpr long kNumberParameterMax = 1000000;
std::optional<long> numberParameter(const std::string& text, const char* key);

// Where "HTTP:" (and the portal's "LOCAL:") sends the browser pane.
// Empty: "about:blank"; "#host/x#a" → "http://host/x?a" (every further "#" becomes "?");
// "%23host/x#a" → "http://host/x#a"; anything else is a file of the skin folder.
struct HttpTarget {
    std::string url;
    bool blank = false;    // the intercepted navigation's own flags and target go with it
    bool rewritten = false;  // "#" form: the window traces the rewritten address
};
HttpTarget httpTarget(const std::string& text, const std::string& skinFolder);

// The account data of "CONNECT:number{...}user{...}pass{...}". A key without both braces gives
// no value; values hold at most 255 characters (longer ones are cut there).
struct AccountData {
    std::string number, user, password;
};
inline constexpr size_t kAccountValueMax = 255;
AccountData accountDataOf(const std::string& text);

// The page of "EXTRA:T=..V=..:page[:X1=..]": empty or beginning with ":" → "about:blank",
// "#host/x" → "http://host/x", otherwise a file of the skin folder. `placement` receives the
// text after a further ":" (the browser rectangle's sides), empty when there is none.
std::string extraPage(const std::string& text, const std::string& skinFolder, std::string& placement);

// The extra pane keeps its pages in its "domain": its current URL up to and including the last
// backslash (the whole URL when it has none).
std::string extraDomainOf(const std::string& extraUrl);
