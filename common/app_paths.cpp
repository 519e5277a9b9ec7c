// The program's paths. The long form of the module path needs GetLongPathNameA, which the first
// systems the program runs on lack, so it is looked up by name and used only when present.
#include "app_paths.h"

#include "text.h"

namespace {

using LongPathFunction = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);

std::string longForm(const std::string& path) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return path;
    // Through void(*)(), the pointer type that converts to any other without a warning.
    auto function = reinterpret_cast<LongPathFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GetLongPathNameA")));
    if (!function) return path;
    char buffer[MAX_PATH];
    DWORD n = function(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

}  // namespace

AppPaths AppPaths::ofModule(HMODULE module) {
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(module, buffer, sizeof buffer);
    std::string path = n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
    return fromPath(path.empty() ? path : longForm(path));
}

AppPaths AppPaths::fromPath(const std::string& path) {
    AppPaths paths;
    paths.fullPath = lowerText(path);
    // Windows reports backslashes; slashes are taken as separators as well.
    size_t slash = paths.fullPath.find_last_of("\\/");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    paths.installDir = paths.fullPath.substr(0, nameStart);
    paths.fileName = paths.fullPath.substr(nameStart);
    paths.programName = paths.fileName.substr(0, paths.fileName.find(".exe"));
    return paths;
}
