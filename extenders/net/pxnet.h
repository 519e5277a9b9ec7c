// The internet extender's shared state and its words, grouped by what they drive: sessions and
// HTTP, multipart bodies and options (net_words.cpp), FTP and the find words (ftp_words.cpp),
// dial-up, connected state, URL texts and the log (dial_words.cpp).
#pragma once

#include <windows.h>
#include <wininet.h>

#include "extender_protocol.h"

#include <string>
#include <vector>

namespace pxnet {

constexpr LONG kVersion = 25031;
constexpr const char* kBoundary = "---------------------------56592736725545";
constexpr LONG kBinary = 945;
constexpr LONG kAscii = 946;

// One FTP search of iftpfindinit/iftpfindnext, possibly going down into subfolders.
struct FtpSearch {
    HINTERNET connection = nullptr;
    HINTERNET find = nullptr;     // the open find of the folder being walked
    DWORD_PTR id = 0;             // the handle value the script was given
    std::string startFolder;      // the connection's folder before the search
    std::string folder;           // the folder being walked
    std::string pattern;
    bool exact = false;
    bool recurse = false;
    std::vector<char> subfolders; // 260-character slots of noted subfolders
    size_t noted = 0, walked = 0;
    WIN32_FIND_DATAA pending{};   // the entry FtpFindFirstFileA gave, not yet handed out
    bool hasPending = false;
};

// One local search of ilocfindinit/ilocfindnext.
struct LocalSearch {
    HANDLE find = INVALID_HANDLE_VALUE;
    DWORD_PTR id = 0;             // the handle value the script was given
    std::string folder;
    std::string pattern;
    bool recurse = false;
    std::vector<std::string> subfolders;
    size_t walked = 0;
    WIN32_FIND_DATAA pending{};
    bool hasPending = false;
};

struct State {
    DWORD lastError = 0;
    bool firstQueryDone = false;
    bool versionAccepted = false;
    FtpSearch* ftpSearch = nullptr;
    LocalSearch* localSearch = nullptr;
    // The progress dialog's Cancel gave up a transfer: the entry's next call answers kCancelled.
    bool cancelPending = false;
};

constexpr LONG kCancelled = -5;

State& state();

// The text of message N: the language file's, else the string table's.
std::string message(UINT id);
// Reports error message N through the callback.
LONG fail(const ExtenderCall& call, UINT id);
// Keeps the system's last error for igetlasterror after a WinInet call.
void keepError();

// A handle argument: an optional "S" (a secure connection) before the number.
HINTERNET handleArg(const char* text, bool* secure = nullptr);
// The handle's WinInet type, 0 when it is no WinInet handle.
DWORD handleType(HINTERNET handle);

// Words.
LONG ibegin(const ExtenderCall& call);
LONG iclose(const ExtenderCall& call);
LONG ihostconnect(const ExtenderCall& call);
LONG iurlopen(const ExtenderCall& call);
LONG ireaddata(const ExtenderCall& call);
LONG iwritedata(const ExtenderCall& call);
LONG icontent(const ExtenderCall& call, bool file);
LONG ihttpinit(const ExtenderCall& call);
LONG ihttpopen(const ExtenderCall& call);
LONG ioptionget(const ExtenderCall& call);
LONG ioptionset(const ExtenderCall& call);
LONG igetresponse(const ExtenderCall& call);
LONG ihttpheaders(const ExtenderCall& call);

LONG iftpopen(const ExtenderCall& call);
LONG iftppath(const ExtenderCall& call, DWORD id);
LONG iftprename(const ExtenderCall& call);
LONG iftpdirget(const ExtenderCall& call);
LONG iftptransfer(const ExtenderCall& call, bool get);
LONG iftpfindinit(const ExtenderCall& call);
LONG iftpfindnext(const ExtenderCall& call);
// The internal test entries: "test" walks the fixed test folder of an FTP connection's server
// with the find words and gives every file found, tab-separated; "testbad" gives 1 when the find
// words refuse the fixed folder that must not exist (328) and leave the connection where it was.
LONG ftptest(const ExtenderCall& call);
LONG ftptestbad(const ExtenderCall& call);
LONG ilocfindinit(const ExtenderCall& call);
LONG ilocfindnext(const ExtenderCall& call);
// Closes a remembered find handle; false when `handle` is none of them.
bool closeRememberedFind(DWORD_PTR handle, BOOL& result);
void forgetSearches();

LONG igetconstate(const ExtenderCall& call);
LONG idial(const ExtenderCall& call);
LONG idialhangup(const ExtenderCall& call);
LONG idialitemize(const ExtenderCall& call);
LONG ilogdata(const ExtenderCall& call);
LONG iurlcode(const ExtenderCall& call, bool decode);

}  // namespace pxnet
