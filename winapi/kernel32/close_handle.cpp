// kernel32: CloseHandle, which ends any kernel object of the handle table (files, find searches,
// processes, mappings ...); the object's destructor releases what it holds.
#include <windows.h>

#include "handles.h"

extern "C" {

BOOL WINAPI CloseHandle(HANDLE hObject) {
    // The pseudo handles of the current process (-1) and thread (-2) close without effect.
    if (hObject == INVALID_HANDLE_VALUE || hObject == reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)))
        return TRUE;
    auto& table = winapi::HandleTable::instance();
    const uint32_t value = winapi::HandleTable::toValue(hObject);
    auto object = table.get(value);
    if (!object || !object->closedByCloseHandle() || !table.remove(value)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
