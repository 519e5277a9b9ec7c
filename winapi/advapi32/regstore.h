// The registry's storage: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER as one tree in one SQLite
// database, "registry.db" in the prefix, shared by every process of the prefix. Key and value names
// keep the letter case they were created with (Windows-1252 bytes) and are found ignoring it;
// values keep their type, their bytes and the order in which they were created.
//
// Every operation runs inside Store::read or Store::write, one database transaction each, so a
// registry call sees and leaves a consistent tree even while other processes write. A database
// that stays locked by another process longer than the busy timeout (5 s, or the milliseconds in
// $LUMORA_REGISTRY_BUSY_MS) makes the call fail with ERROR_BUSY; a damaged database makes every
// call fail with ERROR_BADDB. Each kind of failure is reported once per process on standard error.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace winapi::registry {

using KeyId = std::int64_t;

// The two roots; every other key has a root above it.
inline constexpr KeyId kLocalMachine = 1;
inline constexpr KeyId kCurrentUser = 2;

// Windows' limits, in characters. Key names are documented as 255 long; Windows creates 256.
inline constexpr std::size_t kMaxKeyNameLength = 256;
inline constexpr std::size_t kMaxValueNameLength = 16383;

struct KeyRef {
    KeyId id = 0;
    bool isVolatile = false;
};

struct KeyInfo {
    KeyId id = 0;
    std::string name;
    std::string className;
    FILETIME lastWrite{};
};

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

// What RegQueryInfoKeyA reports. Data sizes of string values count as the UTF-16 text Windows
// stores for them, so buffers sized from them are large enough on both systems.
struct KeyStatistics {
    DWORD subkeys = 0;
    DWORD maxSubkeyName = 0;
    DWORD maxClassName = 0;
    DWORD values = 0;
    DWORD maxValueName = 0;
    DWORD maxValueData = 0;
};

class Store;

// The operations on the tree; only valid inside Store::read and Store::write. Database failures
// are thrown to the Store, which rolls the transaction back and returns the error code.
class Transaction {
public:
    std::optional<KeyRef> find(KeyId key);
    std::optional<KeyRef> child(KeyId parent, std::string_view name);
    KeyId createChild(KeyId parent, std::string_view name, std::string_view className,
                      bool isVolatile);
    std::optional<KeyInfo> info(KeyId key);
    // Subkeys in Windows' order: by name, compared in upper case.
    std::optional<KeyInfo> childAt(KeyId parent, DWORD index);
    std::vector<KeyInfo> children(KeyId parent);
    bool hasChildren(KeyId key);
    KeyStatistics statistics(KeyId key);
    // Deletes a key without subkeys, with its values.
    void deleteKey(KeyId key);
    // Deletes a key with everything below it.
    void deleteTree(KeyId key);

    std::optional<Value> value(KeyId key, std::string_view name);
    // Replaces the type and data of an existing value (which keeps its name and position) or
    // appends a new one.
    void setValue(KeyId key, std::string_view name, DWORD type, std::string_view data);
    bool deleteValue(KeyId key, std::string_view name);
    // Values in creation order.
    std::optional<Value> valueAt(KeyId key, DWORD index);
    std::vector<Value> values(KeyId key);

private:
    friend class Store;
    explicit Transaction(Store& store) : store_(store) {}
    void touch(KeyId key);

    Store& store_;
};

class Store {
public:
    // The database at `path`, opened on first use.
    explicit Store(std::string path);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // The registry of this process's prefix.
    static Store& forProcess();

    // Runs `work` in one transaction. Returns what `work` returned (the transaction is committed
    // only when that is ERROR_SUCCESS), or the error code of a database failure.
    LONG read(const std::function<LONG(Transaction&)>& work);
    LONG write(const std::function<LONG(Transaction&)>& work);

    // Makes every committed change durable on disk (RegFlushKey).
    LONG flush();

    const std::string& path() const { return path_; }

private:
    friend class Transaction;
    friend class Statement;

    LONG run(bool writing, const std::function<LONG(Transaction&)>& work);
    void open();
    void forget();
    sqlite3_stmt* prepare(const char* sql);
    void exec(const char* sql);
    LONG fail(int code, const std::string& detail);

    std::string path_;
    std::mutex mutex_;
    sqlite3* db_ = nullptr;
    long pid_ = 0;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
    unsigned reported_ = 0;
};

// HKEY_CLASSES_ROOT: HKEY_LOCAL_MACHINE\Software\Classes, looked up (or created) in the tree.
std::optional<KeyRef> findClassesRoot(Transaction& tx);
KeyRef createClassesRoot(Transaction& tx);

// Windows' "last write time": now, as a FILETIME.
FILETIME currentFileTime();

// The key under which names are compared and sorted: the name in upper case (Windows-1252 case
// folding), as UTF-8, whose byte order is the order of the UTF-16 text Windows compares.
std::string foldName(std::string_view name);

}  // namespace winapi::registry
