// The process's atom table for registered window messages and window class names: a name, in
// any letter case, maps to one id in 0xC000-0xFFFF for the life of the process. Ids are local to
// the process; what travels between processes is the name.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace winapi::user32 {

// The id of the name, registering it when new; 0 when the name is empty, longer than 255
// characters or the table is full.
UINT registerAtom(std::string_view name);
// The id of a name already registered, or 0.
UINT findAtom(std::string_view name);
// The name of an id as first registered, or "" when the id is not registered.
std::string atomName(UINT id);

// A name parameter that carries an atom (MAKEINTATOM) instead of pointing at text.
inline bool isIntAtom(LPCSTR name) {
    return name && reinterpret_cast<uintptr_t>(name) <= 0xFFFF;
}

inline bool isAtomRange(UINT id) { return id >= 0xC000 && id <= 0xFFFF; }

}  // namespace winapi::user32
