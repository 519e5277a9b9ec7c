// The body of a Windows API function runs inside guarded(): an exception (allocation failure is
// the only one the standard library throws here) becomes the function's failure return with
// ERROR_NOT_ENOUGH_MEMORY instead of unwinding into a caller that knows no exceptions.
#pragma once

#include <windows.h>

namespace winapi {

template <class R, class Body>
R guarded(R failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return failure;
    }
}

}  // namespace winapi
