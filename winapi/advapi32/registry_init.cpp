// The registry of a new prefix: the template script (template.reg, compiled into the library)
// imported into a new database, with the prefix's folder filled into the paths it names.
#include "prefix.h"

#include "cp1252.h"
#include "regfile.h"
#include "regscript.h"
#include "regstore.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace winapi {

extern const unsigned char kRegistryTemplate[];
extern const std::size_t kRegistryTemplateSize;

namespace {

constexpr std::string_view kPrefixPlaceholder = "%LUMORA_PREFIX%";

// The prefix's host path as the registry's Windows-1252 text holds paths: with backslashes. A
// folder whose name Windows-1252 cannot spell is named through the prefix's drive instead, which
// the path rules map to the same folder.
std::string windowsPrefix(const std::string& prefix) {
    std::string text = utf8ToCp1252(prefix);
    if (cp1252ToUtf8(text) != prefix) return "C:";
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

void fillIn(std::string& text, const std::string& prefix) {
    for (size_t at = text.find(kPrefixPlaceholder); at != std::string::npos;
         at = text.find(kPrefixPlaceholder, at + prefix.size()))
        text.replace(at, kPrefixPlaceholder.size(), prefix);
}

}  // namespace

bool initialiseRegistry(const std::string& prefix) {
    registry::Script script;
    std::string error;
    const std::string_view bytes(reinterpret_cast<const char*>(kRegistryTemplate), kRegistryTemplateSize);
    if (!registry::parseScript(bytes, script, error)) {
        std::fprintf(stderr, "winapi: the registry template is malformed: %s\n", error.c_str());
        return false;
    }
    const std::string folder = windowsPrefix(prefix);
    for (auto& op : script.operations)
        if (op.type == REG_SZ || op.type == REG_EXPAND_SZ || op.type == REG_MULTI_SZ) fillIn(op.data, folder);
    // Not the process's store: that one is opened through prefixPath(), which is initialising.
    registry::Store store(prefix + "/registry.db");
    return registry::applyScript(store, script) == ERROR_SUCCESS;
}

}  // namespace winapi
