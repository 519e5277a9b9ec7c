// The registry's SQLite database.
//
// Durability: the database runs in WAL mode with synchronous=NORMAL. A committed transaction is in
// the WAL file (written with write(2)) before the registry call returns, so it survives a kill -9
// of the writer: the kernel keeps the written pages. What NORMAL leaves open is a power failure or
// kernel crash before the next checkpoint, which is what Windows leaves open too (it writes hives
// lazily); RegFlushKey closes that gap with a checkpoint, which syncs the WAL and the database.
// synchronous=FULL would fsync on every RegSetValueExA, a cost Windows programs do not expect.
#include "regstore.h"

#include "cp1252.h"
#include "prefix.h"

#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <new>

namespace winapi::registry {
namespace {

constexpr int kDefaultBusyMilliseconds = 5000;
constexpr int kSchemaVersion = 1;

// A database failure inside a transaction; carries the SQLite result code.
struct DatabaseFailure {
    int code;
    std::string detail;
};

int busyMilliseconds() {
    if (const char* text = std::getenv("LUMORA_REGISTRY_BUSY_MS"); text && *text) {
        char* end = nullptr;
        long value = std::strtol(text, &end, 10);
        if (end && !*end && value >= 0 && value <= 600000) return static_cast<int>(value);
    }
    return kDefaultBusyMilliseconds;
}

// Upper case of Windows-1252 letters, derived from the lower-case folding of cp1252.h so that the
// two always agree on which letters pair up.
const std::array<unsigned char, 256>& upperTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
        for (int c = 0; c < 256; ++c) {
            const auto lower = static_cast<unsigned char>(cp1252Lower(static_cast<char>(c)));
            if (lower != c) t[lower] = static_cast<unsigned char>(c);
        }
        return t;
    }();
    return table;
}

enum Report : unsigned { kReportDamaged = 1, kReportBusy = 2, kReportOther = 4 };

LONG toWin32(int code) {
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT: return ERROR_BADDB;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_NOMEM: return ERROR_OUTOFMEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
    default: return ERROR_REGISTRY_IO_FAILED;
    }
}

}  // namespace

