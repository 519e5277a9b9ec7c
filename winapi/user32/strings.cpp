// user32: string tables and LoadStringA. Each module's table is compiled in (scripts/strtable.py
// generates the code that registers it when the module is loaded); a file "<module file>.strings"
// beside the program or library, in the same UTF-8 format, overrides single entries, so that a
// deployment can brand the provider's texts without a rebuild.
#include <windows.h>

#include "modules.h"
#include "string_source.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Table {
    std::unordered_map<uint16_t, std::string> strings;
    bool overridesRead = false;
};

std::mutex tablesMutex;

// Tables by the host path of their module.
std::unordered_map<std::string, Table>& tables() {
    static std::unordered_map<std::string, Table> byModule;
    return byModule;
}

// Merges the module's override file into its table, once; problems go to standard error, as
// there is no caller to report them to.
void readOverrides(const std::string& modulePath, Table& table) {
    table.overridesRead = true;
    const std::string file = modulePath + ".strings";
    std::ifstream in(file, std::ios::binary);
    if (!in) return;
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<winapi::StringSourceError> errors;
    for (auto& [id, value] : winapi::parseStringSource(text.str(), errors))
        table.strings[id] = std::move(value);
    for (const auto& error : errors)
        std::fprintf(stderr, "winapi: %s:%d: %s; line ignored\n", file.c_str(), error.line,
                     error.message.c_str());
}

}  // namespace

extern "C" {

// Called by the code scripts/strtable.py generates, when the module holding `module` is loaded.
__attribute__((visibility("default"))) void LumoraRegisterStringTable(
    const void* module, unsigned count, const unsigned short* ids, const char* const* texts) {
    try {
        const std::string path = winapi::modulePathContaining(module);
        if (path.empty()) {
            std::fprintf(stderr, "winapi: cannot tell which module holds a string table\n");
            return;
        }
        std::lock_guard<std::mutex> lock(tablesMutex);
        Table& table = tables()[path];
        for (unsigned i = 0; i < count; ++i) table.strings.emplace(ids[i], texts[i]);
    } catch (...) {
        std::fprintf(stderr, "winapi: out of memory registering a string table\n");
    }
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    // Windows answers -1 to a zero-sized buffer (LoadStringW would hand out a pointer instead).
    if (cchBufferMax == 0) return -1;
    if (!lpBuffer || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        const std::string path = winapi::modulePath(hInstance);
        if (!path.empty()) {
            std::lock_guard<std::mutex> lock(tablesMutex);
            Table& table = tables()[path];
            if (!table.overridesRead) readOverrides(path, table);
            // Only the low word is the id, as in Windows' resource lookup.
            auto it = table.strings.find(static_cast<uint16_t>(uID & 0xFFFF));
            if (it != table.strings.end()) {
                const std::string& text = it->second;
                const size_t n = std::min(text.size(), static_cast<size_t>(cchBufferMax - 1));
                std::memcpy(lpBuffer, text.data(), n);
                lpBuffer[n] = '\0';
                return static_cast<int>(n);
            }
        }
        lpBuffer[0] = '\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    } catch (...) {
        lpBuffer[0] = '\0';
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

}  // extern "C"
