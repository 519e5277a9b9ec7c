// Fuzzes registry scripts (.reg files, as regedit imports them): a script that parses must come
// back the same when its values are written with the script writer and parsed again, and a script
// imported into a fresh registry must export to a script that imports into another fresh registry
// and exports to the same text.
#include "fuzz_check.h"
#include "regfile.h"
#include "regscript.h"
#include "regstore.h"
#include "scratch_prefix.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

using namespace winapi::registry;

namespace {

using Value = std::tuple<std::string, std::string, DWORD, std::string>;  // key, name, type, data

std::vector<Value> valuesOf(const Script& script) {
    std::vector<Value> values;
    for (const ScriptOperation& op : script.operations)
        if (op.kind == ScriptOperation::Kind::SetValue)
            values.emplace_back(formatKeyPath(op.key), op.valueName, op.type, op.data);
    return values;
}

// A registry database of its own, new for every use.
std::string freshStore(const char* name) {
    const std::string path = useScratchPrefix() + "/" + name;
    std::error_code error;
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix, error);
    return path;
}

// Imports `script` into a fresh registry and exports all of it.
bool importAndExport(const Script& script, const char* name, std::string& exported) {
    Store store(freshStore(name));
    if (applyScript(store, script) != ERROR_SUCCESS) return false;
    FUZZ_CHECK(exportScript(store, nullptr, exported) == ERROR_SUCCESS);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Script script;
    std::string error;
    if (!parseScript(bytes, script, error)) {
        FUZZ_CHECK(error.rfind("line ", 0) == 0);
        return 0;
    }

    ScriptWriter writer;
    for (const ScriptOperation& op : script.operations) {
        if (op.kind == ScriptOperation::Kind::SetValue) {
            writer.key(formatKeyPath(op.key));
            writer.value(op.valueName, op.type, op.data);
        }
    }
    Script written;
    FUZZ_CHECK(parseScript(writer.text(), written, error));
    FUZZ_CHECK(valuesOf(written) == valuesOf(script));

    std::string first;
    if (!importAndExport(script, "first.db", first)) return 0;
    Script exported;
    FUZZ_CHECK(parseScript(first, exported, error));
    std::string second;
    FUZZ_CHECK(importAndExport(exported, "second.db", second));
    FUZZ_CHECK(second == first);
    return 0;
}
