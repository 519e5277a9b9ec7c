// Registry scripts (.reg files) as Windows' registry editor reads and writes them: "REGEDIT4"
// files in Windows-1252 and "Windows Registry Editor Version 5.00" files (UTF-16LE with a byte
// order mark on Windows; UTF-8 with a byte order mark and plain 8-bit text are read too).
// A script is parsed completely before anything is applied, so a malformed line rejects the file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace winapi::registry {

enum class Root { LocalMachine, CurrentUser, ClassesRoot };

// A key named from a root: "HKEY_LOCAL_MACHINE\Software\Lumora" is LocalMachine + two names.
struct KeyPath {
    Root root = Root::LocalMachine;
    std::vector<std::string> names;  // Windows-1252
};

struct ScriptOperation {
    enum class Kind { CreateKey, DeleteTree, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    KeyPath key;
    std::string valueName;  // empty for the default value ("@")
    DWORD type = REG_NONE;
    std::string data;
    int line = 0;
};

struct Script {
    std::vector<ScriptOperation> operations;
};

// Parses a whole script. On failure returns false and sets `error` to "line N: what is wrong".
bool parseScript(std::string_view bytes, Script& script, std::string& error);

// "HKEY_CURRENT_USER\Software\X" (HKLM, HKCU and HKCR are accepted for the roots, letter case is
// ignored, a trailing backslash is dropped).
bool parseKeyPath(std::string_view text, KeyPath& path, std::string& error);
std::string formatKeyPath(const KeyPath& path);

// Writes a REGEDIT4 script in Windows-1252 with CR LF line ends. Values that the string and dword
// forms cannot carry exactly (strings without their terminating NUL, with line breaks or inner NULs,
// dwords of another size) are written as hex so that importing the script restores the same bytes.
class ScriptWriter {
public:
    ScriptWriter();
    void key(const std::string& path);
    void value(std::string_view name, DWORD type, std::string_view data);
    const std::string& text() const { return text_; }

private:
    void hexData(std::string_view prefix, std::string_view data);

    std::string text_;
};

}  // namespace winapi::registry
