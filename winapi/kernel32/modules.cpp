// kernel32: modules. LoadLibraryA finds "X.dll" as the shared library "libx.so" or "x.so"
// (ignoring letter case) and loads it with dlopen; GetProcAddress sees only what the module itself
// exports, not what it merely links against, as with a Windows export table. kernel32, advapi32,
// user32 and ws2_32 are this library itself. Module handles are handle-table values like every
// other handle, so they print as 32-bit numbers.
#include "modules.h"

#include <windows.h>

#include "cp1252.h"
#include "handles.h"
#include "paths.h"
#include "prefix.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

namespace winapi {
namespace {

namespace fs = std::filesystem;

class ModuleObject : public KernelObject {
public:
    ModuleObject(void* dl, std::string path, std::string name, bool permanent)
        : dl(dl), path(std::move(path)), name(std::move(name)), permanent(permanent) {}
    // Only FreeLibrary releases a module; a module handle is no handle to CloseHandle.
    bool closedByCloseHandle() const override { return false; }

    void* const dl;
    const std::string path;  // host path of the file
    const std::string name;  // the Windows name it answers to, lower case ("x.dll")
    // The program and libraries the system loaded itself: never unloaded.
    const bool permanent;
    int references = 1;
    HMODULE handle = nullptr;
};

std::recursive_mutex modulesMutex;
std::vector<std::shared_ptr<ModuleObject>> modules;

std::string baseName(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string programPath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

// "libx.so", "libx.so.1" and "x.so" answer to "x.dll"; other files to their own name.
std::string windowsNameOfFile(const std::string& hostFile) {
    std::string name = utf8ToCp1252(baseName(hostFile));
    const size_t so = name.find(".so");
    if (so != std::string::npos && so > 0 && (so + 3 == name.size() || name[so + 3] == '.')) {
        name.resize(so);
        if (name.size() > 3 && name.compare(0, 3, "lib") == 0) name.erase(0, 3);
        name += ".dll";
    }
    return cp1252Lower(name);
}

// The name a request asks for, as Windows completes it: ".dll" when there is no extension, and
// a trailing dot meaning "no extension".
std::string requestedName(std::string_view request) {
    std::string name = baseName(request);
    if (!name.empty() && name.back() == '.') name.pop_back();
    else if (name.find('.') == std::string::npos) name += ".dll";
    return cp1252Lower(name);
}

bool hasFolder(std::string_view name) {
    return name.find_first_of("\\/:") != std::string_view::npos;
}

std::shared_ptr<ModuleObject> mainModule() {
    std::lock_guard lock(modulesMutex);
    for (const auto& module : modules)
        if (module->permanent && module->path == realPath(programPath())) return module;
    const std::string path = realPath(programPath());
    std::string name = cp1252Lower(utf8ToCp1252(baseName(path)));
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".exe") != 0) name += ".exe";
    auto module = std::make_shared<ModuleObject>(::dlopen(nullptr, RTLD_NOW), path, name, true);
    module->handle = addHandle<HMODULE>(module);
    modules.push_back(module);
    return module;
}

std::shared_ptr<ModuleObject> moduleOf(HMODULE handle) {
    if (!handle) return mainModule();
    return handleObject<ModuleObject>(handle);
}

// The files a folder holds for a request, in order of preference, ignoring letter case.
std::string findInFolder(const std::string& folder, const std::string& request) {
    std::string stem = request;
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".dll") == 0) stem.resize(stem.size() - 4);
    const std::string wanted[] = {"lib" + stem + ".so", stem + ".so", request};
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return {};
    std::string found[3];
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = cp1252Lower(utf8ToCp1252(entry->d_name));
        for (int i = 0; i < 3; ++i)
            if (found[i].empty() && name == wanted[i]) found[i] = folder + "/" + entry->d_name;
    }
    ::closedir(dir);
    for (const std::string& path : found) {
        struct stat st;
        if (!path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return path;
    }
    return {};
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Where Windows looks for a library named without a folder, with the calling module's folder
// added (a library loading its neighbours), then the host's library path.
std::vector<std::string> searchFolders(const void* caller) {
    std::vector<std::string> folders;
    if (std::string program = programPath(); !program.empty()) folders.push_back(folderOf(program));
    if (std::string module = modulePathContaining(caller); !module.empty())
        folders.push_back(folderOf(module));
    folders.push_back(prefixFile(kSystemDir));
    folders.push_back(prefixFile(kWindowsDir));
    folders.push_back(".");
    if (const char* path = std::getenv("LD_LIBRARY_PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            if (colon != 0) folders.emplace_back(rest.substr(0, colon));
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    return folders;
}

// The host file for a request, or empty.
std::string findLibrary(const std::string& request, const void* caller) {
    const std::string wanted = requestedName(request);
    if (hasFolder(request)) {
        std::string host;
        if (toHostPath(request.c_str(), host) != ERROR_SUCCESS) return {};
        struct stat st;
        if (::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return host;
        return findInFolder(folderOf(host), wanted);
    }
    for (const std::string& folder : searchFolders(caller))
        if (std::string path = findInFolder(folder, wanted); !path.empty()) return path;
    return {};
}

// A library the dynamic linker loaded (as a dependency of the program) under the wanted name.
std::string loadedLibraryNamed(const std::string& wanted) {
    struct Search {
        const std::string* wanted;
        std::string found;
    } search{&wanted, {}};
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (info->dlpi_name && *info->dlpi_name &&
                windowsNameOfFile(info->dlpi_name) == *s->wanted) {
                s->found = info->dlpi_name;
                return 1;
            }
            return 0;
        },
        &search);
    return search.found;
}

std::shared_ptr<ModuleObject> registeredAt(const std::string& path) {
    for (const auto& module : modules)
        if (module->path == path) return module;
    return nullptr;
}

// Registers a library loaded by the dynamic linker at start-up, so that it has a handle.
std::shared_ptr<ModuleObject> adoptLoaded(const std::string& path) {
    if (auto module = registeredAt(realPath(path))) return module;
    void* dl = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!dl) return nullptr;
    auto module = std::make_shared<ModuleObject>(dl, realPath(path), windowsNameOfFile(path), true);
    module->handle = addHandle<HMODULE>(module);
    modules.push_back(module);
    return module;
}

// The system DLLs this library stands in for: every program has them loaded.
bool isStandInName(const std::string& wanted) {
    for (const char* name : {"kernel32.dll", "advapi32.dll", "user32.dll", "ws2_32.dll"})
        if (wanted == name) return true;
    return false;
}

std::shared_ptr<ModuleObject> registeredNamed(const std::string& wanted) {
    for (const auto& module : modules)
        if (module->name == wanted) return module;
    if (wanted == mainModule()->name) return mainModule();
    if (isStandInName(wanted))
        return adoptLoaded(modulePathContaining(reinterpret_cast<const void*>(&isStandInName)));
    return nullptr;
}

DWORD dlopenError() {
    const char* text = ::dlerror();
    const std::string message = text ? text : "";
    if (message.find("undefined symbol") != std::string::npos) return ERROR_PROC_NOT_FOUND;
    if (message.find("cannot open shared object") != std::string::npos) return ERROR_MOD_NOT_FOUND;
    return ERROR_BAD_EXE_FORMAT;
}

HMODULE loadLibrary(LPCSTR lpLibFileName, const void* caller) {
    if (!lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string request = lpLibFileName;
    std::lock_guard lock(modulesMutex);
    if (!hasFolder(request)) {
        // A module already loaded under that name is the one Windows hands out again.
        const std::string wanted = requestedName(request);
        auto module = registeredNamed(wanted);
        if (!module) {
            if (std::string loaded = loadedLibraryNamed(wanted); !loaded.empty())
                module = adoptLoaded(loaded);
        }
        if (module) {
            ++module->references;
            return module->handle;
        }
    }
    const std::string path = findLibrary(request, caller);
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const std::string real = realPath(path);
    if (auto module = registeredAt(real)) {
        ++module->references;
        return module->handle;
    }
    void* dl = ::dlopen(real.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) {
        SetLastError(dlopenError());
        return nullptr;
    }
    auto module = std::make_shared<ModuleObject>(dl, real, windowsNameOfFile(real), false);
    module->handle = addHandle<HMODULE>(module);
    modules.push_back(module);
    return module->handle;
}

link_map* linkMapOf(void* dl) {
    link_map* map = nullptr;
    return ::dlinfo(dl, RTLD_DI_LINKMAP, &map) == 0 ? map : nullptr;
}

}  // namespace

std::string modulePath(HMODULE hModule) {
    std::lock_guard lock(modulesMutex);
    auto module = moduleOf(hModule);
    return module ? module->path : std::string();
}

std::string modulePathContaining(const void* address) {
    Dl_info info;
    link_map* map = nullptr;
    if (!address || !::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP))
        return {};
    if (!map || !map->l_name || !*map->l_name) return realPath(programPath());
    return realPath(map->l_name);
}

}  // namespace winapi

