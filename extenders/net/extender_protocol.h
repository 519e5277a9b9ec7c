// The extender entry protocol the scripting host speaks with every extender library: the entry's
// twelve arguments, the host's result callback, the table of words with its end mark, the table
// query with its version check, and the number parsing of script arguments.
#pragma once

#include <windows.h>

#include <string>

// The host's result callback: status (0 a result, negative an error), the host's two context
// values, type (0 number, 1 text), number, text.
typedef LONG(WINAPI* PXLCALLBACK)(LONG status, DWORD_PTR contextA, DWORD_PTR contextB, DWORD type, LONG number,
                                  LPCSTR text);

// One row of an extender's table of words.
struct ExtenderFunctionTable {
    WORD id;
    WORD kind;      // kFunctionWord or kConstantWord
    WORD argWord;   // argument count of a function, value of a constant
    WORD typeMask;  // 31 for every function, 0 for constants
    WORD zero;
    char name[14];
};

// What a table query copies into the host's record.
struct PXLTableRecord {
    WORD id;
    WORD kind;
    DWORD argWord;  // the argument count (or value) in the low word, the type mask in the high word
    WORD nameLength;
    char name[16];
};

// The memory a host lends its scripts for the words that read or write raw bytes; a host passes
// it as the entry's seventh argument so that script-supplied addresses can be checked.
struct PXLHostBuffer {
    char* base;
    DWORD_PTR size;
};

constexpr WORD kFunctionWord = 2;
constexpr WORD kConstantWord = 3;
constexpr WORD kTableEnd = 65535;
constexpr DWORD kTableQuery = 98;
constexpr DWORD kUnload = 99;
constexpr DWORD kDescription = 100;
constexpr LONG kErrorLevelArgument = -1;
constexpr LONG kErrorLevelProtocol = -2;

// One use of a word: the host's callback with its context and the script's argument texts.
class ExtenderCall {
public:
    ExtenderCall(PXLCALLBACK callback, DWORD_PTR contextA, DWORD_PTR contextB, const PXLHostBuffer* buffer,
                 LPSTR a1, LPSTR a2, LPSTR a3, LPSTR a4, LPSTR a5);

    // Argument 1 to 5 as text ("" when the host passed none).
    const char* arg(int n) const;
    // Argument n parsed as a number (see parseNumber).
    long long number(int n) const;

    LONG returnNumber(LONG value) const;
    LONG returnText(const std::string& text) const;
    LONG returnError(LONG level, const std::string& message) const;

    // Whether [address, address + length) lies inside the host's buffer.
    bool inHostBuffer(unsigned long long address, unsigned long long length) const;

    LPSTR rawArg(int n) const { return args_[n - 1]; }

private:
    PXLCALLBACK callback_;
    DWORD_PTR contextA_, contextB_;
    const PXLHostBuffer* buffer_;
    LPSTR args_[5];
};

// Optional blanks, an optional sign and decimal digits; anything after the digits is ignored;
// 0 when there are no digits.
long long parseNumber(const char* text);

// An empty argument or "0" stands for "none" where a text is optional.
bool isNone(const char* text);

// Answers the table query (identifier 98) for `table`; checks the version words on the first
// query and records the outcome in `versionAccepted`. Names go to the host in lower case unless
// `namesAsTheyStand`.
LONG answerTableQuery(const ExtenderFunctionTable* table, const ExtenderCall& call, bool& firstQueryDone,
                      bool& versionAccepted, bool namesAsTheyStand = false);

// Answers the description query (identifier 100): `text` into the host's buffer (argument 1), at
// most as many characters as argument 2 allows, with its end.
LONG answerDescription(const ExtenderCall& call, const std::string& text);

// Message N of an extender: the text of key "X" followed by N in `section` of the language file
// "PXLELANG.<code>" (for N from 100 up) when there is one, else string resource N of `module`;
// "~" becomes a line break and "|" a tab.
std::string extenderMessage(HMODULE module, const char* section, UINT id);
