// Functions of a library that winapi loads on first use (dlopen) instead of linking it, so that
// programs that never need it do not pay for loading it at their start.
#pragma once

#include <dlfcn.h>

namespace winapi {

// Sets `function` to the library's function `name`; false when the library has none of that name.
template <typename Function>
bool resolveSymbol(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

}  // namespace winapi
