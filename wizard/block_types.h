// The small records of the configuration block: a helper program, an install option, a node.
#pragma once

#include <windows.h>

#include <string>

// A helper program the wizard may start: its command line as is, a show-window value and
// whether to wait for its end.
struct CAnwendung {
    std::string m_CommandLine;
    DWORD m_ShowMode = SW_SHOW;
    DWORD m_Wait = 0;
    bool operator==(const CAnwendung&) const = default;
};

// One browser install option offered on the option page.
struct CSetupData {
    std::string m_Name;
    std::string m_Description;
    bool operator==(const CSetupData&) const = default;
};

// A dial-in node: its name (the key and the text of the list) and two further texts.
struct CKnoten {
    std::string m_Name;
    std::string m_Text2;
    std::string m_Text3;
    bool operator==(const CKnoten&) const = default;
};
