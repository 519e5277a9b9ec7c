// advapi32: the registry functions with Windows NT semantics. An HKEY is an entry of the process's
// handle table naming a key of the prefix's registry database (regstore.h); the predefined keys
// are fixed values that need no handle. Like Windows, these functions report failure only through
// their return value and leave the last-error value alone.
#include <windows.h>

#include "handles.h"
#include "regstore.h"
#include "serial_devicemap.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winapi {
namespace {

using registry::KeyId;
using registry::Store;
using registry::Transaction;

constexpr DWORD kDelete = 0x00010000;
constexpr DWORD kGenericRead = 0x80000000;
constexpr DWORD kGenericWrite = 0x40000000;
constexpr DWORD kGenericExecute = 0x20000000;
constexpr DWORD kGenericAll = 0x10000000;
constexpr DWORD kMaximumAllowed = 0x02000000;
constexpr DWORD kWow64Flags = 0x0300;  // KEY_WOW64_64KEY | KEY_WOW64_32KEY: views, not rights

constexpr uint32_t kClassesRoot = 0x80000000;
constexpr uint32_t kCurrentUser = 0x80000001;
constexpr uint32_t kLocalMachine = 0x80000002;

class RegistryKey : public KernelObject {
public:
    RegistryKey(KeyId id, DWORD access) : id(id), access(access) {}
    bool closedByCloseHandle() const override { return false; }
    const KeyId id;
    const DWORD access;
};

// What a key handle stands for: a key of the tree, or HKEY_CLASSES_ROOT, which is looked up in
// the tree on each use.
struct Opened {
    KeyId id = 0;
    bool classesRoot = false;
    DWORD access = 0;
};

bool isPredefined(HKEY key) { return HandleTable::toValue(key) >= 0x80000000u; }

// Looks a handle up; false when it is not a key handle of this process.
bool lookup(HKEY key, Opened& opened) {
    switch (HandleTable::toValue(key)) {
    case kClassesRoot: opened = {0, true, KEY_ALL_ACCESS | kDelete}; return true;
    case kCurrentUser: opened = {registry::kCurrentUser, false, KEY_ALL_ACCESS | kDelete}; return true;
    case kLocalMachine: opened = {registry::kLocalMachine, false, KEY_ALL_ACCESS | kDelete}; return true;
    default: break;
    }
    auto object = handleObject<RegistryKey>(key);
    if (!object) return false;
    opened = {object->id, false, object->access};
    return true;
}

// The rights a new handle gets: generic rights mapped to the key rights, everything that was
// asked for granted (the emulated user administers the machine).
DWORD grantedAccess(REGSAM sam) {
    DWORD access = sam & ~kWow64Flags;
    if (access & kGenericRead) access |= KEY_READ;
    if (access & kGenericWrite) access |= KEY_WRITE;
    if (access & kGenericExecute) access |= KEY_EXECUTE;
    if (access & (kGenericAll | kMaximumAllowed)) access |= KEY_ALL_ACCESS | kDelete;
    return access & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll | kMaximumAllowed);
}

// The key behind a handle inside a transaction: ERROR_KEY_DELETED when it was deleted since the
// handle was opened.
LONG baseKey(Transaction& tx, const Opened& opened, registry::KeyRef& key) {
    if (opened.classesRoot) {
        auto classes = registry::findClassesRoot(tx);
        if (!classes) return ERROR_FILE_NOT_FOUND;
        key = *classes;
        return ERROR_SUCCESS;
    }
    auto found = tx.find(opened.id);
    if (!found) return ERROR_KEY_DELETED;
    key = *found;
    return ERROR_SUCCESS;
}

// Splits a subkey path into its names. Repeated and trailing backslashes separate nothing; a
// leading one makes the path invalid, as on Windows NT.
LONG splitPath(LPCSTR path, std::vector<std::string_view>& names) {
    names.clear();
    if (!path) return ERROR_SUCCESS;
    std::string_view rest(path);
    if (!rest.empty() && rest.front() == '\\') return ERROR_BAD_PATHNAME;
    while (!rest.empty()) {
        const size_t next = rest.find('\\');
        std::string_view name = rest.substr(0, next);
        if (!name.empty()) names.push_back(name);
        if (next == std::string_view::npos) break;
        rest.remove_prefix(next + 1);
    }
    return ERROR_SUCCESS;
}