using namespace winapi;

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    try {
        return loadLibrary(lpLibFileName, __builtin_return_address(0));
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    std::shared_ptr<ModuleObject> module;
    try {
        std::lock_guard lock(modulesMutex);
        module = moduleOf(hModule);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Ordinals (a number in place of the name) do not exist for shared libraries.
    if (!lpProcName || reinterpret_cast<uintptr_t>(lpProcName) <= 0xFFFF) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = ::dlsym(module->dl, lpProcName);
    Dl_info info;
    link_map* owner = nullptr;
    if (!symbol ||
        !::dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) ||
        owner != linkMapOf(module->dl)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    if (!hLibModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(modulesMutex);
    auto module = handleObject<ModuleObject>(hLibModule);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    if (module->permanent || --module->references > 0) return TRUE;
    std::erase(modules, module);
    HandleTable::instance().remove(HandleTable::toValue(hLibModule));
    ::dlclose(module->dl);
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    try {
        std::lock_guard lock(modulesMutex);
        if (!lpModuleName) return mainModule()->handle;
        std::shared_ptr<ModuleObject> module;
        const std::string request = lpModuleName;
        if (hasFolder(request)) {
            std::string host;
            if (toHostPath(lpModuleName, host) == ERROR_SUCCESS) module = registeredAt(realPath(host));
            if (!module && realPath(host) == mainModule()->path) module = mainModule();
        } else {
            const std::string wanted = requestedName(request);
            module = registeredNamed(wanted);
            if (!module) {
                if (std::string loaded = loadedLibraryNamed(wanted); !loaded.empty())
                    module = adoptLoaded(loaded);
            }
        }
        if (!module) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        return module->handle;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path;
    try {
        path = modulePath(hModule);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const std::string text = toSystemName(path);
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Windows XP and later: a name that does not fit is cut to nSize - 1 characters and
    // terminated, and the full size is returned with ERROR_INSUFFICIENT_BUFFER.
    if (text.size() >= nSize) {
        std::memcpy(lpFilename, text.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, text.data(), text.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(text.size());
}

}  // extern "C"
