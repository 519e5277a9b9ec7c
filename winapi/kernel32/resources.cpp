// kernel32: resources. A Linux program carries no resource section, so a module's bitmap resource
// NAME is the file "<module file>.NAME.bmp" beside it. Found resources stay loaded for the life
// of the process, as resources of a loaded module do; a file that is not a bitmap file is no
// resource.
#include <windows.h>

#include "modules.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr size_t kFileHeaderSize = 14;  // BITMAPFILEHEADER

struct Resource {
    std::vector<uint8_t> data;
};

std::mutex resourcesMutex;
std::vector<std::unique_ptr<Resource>>& resources() {
    static std::vector<std::unique_ptr<Resource>> loaded;
    return loaded;
}

bool isIntResource(LPCSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }

}  // namespace

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    if (!lpName || isIntResource(lpName) || lpType != RT_BITMAP) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    const std::string module = winapi::modulePath(hModule);
    std::string name(lpName);
    if (module.empty() || name.empty() || name.find_first_of("/\\.") != std::string::npos) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::ifstream in(module + "." + name + ".bmp", std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() <= kFileHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    auto resource = std::make_unique<Resource>();
    resource->data.assign(bytes.begin() + kFileHeaderSize, bytes.end());
    std::lock_guard<std::mutex> lock(resourcesMutex);
    resources().push_back(std::move(resource));
    return reinterpret_cast<HRSRC>(resources().back().get());
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) { return reinterpret_cast<HGLOBAL>(hResInfo); }

LPVOID WINAPI LockResource(HGLOBAL hResData) {
    if (!hResData) return nullptr;
    return reinterpret_cast<Resource*>(hResData)->data.data();
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
    if (!hResInfo) return 0;
    return static_cast<DWORD>(reinterpret_cast<Resource*>(hResInfo)->data.size());
}

}  // extern "C"
