// winapi_broadcast NAME wParam lParam: posts the registered message NAME to every top-level
// window and exits right away. Exit status 0 when the post succeeded.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    UINT id = RegisterWindowMessageA(argv[1]);
    if (!id) return 1;
    WPARAM wParam = static_cast<WPARAM>(std::strtoull(argv[2], nullptr, 0));
    LPARAM lParam = static_cast<LPARAM>(std::strtoll(argv[3], nullptr, 0));
    return PostMessageA(HWND_BROADCAST, id, wParam, lParam) ? 0 : 1;
}
