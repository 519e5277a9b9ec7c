// kernel32: changing a 32-bit value that other threads or processes (through shared memory) change
// at the same time.
#include <windows.h>

extern "C" {

LONG WINAPI InterlockedIncrement(LONG volatile* Addend) {
    return __atomic_add_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}

LONG WINAPI InterlockedDecrement(LONG volatile* Addend) {
    return __atomic_sub_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}

}  // extern "C"
