#include "gemdb/sqlite_connection.h"

#include <sqlite3.h>

#include <time.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace kest {

namespace {

// A busy database (another process holding the write lock) is waited for this long before the
// usual error. Short, because the control's single thread waits with it: in WAL mode readers
// never wait for a writer, so only a write that meets another process's write transaction (or
// a checkpoint) waits, and a second-long stall would hold up every host message.
constexpr int kBusyTimeoutMs = 200;

// How long a log restart waits for the readers of the log.
constexpr std::chrono::milliseconds kLogRestartWait{20};

// Kept reads beyond this many (keys are host-chosen names) are dropped all at once.
constexpr std::size_t kMaxCachedResults = 20000;

[[noreturn]] void ThrowOpenError(sqlite3* db, int code, const std::filesystem::path& path) {
    int extended = db != nullptr ? sqlite3_extended_errcode(db) : code;
    std::string text = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    sqlite3_close_v2(db);
    throw KestException(extended, text + ": " + path.string());
}

// Before SQLite's first use in the process: no bulk allocation of 20 pages for every new page
// cache. Each RETURNING clause and temporary table opens one, and a block that large goes back
// to the system when freed, so every statement with one paid page faults and a TLB flush.
// Where the process has used SQLite already the call is refused and changes nothing.
bool ConfigureSqlite() {
    return sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0) == SQLITE_OK;
}

int OpenFlags(SqliteOpenMode mode) {
    // One thread uses a connection, so SQLite's own mutexes are not needed.
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
        case SqliteOpenMode::ReadWrite:
            return flags | SQLITE_OPEN_READWRITE;
        case SqliteOpenMode::ReadOnly:
            return flags | SQLITE_OPEN_READONLY;
        case SqliteOpenMode::Create:
            return flags | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    return flags;
}

}  // namespace

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::filesystem::path& path,
                                                         SqliteOpenMode mode) {
    static const bool configured = ConfigureSqlite();
    (void)configured;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, OpenFlags(mode), nullptr);
    if (rc != SQLITE_OK) ThrowOpenError(db, rc, path);
    sqlite3_extended_result_codes(db, 1);
    std::unique_ptr<SqliteConnection> connection(new SqliteConnection(db));
    connection->WaitWhenBusy(std::chrono::milliseconds(kBusyTimeoutMs));
    // Reports, while each statement is compiled, the tables it reads and writes (result cache).
    sqlite3_set_authorizer(db, &SqliteConnection::Authorize, connection.get());
    // Durability: write-ahead log with synchronous=NORMAL. A commit returns only after its log
    // frames have been written to the file (handed to the operating system), so a committed
    // write survives a crash of the process, which is what the control must withstand; the
    // log is fsync'ed at checkpoints, so a power loss may lose the last commits but never
    // corrupts the file. synchronous=FULL would add an fsync to every commit (0.2 to 6 ms on
    // our machines), stalling the control's single thread on every state write. WAL also lets
    // the program-directory connection and kest-db read while the control writes. The first
    // query proves the file is a database (SQLite opens files lazily).
    try {
        if (mode == SqliteOpenMode::ReadWrite) {
            connection->Prepare("PRAGMA journal_mode=WAL").Run();
            connection->Prepare("PRAGMA synchronous=NORMAL").Run();
        }
        connection->Prepare("SELECT count(*) FROM sqlite_master").Run();
    } catch (const KestException& e) {
        throw KestException(e.Number(), std::string(e.what()) + ": " + path.string());
    }
    return connection;
}

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, cached] : cache_)
        sqlite3_finalize(cached.stmt);
    sqlite3_finalize(data_version_stmt_);
    sqlite3_close_v2(db_);
}

int SqliteConnection::Authorize(void* self, int action, const char* first, const char* second,
                                const char* /*database*/, const char* trigger) {
    auto* connection = static_cast<SqliteConnection*>(self);
    if (connection->compiling_ != nullptr) {
        connection->compiling_->Record(action, first, second, trigger);
        connection->recompiled_ = true;
    }
    return SQLITE_OK;
}