// A prepared statement of the store's cache, bound and stepped; reset when it goes out of scope.
class Statement {
public:
    Statement(Store& store, const char* sql) : stmt_(store.prepare(sql)) {}
    ~Statement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(std::int64_t value) {
        check(sqlite3_bind_int64(stmt_, ++index_, value));
        return *this;
    }
    // Names go into the database as UTF-8 text, readable with any SQLite tool.
    Statement& bindName(std::string_view name) {
        std::string text = cp1252ToUtf8(name);
        check(sqlite3_bind_text(stmt_, ++index_, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bindText(const std::string& utf8) {
        check(sqlite3_bind_text(stmt_, ++index_, utf8.data(), static_cast<int>(utf8.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    // Data keeps its bytes; an empty blob still needs a non-null pointer to stay a blob.
    Statement& bindBlob(std::string_view data) {
        check(sqlite3_bind_blob(stmt_, ++index_, data.empty() ? "" : data.data(),
                                static_cast<int>(data.size()), SQLITE_TRANSIENT));
        return *this;
    }

    // True when a row is there.
    bool step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw DatabaseFailure{rc, sqlite3_errmsg(sqlite3_db_handle(stmt_))};
    }
    void run() {
        while (step()) {
        }
    }

    std::int64_t integer(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string name(int column) {
        const auto* text = sqlite3_column_text(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return text ? utf8ToCp1252(std::string_view(reinterpret_cast<const char*>(text),
                                                    static_cast<size_t>(size)))
                    : std::string();
    }
    std::string blob(int column) {
        const void* data = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                    : std::string();
    }

private:
    void check(int rc) {
        if (rc != SQLITE_OK) throw DatabaseFailure{rc, sqlite3_errstr(rc)};
    }

    sqlite3_stmt* stmt_;
    int index_ = 0;
};

FILETIME currentFileTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    // 100-nanosecond intervals since 1601-01-01.
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.tv_sec) + 11644473600ULL) * 10000000ULL +
                                static_cast<std::uint64_t>(now.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

namespace {

std::int64_t nowTicks() {
    FILETIME t = currentFileTime();
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                     t.dwLowDateTime);
}

FILETIME toFileTime(std::int64_t ticks) {
    const auto u = static_cast<std::uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(u), static_cast<DWORD>(u >> 32)};
}

}  // namespace

std::string foldName(std::string_view name) {
    const auto& upper = upperTable();
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(upper[static_cast<unsigned char>(c)]);
    return cp1252ToUtf8(folded);
}

// ---------------------------------------------------------------------------------------------
// Transaction

std::optional<KeyRef> Transaction::find(KeyId key) {
    Statement s(store_, "SELECT volatile FROM keys WHERE id = ?");
    s.bind(key);
    if (!s.step()) return std::nullopt;
    return KeyRef{key, s.integer(0) != 0};
}

std::optional<KeyRef> Transaction::child(KeyId parent, std::string_view name) {
    Statement s(store_, "SELECT id, volatile FROM keys WHERE parent = ? AND fold = ?");
    s.bind(parent).bindText(foldName(name));
    if (!s.step()) return std::nullopt;
    return KeyRef{s.integer(0), s.integer(1) != 0};
}

KeyId Transaction::createChild(KeyId parent, std::string_view name, std::string_view className,
                               bool isVolatile) {
    Statement s(store_,
                "INSERT INTO keys (parent, name, fold, class, volatile, modified) "
                "VALUES (?, ?, ?, ?, ?, ?)");
    s.bind(parent).bindName(name).bindText(foldName(name)).bindName(className);
    s.bind(isVolatile ? 1 : 0).bind(nowTicks());
    s.run();
    const KeyId id = sqlite3_last_insert_rowid(store_.db_);
    touch(parent);
    return id;
}

std::optional<KeyInfo> Transaction::info(KeyId key) {
    Statement s(store_, "SELECT name, class, modified FROM keys WHERE id = ?");
    s.bind(key);
    if (!s.step()) return std::nullopt;
    return KeyInfo{key, s.name(0), s.name(1), toFileTime(s.integer(2))};
}

std::optional<KeyInfo> Transaction::childAt(KeyId parent, DWORD index) {
    Statement s(store_,
                "SELECT id, name, class, modified FROM keys WHERE parent = ? "
                "ORDER BY fold LIMIT 1 OFFSET ?");
    s.bind(parent).bind(index);
    if (!s.step()) return std::nullopt;
    return KeyInfo{s.integer(0), s.name(1), s.name(2), toFileTime(s.integer(3))};
}

std::vector<KeyInfo> Transaction::children(KeyId parent) {
    Statement s(store_,
                "SELECT id, name, class, modified FROM keys WHERE parent = ? ORDER BY fold");
    s.bind(parent);
    std::vector<KeyInfo> result;
    while (s.step()) result.push_back({s.integer(0), s.name(1), s.name(2), toFileTime(s.integer(3))});
    return result;
}

bool Transaction::hasChildren(KeyId key) {
    Statement s(store_, "SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
    s.bind(key);
    return s.step();
}

KeyStatistics Transaction::statistics(KeyId key) {
    KeyStatistics stats;
    {
        Statement s(store_,
                    "SELECT COUNT(*), COALESCE(MAX(length(name)), 0), "
                    "COALESCE(MAX(length(class)), 0) FROM keys WHERE parent = ?");
        s.bind(key);
        s.step();
        stats.subkeys = static_cast<DWORD>(s.integer(0));
        stats.maxSubkeyName = static_cast<DWORD>(s.integer(1));
        stats.maxClassName = static_cast<DWORD>(s.integer(2));
    }
    Statement s(store_,
                "SELECT COUNT(*), COALESCE(MAX(length(name)), 0), "
                "COALESCE(MAX(CASE WHEN type IN (1, 2, 7) THEN 2 * length(data) "
                "ELSE length(data) END), 0) FROM vals WHERE key = ?");
    s.bind(key);
    s.step();
    stats.values = static_cast<DWORD>(s.integer(0));
    stats.maxValueName = static_cast<DWORD>(s.integer(1));
    stats.maxValueData = static_cast<DWORD>(s.integer(2));
    return stats;
}

void Transaction::deleteKey(KeyId key) {
    std::optional<std::int64_t> parent;
    {
        Statement s(store_, "SELECT parent FROM keys WHERE id = ?");
        s.bind(key);
        if (s.step()) parent = s.integer(0);
    }
    Statement(store_, "DELETE FROM vals WHERE key = ?").bind(key).run();
    Statement(store_, "DELETE FROM keys WHERE id = ?").bind(key).run();
    if (parent) touch(*parent);
}

void Transaction::deleteTree(KeyId key) {
    std::optional<std::int64_t> parent;
    {
        Statement s(store_, "SELECT parent FROM keys WHERE id = ?");
        s.bind(key);
        if (s.step()) parent = s.integer(0);
    }
    Statement(store_,
              "WITH RECURSIVE tree(id) AS (SELECT ? UNION ALL "
              "SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) "
              "DELETE FROM vals WHERE key IN tree")
        .bind(key)
        .run();
    Statement(store_,
              "WITH RECURSIVE tree(id) AS (SELECT ? UNION ALL "
              "SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) "
              "DELETE FROM keys WHERE id IN tree")
        .bind(key)
        .run();
    if (parent) touch(*parent);
}

std::optional<Value> Transaction::value(KeyId key, std::string_view name) {
    Statement s(store_, "SELECT name, type, data FROM vals WHERE key = ? AND fold = ?");
    s.bind(key).bindText(foldName(name));
    if (!s.step()) return std::nullopt;
    return Value{s.name(0), static_cast<DWORD>(s.integer(1)), s.blob(2)};
}

void Transaction::setValue(KeyId key, std::string_view name, DWORD type, std::string_view data) {
    const std::string fold = foldName(name);
    Statement update(store_, "UPDATE vals SET type = ?, data = ? WHERE key = ? AND fold = ?");
    update.bind(type).bindBlob(data).bind(key).bindText(fold);
    update.run();
    if (sqlite3_changes(store_.db_) == 0) {
        Statement insert(store_,
                         "INSERT INTO vals (key, seq, name, fold, type, data) VALUES "
                         "(?, (SELECT COALESCE(MAX(seq), 0) + 1 FROM vals WHERE key = ?), "
                         "?, ?, ?, ?)");
        insert.bind(key).bind(key).bindName(name).bindText(fold).bind(type).bindBlob(data);
        insert.run();
    }
    touch(key);
}

bool Transaction::deleteValue(KeyId key, std::string_view name) {
    Statement s(store_, "DELETE FROM vals WHERE key = ? AND fold = ?");
    s.bind(key).bindText(foldName(name));
    s.run();
    if (sqlite3_changes(store_.db_) == 0) return false;
    touch(key);
    return true;
}

std::optional<Value> Transaction::valueAt(KeyId key, DWORD index) {
    Statement s(store_,
                "SELECT name, type, data FROM vals WHERE key = ? ORDER BY seq LIMIT 1 OFFSET ?");
    s.bind(key).bind(index);
    if (!s.step()) return std::nullopt;
    return Value{s.name(0), static_cast<DWORD>(s.integer(1)), s.blob(2)};
}

std::vector<Value> Transaction::values(KeyId key) {
    Statement s(store_, "SELECT name, type, data FROM vals WHERE key = ? ORDER BY seq");
    s.bind(key);
    std::vector<Value> result;
    while (s.step()) result.push_back({s.name(0), static_cast<DWORD>(s.integer(1)), s.blob(2)});
    return result;
}

void Transaction::touch(KeyId key) {
    Statement(store_, "UPDATE keys SET modified = ? WHERE id = ?").bind(nowTicks()).bind(key).run();
}

std::optional<KeyRef> findClassesRoot(Transaction& tx) {
    auto software = tx.child(kLocalMachine, "Software");
    return software ? tx.child(software->id, "Classes") : std::nullopt;
}

KeyRef createClassesRoot(Transaction& tx) {
    if (auto classes = findClassesRoot(tx)) return *classes;
    auto software = tx.child(kLocalMachine, "Software");
    const KeyId parent = software ? software->id : tx.createChild(kLocalMachine, "Software", "", false);
    return KeyRef{tx.createChild(parent, "Classes", "", false), false};
}

// ---------------------------------------------------------------------------------------------
// Store

Store::Store(std::string path) : path_(std::move(path)) {}

Store::~Store() {
    if (db_ && pid_ == static_cast<long>(::getpid())) {
        for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
        sqlite3_close(db_);
    }
}

Store& Store::forProcess() {
    // Never destroyed: registry calls from other static destructors stay safe.
    static Store* store = new Store(prefixFile("registry.db"));
    return *store;
}

void Store::forget() {
    // A connection inherited through fork() belongs to the parent: SQLite must not be used or
    // closed in the child (closing could checkpoint or remove files under the parent's feet), so
    // the child leaves it alone and opens its own.
    db_ = nullptr;
    statements_.clear();
}

void Store::exec(const char* sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string detail = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw DatabaseFailure{rc, detail};
    }
}

sqlite3_stmt* Store::prepare(const char* sql) {
    auto it = statements_.find(sql);
    if (it != statements_.end()) return it->second;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) throw DatabaseFailure{rc, sqlite3_errmsg(db_)};
    statements_.emplace(sql, stmt);
    return stmt;
}

void Store::open() {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path_.c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        std::string detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw DatabaseFailure{rc, detail};
    }
    db_ = db;
    pid_ = static_cast<long>(::getpid());
    try {
        sqlite3_busy_timeout(db_, busyMilliseconds());
        {
            Statement mode(*this, "PRAGMA journal_mode = WAL");
            if (!mode.step() || mode.blob(0) != "wal")
                throw DatabaseFailure{SQLITE_CANTOPEN, "the database cannot use a write-ahead log"};
        }
        exec("PRAGMA synchronous = NORMAL");
        auto schemaVersion = [this] {
            Statement s(*this, "PRAGMA user_version");
            return s.step() ? static_cast<int>(s.integer(0)) : 0;
        };
        // Only a new database needs the write lock, which another process may be holding.
        int version = schemaVersion();
        if (version == 0) {
            exec("BEGIN IMMEDIATE");
            version = schemaVersion();
        }
        if (version == 0) {
            // A new registry: the two roots and HKEY_CLASSES_ROOT's home, as on every Windows.
            exec("CREATE TABLE keys ("
                 " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                 " parent INTEGER NOT NULL,"
                 " name TEXT NOT NULL,"
                 " fold TEXT NOT NULL,"
                 " class TEXT NOT NULL DEFAULT '',"
                 " volatile INTEGER NOT NULL DEFAULT 0,"
                 " modified INTEGER NOT NULL);"
                 "CREATE UNIQUE INDEX keys_by_name ON keys (parent, fold);"
                 "CREATE TABLE vals ("
                 " key INTEGER NOT NULL,"
                 " seq INTEGER NOT NULL,"
                 " name TEXT NOT NULL,"
                 " fold TEXT NOT NULL,"
                 " type INTEGER NOT NULL,"
                 " data BLOB NOT NULL,"
                 " PRIMARY KEY (key, fold)) WITHOUT ROWID;"
                 "CREATE INDEX vals_in_order ON vals (key, seq);");
            Statement roots(*this,
                            "INSERT INTO keys (id, parent, name, fold, modified) VALUES "
                            "(1, 0, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE', ?1), "
                            "(2, 0, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER', ?1)");
            roots.bind(nowTicks());
            roots.run();
            Transaction tx(*this);
            createClassesRoot(tx);
            exec("PRAGMA user_version = 1");
        } else if (version != kSchemaVersion) {
            throw DatabaseFailure{SQLITE_FORMAT, "unknown registry schema version " +
                                                     std::to_string(version)};
        }
        if (!sqlite3_get_autocommit(db_)) exec("COMMIT");
    } catch (...) {
        for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
        statements_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

LONG Store::fail(int code, const std::string& detail) {
    const LONG error = toWin32(code);
    unsigned kind = error == ERROR_BADDB ? kReportDamaged
                    : error == ERROR_BUSY ? kReportBusy
                                          : kReportOther;
    if (!(reported_ & kind)) {
        reported_ |= kind;
        if (kind == kReportDamaged)
            std::fprintf(stderr,
                         "winapi: the registry database %s is damaged (%s); registry calls fail "
                         "with ERROR_BADDB until it is repaired or removed\n",
                         path_.c_str(), detail.c_str());
        else if (kind == kReportBusy)
            std::fprintf(stderr,
                         "winapi: the registry database %s stayed locked by another process for "
                         "%d ms; the registry call failed with ERROR_BUSY\n",
                         path_.c_str(), busyMilliseconds());
        else
            std::fprintf(stderr, "winapi: the registry database %s failed: %s (error %ld)\n",
                         path_.c_str(), detail.c_str(), static_cast<long>(error));
    }
    return error;
}

LONG Store::run(bool writing, const std::function<LONG(Transaction&)>& work) {
    std::lock_guard lock(mutex_);
    try {
        if (db_ && pid_ != static_cast<long>(::getpid())) forget();
        if (!db_) open();
        Statement(*this, writing ? "BEGIN IMMEDIATE" : "BEGIN").run();
        LONG result;
        try {
            Transaction tx(*this);
            result = work(tx);
        } catch (...) {
            if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        if (result == ERROR_SUCCESS) {
            Statement commit(*this, "COMMIT");
            try {
                commit.run();
            } catch (...) {
                if (!sqlite3_get_autocommit(db_))
                    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
        } else {
            Statement(*this, "ROLLBACK").run();
        }
        return result;
    } catch (const DatabaseFailure& failure) {
        return fail(failure.code, failure.detail);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::exception&) {
        return ERROR_GEN_FAILURE;
    }
}

LONG Store::read(const std::function<LONG(Transaction&)>& work) { return run(false, work); }

LONG Store::write(const std::function<LONG(Transaction&)>& work) { return run(true, work); }

LONG Store::flush() {
    std::lock_guard lock(mutex_);
    try {
        if (db_ && pid_ != static_cast<long>(::getpid())) forget();
        if (!db_) open();
        int rc = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        // Busy means another connection is checkpointing right now, which syncs the same WAL.
        if (rc != SQLITE_OK && rc != SQLITE_BUSY) throw DatabaseFailure{rc, sqlite3_errmsg(db_)};
        return ERROR_SUCCESS;
    } catch (const DatabaseFailure& failure) {
        return fail(failure.code, failure.detail);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace winapi::registry