// Follows the names down from `key`.
LONG walk(Transaction& tx, registry::KeyRef& key, const std::vector<std::string_view>& names) {
    for (auto name : names) {
        auto next = tx.child(key.id, name);
        if (!next) return ERROR_FILE_NOT_FOUND;
        key = *next;
    }
    return ERROR_SUCCESS;
}

std::string_view valueName(LPCSTR name) { return name ? std::string_view(name) : std::string_view(); }

bool isString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

HKEY newHandle(KeyId id, DWORD access) {
    return addHandle<HKEY>(std::make_shared<RegistryKey>(id, access));
}

// Copies value data with the protocol of RegQueryValueExA and RegEnumValueA: a buffer that is too
// small stays untouched, and a string that lacks its terminating NUL gets one when there is room
// (without counting it).
LONG copyData(const std::string& data, DWORD type, LPBYTE buffer, DWORD capacity) {
    if (!buffer || data.empty()) return ERROR_SUCCESS;
    if (data.size() > capacity) return ERROR_MORE_DATA;
    std::memcpy(buffer, data.data(), data.size());
    if (isString(type) && data.size() < capacity && data.back() != '\0') buffer[data.size()] = 0;
    return ERROR_SUCCESS;
}

Store& store() { return Store::forProcess(); }

// Runs a registry function's body, turning an exception into its error code.
template <class F>
LSTATUS guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_GEN_FAILURE;
    }
}

// The serial port list is brought up to date before it is opened.
void refreshIfSerialComm(const Opened& opened, const std::vector<std::string_view>& names) {
    if (!opened.classesRoot && opened.id == registry::kLocalMachine && isSerialCommPath(names))
        refreshSerialComm(store());
}