void SqliteConnection::Fail() const {
    throw KestException(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
}

sqlite3_stmt* SqliteConnection::Compile(std::string_view sql, StatementEffects& effects) {
    if (sql.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw KestException(SQLITE_TOOBIG, "SQL text too long");
    }
    sqlite3_stmt* stmt = nullptr;
    compiling_ = &effects;
    int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    compiling_ = nullptr;
    if (rc != SQLITE_OK) Fail();
    if (stmt == nullptr) throw KestException(SQLITE_MISUSE, "empty SQL text");
    return stmt;
}

StatementSlot& SqliteConnection::Slot(std::string_view sql, const RowUse* use) {
    auto found = cache_.find(sql);
    if (found == cache_.end()) {
        StatementEffects effects;
        sqlite3_stmt* stmt = Compile(sql, effects);
        found =
            cache_.emplace(std::string(sql), Cached{stmt, false, std::move(effects), {}, false, {}})
                .first;
        if (use != nullptr) {
            found->second.row = *use;
            for (char& c : found->second.row.table)
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        AddReader(found->second);
    }
    return found->second;
}

bool SqliteConnection::IsRowLookup(const Cached& slot, const std::string& table) const noexcept {
    bool lookup =
        slot.row.kind == RowUse::Kind::LookupByName || slot.row.kind == RowUse::Kind::LookupById;
    return lookup && slot.row.table == table && slot.effects.Cacheable() &&
           !slot.effects.triggers && slot.effects.reads.size() == 1 &&
           slot.effects.reads[0] == table && sqlite3_bind_parameter_count(slot.stmt) == 1;
}

bool SqliteConnection::IsRowWrite(const Cached& slot) const noexcept {
    return slot.row.kind == RowUse::Kind::WriteOne && !slot.effects.unknown &&
           !slot.effects.triggers && slot.effects.writes.size() == 1 &&
           slot.effects.writes[0] == slot.row.table && sqlite3_column_count(slot.stmt) == 2;
}

namespace {

// Whether the kept read of a row look-up bound to `params` may return the row named `name`
// with ID `id` (either absent when the row's value is not a text or an integer): anything
// that is not plainly another key counts as the same row.
bool SameRow(const std::string& params, bool by_name, const std::optional<std::string>& name,
             const std::optional<std::int64_t>& id) {
    // One binding, as SqliteStatement notes it: index, type, length, bytes.
    constexpr std::size_t kHead = sizeof(int) + 1 + sizeof(std::uint32_t);
    if (params.size() < kHead) return true;
    int index = 0;
    std::uint32_t size = 0;
    std::memcpy(&index, params.data(), sizeof index);
    char type = params[sizeof index];
    std::memcpy(&size, params.data() + sizeof index + 1, sizeof size);
    if (index != 1 || params.size() != kHead + size) return true;
    std::string_view bytes(params.data() + kHead, size);
    if (by_name) return type != 't' || !name || EqualsNoCase(bytes, *name);
    if (type != 'i' || !id || size != sizeof(std::int64_t)) return true;
    std::int64_t key = 0;
    std::memcpy(&key, bytes.data(), sizeof key);
    return key == *id;
}

}  // namespace

void SqliteConnection::DropRow(const std::string& table, sqlite3_stmt* returned) {
    auto found = readers_.find(table);
    if (found == readers_.end()) return;
    std::optional<std::string> name;
    std::optional<std::int64_t> id;
    if (sqlite3_column_type(returned, 0) == SQLITE_TEXT) {
        const unsigned char* text = sqlite3_column_text(returned, 0);
        name.emplace(reinterpret_cast<const char*>(text),
                     static_cast<std::size_t>(sqlite3_column_bytes(returned, 0)));
    }
    if (sqlite3_column_type(returned, 1) == SQLITE_INTEGER) id = sqlite3_column_int64(returned, 1);
    for (Cached* slot : found->second) {
        if (!IsRowLookup(*slot, table)) {
            result_count_ -= slot->results.size();
            slot->results.clear();
            continue;
        }
        bool by_name = slot->row.kind == RowUse::Kind::LookupByName;
        result_count_ -= std::erase_if(slot->results, [&](const auto& entry) {
            return SameRow(entry.first, by_name, name, id);
        });
    }
}

void SqliteConnection::AbandonRowWrite(Cached& slot) noexcept {
    slot.write_open = false;
    for (const std::string& table : slot.effects.writes)
        DropTable(table);
}

SqliteStatement SqliteConnection::Lend(Cached& cached) {
    if (cached.in_use) {
        StatementEffects same;  // the slot already holds them
        return SqliteStatement(*this, cached, Compile(sqlite3_sql(cached.stmt), same), true);
    }
    cached.in_use = true;
    return SqliteStatement(*this, cached, cached.stmt, false);
}

void SqliteConnection::AddReader(Cached& slot) {
    if (!slot.effects.Cacheable()) return;
    for (const std::string& table : slot.effects.reads)
        readers_[table].push_back(&slot);
}

void SqliteConnection::DropTable(const std::string& table) {
    auto found = readers_.find(table);
    if (found == readers_.end()) return;
    for (Cached* slot : found->second) {
        result_count_ -= slot->results.size();
        slot->results.clear();
    }
}

void SqliteConnection::DropAll() {
    if (result_count_ == 0) return;
    for (auto& [sql, slot] : cache_)
        slot.results.clear();
    result_count_ = 0;
}

int SqliteConnection::Step(sqlite3_stmt* stmt, Cached& slot) {
    StatementEffects recompiled;
    compiling_ = &recompiled;
    recompiled_ = false;
    int rc = sqlite3_step(stmt);
    compiling_ = nullptr;
    if (recompiled_) {
        // The schema changed and SQLite compiled the statement again: it may touch other
        // tables now, and what was kept may have been read through the old schema.
        for (auto& [table, slots] : readers_)
            std::erase(slots, &slot);
        slot.effects = std::move(recompiled);
        AddReader(slot);
        DropAll();
    }
    if (!recompiled_ && IsRowWrite(slot)) {
        // Every row it changed is returned, and every change is made by the first step.
        slot.write_open = rc == SQLITE_ROW;
        if (rc == SQLITE_ROW) DropRow(slot.row.table, stmt);
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) return rc;
        DropTable(slot.row.table);  // failed part-way
    } else if (slot.effects.unknown) {
        DropAll();
    } else {
        for (const std::string& table : slot.effects.writes)
            DropTable(table);
    }
    return rc;
}

void SqliteConnection::SetResultCache(ResultCache mode) {
    DropAll();
    mode_ = mode;
    check_each_read_ = false;
    if (mode_ != ResultCache::Off && !ReadDataVersion(data_version_)) check_each_read_ = true;
}

bool SqliteConnection::ReadDataVersion(std::int64_t& version) {
    if (data_version_stmt_ == nullptr) {
        StatementEffects ignored;
        data_version_stmt_ = Compile("PRAGMA data_version", ignored);
    }
    bool read = sqlite3_step(data_version_stmt_) == SQLITE_ROW;
    if (read) version = sqlite3_column_int64(data_version_stmt_, 0);
    sqlite3_reset(data_version_stmt_);
    return read;
}

std::shared_ptr<const CachedRows> SqliteConnection::FindResult(Cached& slot,
                                                               const std::string& params) {
    if (mode_ == ResultCache::Off) return nullptr;
    auto found = slot.results.find(params);
    if (found == slot.results.end()) return nullptr;
    if (mode_ == ResultCache::CheckEachRead || check_each_read_) {
        std::int64_t version = 0;
        if (!ReadDataVersion(version) || version != data_version_) {
            DropAll();
            data_version_ = version;
            return nullptr;
        }
    }
    return found->second;
}

void SqliteConnection::StoreResult(Cached& slot, std::string params,
                                   std::shared_ptr<const CachedRows> rows) {
    // Inside a transaction the rows may be rolled back.
    if (mode_ == ResultCache::Off || sqlite3_get_autocommit(db_) == 0) return;
    if (result_count_ >= kMaxCachedResults) DropAll();
    if (slot.results.insert_or_assign(std::move(params), std::move(rows)).second) ++result_count_;
}

bool SqliteConnection::NoticeExternalChange() {
    if (mode_ == ResultCache::Off) return false;
    // A writer appends its log frames (the file event) before it publishes the commit, so the
    // change may not be visible yet: taking the write lock waits for that writer to finish.
    bool settled = sqlite3_get_autocommit(db_) == 0;  // our own transaction holds the lock
    bool locked = false;
    if (!settled) {
        try {
            Prepare("BEGIN IMMEDIATE").Run();
            locked = settled = true;
        } catch (const KestException&) {
            // Busy past the timeout or read-only: check every read until a notice succeeds.
        }
    }
    std::int64_t version = 0;
    bool read = ReadDataVersion(version);
    if (locked) {
        try {
            Prepare("ROLLBACK").Run();
        } catch (const KestException&) {
            // Nothing was written; a failed rollback leaves no transaction behind.
        }
    }
    bool changed = !read || version != data_version_;
    if (changed) DropAll();
    if (read) data_version_ = version;
    check_each_read_ = !settled;
    return changed;
}

void SqliteConnection::WaitWhenBusy(std::chrono::milliseconds limit) {
    busy_limit_ = limit;
    sqlite3_busy_handler(db_, &SqliteConnection::OnBusy, this);
}

// SQLite's own wait sleeps a whole millisecond at the first refusal, while another
// connection's write transaction lasts some tens of microseconds: two processes writing in turn
// (a sender and a reader of a queue) then spend most of their time asleep. This one looks again
// after 10 us, doubling up to 1 ms, until the limit has passed.
int SqliteConnection::OnBusy(void* self, int attempts) {
    auto& connection = *static_cast<SqliteConnection*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (attempts == 0) connection.busy_since_ = now;
    if (now - connection.busy_since_ >= connection.busy_limit_) return 0;
    const long micros = 10L << std::min(attempts, 6);  // 10 us .. 640 us, then 1 ms
    const timespec pause{0, std::min(micros, 1000L) * 1000L};
    ::nanosleep(&pause, nullptr);
    return 1;
}

void SqliteConnection::RestartLogAfter(int frames) {
    restart_log_after_ = frames;
    next_log_restart_ = frames;
    sqlite3_wal_hook(db_, &SqliteConnection::OnCommit, this);
}

// SQLite's automatic checkpoint only copies the log into the database; the log starts over
// only when a writer finds it fully copied and no reader in it. Connections of two processes
// that write in turn never leave such a moment, so the log grows without end and every commit
// then checkpoints (two fsyncs). A RESTART checkpoint waits for the readers of the log to
// finish, so the next commit starts the log over. It waits briefly: a reader that holds its
// transaction must not stall the writer, which tries again a log's length later.
int SqliteConnection::OnCommit(void* self, sqlite3* db, const char* schema, int frames) {
    auto& connection = *static_cast<SqliteConnection*>(self);
    if (frames < connection.next_log_restart_) return SQLITE_OK;
    const auto limit = connection.busy_limit_;
    connection.busy_limit_ = std::min(limit, kLogRestartWait);
    const int rc =
        sqlite3_wal_checkpoint_v2(db, schema, SQLITE_CHECKPOINT_RESTART, nullptr, nullptr);
    connection.busy_limit_ = limit;
    connection.next_log_restart_ =
        rc == SQLITE_OK ? connection.restart_log_after_ : frames + connection.restart_log_after_;
    return SQLITE_OK;
}

void SqliteConnection::ExecuteScript(const std::string& sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    DropAll();  // a script may change any table, or the schema
    if (rc != SQLITE_OK) {
        std::string text = message != nullptr ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw KestException(sqlite3_extended_errcode(db_), text);
    }
}

int SqliteConnection::Changes() const noexcept {
    return sqlite3_changes(db_);
}

bool SqliteConnection::InTransaction() const noexcept {
    return sqlite3_get_autocommit(db_) == 0;
}

SqliteTransaction::SqliteTransaction(SqliteConnection& connection) : connection_(connection) {
    connection_.Prepare("BEGIN IMMEDIATE").Run();
}

SqliteTransaction::~SqliteTransaction() {
    if (!open_) return;
    try {
        connection_.Prepare("ROLLBACK").Run();
    } catch (const KestException&) {
        // A failed statement may already have rolled the transaction back; nothing is left.
    }
}

void SqliteTransaction::Commit() {
    connection_.Prepare("COMMIT").Run();
    open_ = false;
}

}  // namespace kest
