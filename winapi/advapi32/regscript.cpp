// Importing and exporting registry scripts.
#include "regscript.h"

#include <optional>

namespace winapi::registry {
namespace {

KeyId rootKey(Transaction& tx, Root root) {
    switch (root) {
    case Root::LocalMachine: return kLocalMachine;
    case Root::CurrentUser: return kCurrentUser;
    case Root::ClassesRoot: return createClassesRoot(tx).id;
    }
    return kLocalMachine;
}

std::optional<KeyId> findKey(Transaction& tx, const KeyPath& path) {
    KeyId id;
    if (path.root == Root::ClassesRoot) {
        auto classes = findClassesRoot(tx);
        if (!classes) return std::nullopt;
        id = classes->id;
    } else {
        id = path.root == Root::LocalMachine ? kLocalMachine : kCurrentUser;
    }
    for (const auto& name : path.names) {
        auto next = tx.child(id, name);
        if (!next) return std::nullopt;
        id = next->id;
    }
    return id;
}

// Creates the missing keys of the path. Below a volatile key only volatile keys may be created,
// and a script creates lasting ones, so that fails as RegCreateKeyExA does.
LONG createKey(Transaction& tx, const KeyPath& path, KeyId& id) {
    id = rootKey(tx, path.root);
    bool parentVolatile = false;
    for (const auto& name : path.names) {
        if (auto next = tx.child(id, name)) {
            id = next->id;
            parentVolatile = next->isVolatile;
            continue;
        }
        if (parentVolatile) return ERROR_CHILD_MUST_BE_VOLATILE;
        id = tx.createChild(id, name, "", false);
    }
    return ERROR_SUCCESS;
}

void exportKey(Transaction& tx, KeyId id, const std::string& path, ScriptWriter& writer) {
    writer.key(path);
    for (const auto& value : tx.values(id)) writer.value(value.name, value.type, value.data);
    for (const auto& child : tx.children(id)) exportKey(tx, child.id, path + "\\" + child.name, writer);
}

}  // namespace

LONG applyScript(Store& store, const Script& script) {
    return store.write([&](Transaction& tx) -> LONG {
        for (const auto& op : script.operations) {
            KeyId id;
            switch (op.kind) {
            case ScriptOperation::Kind::CreateKey:
                if (LONG error = createKey(tx, op.key, id)) return error;
                break;
            case ScriptOperation::Kind::DeleteTree:
                if (auto found = findKey(tx, op.key)) tx.deleteTree(*found);
                break;
            case ScriptOperation::Kind::SetValue:
                if (LONG error = createKey(tx, op.key, id)) return error;
                tx.setValue(id, op.valueName, op.type, op.data);
                break;
            case ScriptOperation::Kind::DeleteValue:
                if (auto found = findKey(tx, op.key)) tx.deleteValue(*found, op.valueName);
                break;
            }
        }
        return ERROR_SUCCESS;
    });
}

LONG exportScript(Store& store, const KeyPath* path, std::string& text) {
    ScriptWriter writer;
    LONG result = store.read([&](Transaction& tx) -> LONG {
        if (!path) {
            exportKey(tx, kLocalMachine, formatKeyPath({Root::LocalMachine, {}}), writer);
            exportKey(tx, kCurrentUser, formatKeyPath({Root::CurrentUser, {}}), writer);
            return ERROR_SUCCESS;
        }
        auto id = findKey(tx, *path);
        if (!id) return ERROR_FILE_NOT_FOUND;
        exportKey(tx, *id, formatKeyPath(*path), writer);
        return ERROR_SUCCESS;
    });
    if (result == ERROR_SUCCESS) text = writer.text() + "\r\n";
    return result;
}

}  // namespace winapi::registry