LSTATUS openKey(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    // NT and later allow one leading backslash below HKEY_CLASSES_ROOT.
    if (HandleTable::toValue(hKey) == kClassesRoot && lpSubKey && *lpSubKey == '\\') ++lpSubKey;
    if (!hKey) return ERROR_INVALID_HANDLE;
    *phkResult = nullptr;
    Opened opened;
    if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
    std::vector<std::string_view> names;
    if (LONG error = splitPath(lpSubKey, names)) return error;
    refreshIfSerialComm(opened, names);
    registry::KeyRef key;
    LONG result = store().read([&](Transaction& tx) -> LONG {
        if (LONG error = baseKey(tx, opened, key)) return error;
        return walk(tx, key, names);
    });
    if (result != ERROR_SUCCESS) return result;
    *phkResult = newHandle(key.id, grantedAccess(samDesired));
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace winapi

using namespace winapi;

extern "C" {

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                               DWORD dwOptions, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES, PHKEY phkResult,
                               LPDWORD lpdwDisposition) {
    return guarded([&]() -> LSTATUS {
        if (!phkResult) return ERROR_BADKEY;
        if (Reserved) return ERROR_INVALID_PARAMETER;
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        *phkResult = nullptr;
        std::vector<std::string_view> names;
        if (LONG error = splitPath(lpSubKey, names)) return error;
        for (auto name : names)
            if (name.size() > registry::kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
        refreshIfSerialComm(opened, names);
        const bool makeVolatile = (dwOptions & REG_OPTION_VOLATILE) != 0;
        const std::string_view className = lpClass ? std::string_view(lpClass) : std::string_view();
        registry::KeyRef key;
        bool created = false;
        LONG result = store().write([&](Transaction& tx) -> LONG {
            created = false;
            if (LONG error = baseKey(tx, opened, key)) return error;
            for (size_t i = 0; i < names.size(); ++i) {
                if (auto next = tx.child(key.id, names[i])) {
                    key = *next;
                    continue;
                }
                if (key.isVolatile && !makeVolatile) return ERROR_CHILD_MUST_BE_VOLATILE;
                const bool last = i + 1 == names.size();
                key = {tx.createChild(key.id, names[i], last ? className : std::string_view(),
                                      makeVolatile),
                       makeVolatile};
                created = last;
            }
            return ERROR_SUCCESS;
        });
        if (result != ERROR_SUCCESS) return result;
        *phkResult = newHandle(key.id, grantedAccess(samDesired));
        if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

LSTATUS WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    return RegCreateKeyExA(hKey, lpSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, kMaximumAllowed,
                           nullptr, phkResult, nullptr);
}

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired,
                             PHKEY phkResult) {
    return guarded([&]() -> LSTATUS {
        // A predefined key opened without a subkey is itself.
        if (phkResult && (!lpSubKey || !*lpSubKey) && isPredefined(hKey) &&
            HandleTable::toValue(hKey) <= kLocalMachine) {
            *phkResult = hKey;
            return ERROR_SUCCESS;
        }
        return openKey(hKey, lpSubKey, samDesired, phkResult);
    });
}

LSTATUS WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    if (!lpSubKey || !*lpSubKey) {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return guarded([&] { return openKey(hKey, lpSubKey, kMaximumAllowed, phkResult); });
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    return guarded([&]() -> LSTATUS {
        if (!hKey) return ERROR_INVALID_HANDLE;
        if (isPredefined(hKey)) return ERROR_SUCCESS;
        if (!handleObject<RegistryKey>(hKey)) return ERROR_INVALID_HANDLE;
        return HandleTable::instance().remove(HandleTable::toValue(hKey)) ? ERROR_SUCCESS
                                                                           : ERROR_INVALID_HANDLE;
    });
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    return guarded([&]() -> LSTATUS {
        if (!lpData && cbData) return ERROR_NOACCESS;
        // Windows NT counts a string's NUL when the caller forgot it: it looks at the byte after
        // the given length, as this does.
        if (cbData && isString(dwType) && lpData[cbData - 1] && !lpData[cbData]) ++cbData;
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        const std::string_view name = valueName(lpValueName);
        if (name.size() > registry::kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
        if (!(opened.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
        const std::string_view data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
        return store().write([&](Transaction& tx) -> LONG {
            registry::KeyRef key;
            if (LONG error = baseKey(tx, opened, key)) return error;
            tx.setValue(key.id, name, dwType, data);
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    return guarded([&]() -> LSTATUS {
        if ((lpData && !lpcbData) || lpReserved) return ERROR_INVALID_PARAMETER;
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        const DWORD capacity = lpcbData ? *lpcbData : 0;
        if (!lpData && lpcbData) *lpcbData = 0;
        if (!(opened.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
        std::optional<registry::Value> value;
        LONG result = store().read([&](Transaction& tx) -> LONG {
            registry::KeyRef key;
            if (LONG error = baseKey(tx, opened, key)) return error;
            value = tx.value(key.id, valueName(lpValueName));
            return value ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        });
        if (result != ERROR_SUCCESS) return result;
        result = copyData(value->data, value->type, lpData, capacity);
        if (lpType) *lpType = value->type;
        if (lpcbData) *lpcbData = static_cast<DWORD>(value->data.size());
        return result;
    });
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return guarded([&]() -> LSTATUS {
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        if (!(opened.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
        return store().write([&](Transaction& tx) -> LONG {
            registry::KeyRef key;
            if (LONG error = baseKey(tx, opened, key)) return error;
            return tx.deleteValue(key.id, valueName(lpValueName)) ? ERROR_SUCCESS
                                                                  : ERROR_FILE_NOT_FOUND;
        });
    });
}

LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    return guarded([&]() -> LSTATUS {
        if (!lpSubKey) return ERROR_INVALID_PARAMETER;
        if (HandleTable::toValue(hKey) == kClassesRoot && *lpSubKey == '\\') ++lpSubKey;
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        std::vector<std::string_view> names;
        if (LONG error = splitPath(lpSubKey, names)) return error;
        return store().write([&](Transaction& tx) -> LONG {
            registry::KeyRef key;
            if (LONG error = baseKey(tx, opened, key)) return error;
            if (LONG error = walk(tx, key, names)) return error;
            // Windows NT deletes only keys without subkeys, and never a root.
            if (key.id == registry::kLocalMachine || key.id == registry::kCurrentUser ||
                tx.hasChildren(key.id))
                return ERROR_ACCESS_DENIED;
            tx.deleteKey(key.id);
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    return guarded([&]() -> LSTATUS {
        if ((lpData && !lpcbData) || lpReserved || !lpValueName || !lpcchValueName)
            return ERROR_INVALID_PARAMETER;
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        if (!(opened.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
        std::optional<registry::Value> value;
        LONG result = store().read([&](Transaction& tx) -> LONG {
            registry::KeyRef key;
            if (LONG error = baseKey(tx, opened, key)) return error;
            value = tx.valueAt(key.id, dwIndex);
            return value ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
        });
        if (result != ERROR_SUCCESS) return result;
        // The data is checked first; neither buffer is written unless both fit.
        const DWORD capacity = lpcbData ? *lpcbData : 0;
        if (lpData && value->data.size() > capacity) result = ERROR_MORE_DATA;
        else if (value->name.size() >= *lpcchValueName) result = ERROR_MORE_DATA;
        if (result == ERROR_SUCCESS) {
            copyData(value->data, value->type, lpData, capacity);
            std::memcpy(lpValueName, value->name.c_str(), value->name.size() + 1);
            *lpcchValueName = static_cast<DWORD>(value->name.size());
        }
        if (lpType) *lpType = value->type;
        if (lpcbData) *lpcbData = static_cast<DWORD>(value->data.size());
        return result;
    });
}

LSTATUS WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                             LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                             PFILETIME lpftLastWriteTime) {
    return guarded([&]() -> LSTATUS {
        if (lpReserved || !lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        if (!(opened.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
        std::optional<registry::KeyInfo> child;
        LONG result = store().read([&](Transaction& tx) -> LONG {
            registry::KeyRef key;
            if (LONG error = baseKey(tx, opened, key)) return error;
            child = tx.childAt(key.id, dwIndex);
            return child ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
        });
        if (result != ERROR_SUCCESS) return result;
        if (lpftLastWriteTime) *lpftLastWriteTime = child->lastWrite;
        if (child->name.size() >= *lpcchName ||
            (lpClass && lpcchClass && child->className.size() >= *lpcchClass))
            return ERROR_MORE_DATA;
        std::memcpy(lpName, child->name.c_str(), child->name.size() + 1);
        *lpcchName = static_cast<DWORD>(child->name.size());
        if (lpcchClass) {
            *lpcchClass = static_cast<DWORD>(child->className.size());
            if (lpClass) std::memcpy(lpClass, child->className.c_str(), child->className.size() + 1);
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    return RegEnumKeyExA(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD,
                                LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen,
                                LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
    return guarded([&]() -> LSTATUS {
        if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        if (!(opened.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
        std::optional<registry::KeyInfo> info;
        registry::KeyStatistics stats;
        LONG result = store().read([&](Transaction& tx) -> LONG {
            registry::KeyRef key;
            if (LONG error = baseKey(tx, opened, key)) return error;
            info = tx.info(key.id);
            if (!info) return ERROR_KEY_DELETED;
            stats = tx.statistics(key.id);
            return ERROR_SUCCESS;
        });
        if (result != ERROR_SUCCESS) return result;
        const std::string& className = info->className;
        if (lpClass && *lpcchClass) {
            // As much of the class as fits; a full buffer means it did not fit with its NUL.
            DWORD copied = std::min<DWORD>(*lpcchClass, static_cast<DWORD>(className.size()));
            std::memcpy(lpClass, className.data(), copied);
            if (copied == *lpcchClass) {
                result = ERROR_MORE_DATA;
                --copied;
            }
            lpClass[copied] = '\0';
            *lpcchClass = copied;
        } else if (lpcchClass) {
            *lpcchClass = static_cast<DWORD>(className.size());
        }
        if (lpcSubKeys) *lpcSubKeys = stats.subkeys;
        if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = stats.maxSubkeyName;
        if (lpcbMaxClassLen) *lpcbMaxClassLen = stats.maxClassName;
        if (lpcValues) *lpcValues = stats.values;
        if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = stats.maxValueName;
        if (lpcbMaxValueLen) *lpcbMaxValueLen = stats.maxValueData;
        // Keys carry no security descriptor here.
        if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
        if (lpftLastWriteTime) *lpftLastWriteTime = info->lastWrite;
        return result;
    });
}

LSTATUS WINAPI RegFlushKey(HKEY hKey) {
    return guarded([&]() -> LSTATUS {
        Opened opened;
        if (!lookup(hKey, opened)) return ERROR_INVALID_HANDLE;
        LONG result = store().read([&](Transaction& tx) -> LONG {
            registry::KeyRef key;
            return baseKey(tx, opened, key);
        });
        if (result != ERROR_SUCCESS) return result;
        return store().flush();
    });
}

}  // extern "C"
