// Loads the library an entry names and lets it dial (see library_dial.h).
#include "library_dial.h"

#include <raserror.h>
#include <rasdlg.h>

#include "cp1252.h"

#include <vector>

namespace winapi::ras {
namespace {

// The entry name as UTF-16: Windows-1252 below 0x80 and 0xA0-0xFF is Unicode unchanged; the
// 0x80-0x9F range goes through UTF-8.
std::vector<WCHAR> wideName(const std::string& entry) {
    std::vector<WCHAR> name;
    const std::string utf8 = cp1252ToUtf8(entry);
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        unsigned code = length == 1 ? lead : length == 2 ? lead & 0x1F : lead & 0x0F;
        for (int k = 1; k < length && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        name.push_back(static_cast<WCHAR>(code));
        i += length;
    }
    name.push_back(0);
    return name;
}

LibraryDialResult customDial(const std::string& entry, const RASENTRYA& properties) {
    HMODULE library = LoadLibraryA(properties.szCustomDialDll);
    auto function = library ? reinterpret_cast<PFNRASCUSTOMDIALDLG>(reinterpret_cast<void*>(
                                  GetProcAddress(library, "RasCustomDialDlg")))
                            : nullptr;
    if (!function) {
        if (library) FreeLibrary(library);
        return {LibraryDial::CustomDialMissing, static_cast<DWORD>(ERROR_UNKNOWN)};
    }
    std::vector<WCHAR> name = wideName(entry);
    RASDIALDLG info{};
    info.dwSize = sizeof info;
    const BOOL connected = function(reinterpret_cast<HINSTANCE>(library), 0, nullptr, name.data(),
                                    nullptr, &info, nullptr);
    FreeLibrary(library);
    if (connected) return {LibraryDial::Connected, ERROR_SUCCESS};
    return {LibraryDial::Failed, info.dwError ? info.dwError : static_cast<DWORD>(ERROR_UNKNOWN)};
}

LibraryDialResult autoDial(const std::string& entry, const RASENTRYA& properties) {
    HMODULE library = LoadLibraryA(properties.szAutodialDll);
    auto function = library ? reinterpret_cast<RASADFUNCA>(reinterpret_cast<void*>(
                                  GetProcAddress(library, properties.szAutodialFunc)))
                            : nullptr;
    if (!function) {
        if (library) FreeLibrary(library);
        return {LibraryDial::AutoDialMissing, static_cast<DWORD>(ERROR_UNKNOWN)};
    }
    RASADPARAMS params{};
    params.dwSize = sizeof params;
    std::string name = entry;
    DWORD result = ERROR_UNKNOWN;
    const BOOL handled = function(nullptr, name.data(), &params, &result);
    FreeLibrary(library);
    if (!handled) return {LibraryDial::Failed, static_cast<DWORD>(ERROR_UNKNOWN)};
    if (result) return {LibraryDial::Failed, result};
    return {LibraryDial::Connected, ERROR_SUCCESS};
}

}  // namespace

LibraryDialResult dialThroughLibrary(const std::string& entry, const RASENTRYA& properties) {
    if (properties.dwSize >= sizeof(RASENTRYA)) {
        if (properties.szCustomDialDll[0]) return customDial(entry, properties);
    } else if (properties.szAutodialDll[0] && properties.szAutodialFunc[0]) {
        return autoDial(entry, properties);
    }
    return {};
}

}  // namespace winapi::ras
