#include "queue/queue_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>

#include "base/error.h"
#include "gemdb/sqlite_connection.h"
#include "queue/queue_bell.h"

namespace kest {

namespace {

// Marks a file as a queue store ("KQUE"), so a store is never made inside another database.
constexpr std::int64_t kApplicationId = 0x4B515545;

// The layout of the tables, in "PRAGMA user_version". Messages are kept in one B-tree in the
// order they are received and IDs come from a one-row counter, so a send writes two pages and
// a receive one (a rowid table with an index and AUTOINCREMENT wrote three and two).
constexpr std::int64_t kLayout = 2;

constexpr const char* kMessageTable = R"sql(
CREATE TABLE IF NOT EXISTS message (
    queue TEXT NOT NULL,
    priority INTEGER NOT NULL,
    id INTEGER NOT NULL,
    label TEXT NOT NULL,
    body TEXT NOT NULL,
    sent INTEGER NOT NULL,
    PRIMARY KEY (queue, priority DESC, id)) WITHOUT ROWID;
)sql";

constexpr const char* kOtherTables = R"sql(
CREATE TABLE IF NOT EXISTS queue (name TEXT PRIMARY KEY) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS counter (last INTEGER NOT NULL);
INSERT INTO counter (last) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM counter);
CREATE TRIGGER IF NOT EXISTS message_sent AFTER INSERT ON message BEGIN
    UPDATE counter SET last = NEW.id WHERE last < NEW.id;
    INSERT OR IGNORE INTO queue (name) VALUES (NEW.queue);
END;
)sql";

// The first layout (a rowid table with an index and AUTOINCREMENT): its messages keep their IDs
// and the counter goes on from the highest ID it ever gave.
constexpr const char* kLeaveFirstLayout = R"sql(
CREATE TABLE counter (last INTEGER NOT NULL);
INSERT INTO counter (last) SELECT max(
    coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'message'), 0),
    coalesce((SELECT max(id) FROM message), 0));
ALTER TABLE message RENAME TO message_old;
)sql";

constexpr const char* kFinishFirstLayout = R"sql(
INSERT INTO message SELECT queue, priority, id, label, body, sent FROM message_old;
DROP TABLE message_old;
)sql";

constexpr const char* kColumns = "id, queue, label, priority, body, sent";

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

QueueMessage ReadMessage(const SqliteStatement& row) {
    QueueMessage message;
    message.ID = row.Int(0);
    message.Queue = row.Text(1);
    message.Label = row.Text(2);
    message.Priority = static_cast<std::int32_t>(row.Int(3));
    message.Body = row.Text(4);
    message.SentTime = row.Int(5);
    return message;
}

std::vector<QueueMessage> ReadAll(SqliteStatement& statement) {
    std::vector<QueueMessage> messages;
    while (statement.Step())
        messages.push_back(ReadMessage(statement));
    return messages;
}

std::int64_t ScalarInt(SqliteConnection& db, const char* sql) {
    SqliteStatement statement = db.Prepare(sql);
    return statement.Step() ? statement.Int(0) : 0;
}

}  // namespace

struct QueueStore::Impl {
    std::filesystem::path file;
    std::unique_ptr<SqliteConnection> db;
    std::unique_ptr<QueueBell> bell;

    // Runs `body`, naming the file in any database error it throws.
    template <typename Body>
    auto Guard(Body&& body) -> decltype(body()) {
        try {
            return body();
        } catch (const KestException& e) {
            throw KestException(e.Number(), file.string() + ": " + e.what(), e.Line());
        }
    }

    void Open(const QueueStoreOptions& options);
    void CheckIsQueueStore();
    void MakeTables();
};

void QueueStore::Impl::Open(const QueueStoreOptions& options) {
    std::error_code ec;
    if (!options.create && !std::filesystem::exists(file, ec)) {
        throw KestException(SQLITE_CANTOPEN, "no queue store (the file does not exist)");
    }
    db = SqliteConnection::Open(
        file, options.create ? SqliteOpenMode::Create : SqliteOpenMode::ReadWrite);
    CheckIsQueueStore();
    // Readers competing for the same queue each take the write lock for one short statement;
    // under load (several readers, a checkpoint) the wait can pass the GEM database's 200 ms,
    // and a refused receive would make the reader fail rather than wait its turn.
    db->WaitWhenBusy(std::chrono::milliseconds(2000));
    db->Prepare("PRAGMA journal_mode=WAL").Run();
    db->Prepare("PRAGMA synchronous=NORMAL").Run();
    db->RestartLogAfter(1000);
    const std::int64_t page_size = std::max<std::int64_t>(ScalarInt(*db, "PRAGMA page_size"), 512);
    const std::int64_t pages = std::max<std::int64_t>(options.max_file_bytes / page_size, 1);
    db->Prepare("PRAGMA max_page_count=" + std::to_string(pages)).Run();
    if (ScalarInt(*db, "PRAGMA user_version") != kLayout) MakeTables();
}

// In one transaction, so two processes opening a new file at once make the tables once.
void QueueStore::Impl::MakeTables() {
    SqliteTransaction transaction(*db);
    const std::int64_t layout = ScalarInt(*db, "PRAGMA user_version");
    if (layout == kLayout) return;
    if (layout > kLayout) {
        throw KestException(SQLITE_NOTADB, "a queue store of a later version (layout " +
                                               std::to_string(layout) + ")");
    }
    const bool first_layout =
        ScalarInt(*db, "SELECT count(*) FROM sqlite_master WHERE name = 'message'") != 0;
    if (first_layout) db->ExecuteScript(kLeaveFirstLayout);
    db->ExecuteScript(std::string(kMessageTable) + kOtherTables);
    if (first_layout) db->ExecuteScript(kFinishFirstLayout);
    db->Prepare("PRAGMA application_id=" + std::to_string(kApplicationId)).Run();
    db->Prepare("PRAGMA user_version=" + std::to_string(kLayout)).Run();
    transaction.Commit();
}

// A database of something else (the GEM database named by mistake) is refused untouched.
void QueueStore::Impl::CheckIsQueueStore() {
    const std::int64_t id = ScalarInt(*db, "PRAGMA application_id");
    if (id == kApplicationId) return;
    if (id == 0 && ScalarInt(*db, "SELECT count(*) FROM sqlite_master") == 0) return;
    throw KestException(SQLITE_NOTADB, "not a queue store (a database of another kind)");
}

std::filesystem::path QueueStore::PathIn(const std::filesystem::path& directory) {
    return directory / kFileName;
}

QueueStore::QueueStore(const std::filesystem::path& file, QueueStoreOptions options)
    : impl_(std::make_unique<Impl>()) {
    impl_->file = file;
    impl_->Guard([&] { impl_->Open(options); });
    impl_->bell = std::make_unique<QueueBell>(file);
}

QueueStore::~QueueStore() = default;
QueueStore::QueueStore(QueueStore&&) noexcept = default;
QueueStore& QueueStore::operator=(QueueStore&&) noexcept = default;

const std::filesystem::path& QueueStore::File() const noexcept {
    return impl_->file;
}

std::int64_t QueueStore::Send(std::string_view queue, std::string_view label, std::int32_t priority,
                              std::string_view body) {
    return impl_->Guard([&] {
        // One statement (its trigger moves the counter and lists the queue): it takes the write
        // lock before it reads the counter, and needs no statement journal, which a statement
        // inside BEGIN ... COMMIT would allocate for every send.
        SqliteStatement insert = impl_->db->Prepare(
            "INSERT INTO message (queue, priority, id, label, body, sent) "
            "SELECT ?1, ?2, last + 1, ?3, ?4, ?5 FROM counter RETURNING id");
        insert.BindText(1, queue).BindInt(2, priority).BindText(3, label).BindText(4, body);
        insert.BindInt(5, NowMs());
        if (!insert.Step()) throw KestException(SQLITE_CORRUPT, "the message counter is missing");
        const std::int64_t id = insert.Int(0);
        while (insert.Step()) {
        }
        impl_->bell->Ring();  // committed: the statement has finished
        return id;
    });
}

std::optional<QueueMessage> QueueStore::Receive(std::string_view queue) {
    std::vector<QueueMessage> first = ReceiveUpTo(queue, 1);
    if (first.empty()) return std::nullopt;
    return std::move(first.front());
}

std::vector<QueueMessage> QueueStore::ReceiveUpTo(std::string_view queue, std::int64_t limit) {
    return impl_->Guard([&] {
        // One statement: it takes the write lock before it picks the rows, so two readers
        // never pick the same one. A single message is picked by equality, which needs no
        // temporary table (each costs a page cache allocated and freed).
        static const std::string one =
            std::string(
                "DELETE FROM message WHERE queue = ?1 AND (priority, id) = ("
                "SELECT priority, id FROM message WHERE queue = ?1 "
                "ORDER BY priority DESC, id LIMIT 1) RETURNING ") +
            kColumns;
        static const std::string many =
            std::string(
                "DELETE FROM message WHERE queue = ?1 AND (priority, id) IN ("
                "SELECT priority, id FROM message WHERE queue = ?1 "
                "ORDER BY priority DESC, id LIMIT ?2) RETURNING ") +
            kColumns;
        SqliteStatement take = impl_->db->Prepare(limit == 1 ? one : many);
        take.BindText(1, queue);
        if (limit != 1) take.BindInt(2, std::max<std::int64_t>(limit, 0));
        std::vector<QueueMessage> taken = ReadAll(take);
        // RETURNING gives the rows in no promised order.
        std::sort(taken.begin(), taken.end(), [](const QueueMessage& a, const QueueMessage& b) {
            return a.Priority != b.Priority ? a.Priority > b.Priority : a.ID < b.ID;
        });
        return taken;
    });
}

std::vector<QueueMessage> QueueStore::ReceiveUpTo(std::string_view queue, std::int64_t limit,
                                                  std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // The watch starts before the first look, so a message sent in between wakes the wait.
        impl_->bell->Arm();
        if (limit > 0) {
            try {
                std::vector<QueueMessage> taken = ReceiveUpTo(queue, limit);
                if (!taken.empty()) return taken;
            } catch (const KestException& e) {
                // Other readers held the lock for the whole busy timeout: wait on, until ours.
                if ((e.Number() & 0xff) != SQLITE_BUSY ||
                    std::chrono::steady_clock::now() >= deadline)
                    throw;
                continue;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return {};
        WaitForChange(left);
    }
}

std::optional<QueueMessage> QueueStore::Receive(std::string_view queue,
                                                std::chrono::milliseconds timeout) {
    std::vector<QueueMessage> first = ReceiveUpTo(queue, 1, timeout);
    if (first.empty()) return std::nullopt;
    return std::move(first.front());
}

std::optional<QueueMessage> QueueStore::Peek(std::string_view queue) {
    std::vector<QueueMessage> first = PeekAll(queue, 1);
    if (first.empty()) return std::nullopt;
    return std::move(first.front());
}

std::vector<QueueMessage> QueueStore::PeekAll(std::string_view queue, std::int64_t limit) {
    return impl_->Guard([&] {
        SqliteStatement peek =
            impl_->db->Prepare(std::string("SELECT ") + kColumns +
                               " FROM message WHERE queue = ? ORDER BY priority DESC, id LIMIT ?");
        peek.BindText(1, queue).BindInt(2, std::max<std::int64_t>(limit, 0));
        return ReadAll(peek);
    });
}

std::vector<QueueMessage> QueueStore::SentAfter(std::string_view queue, std::int64_t after) {
    return impl_->Guard([&] {
        SqliteStatement since =
            impl_->db->Prepare(std::string("SELECT ") + kColumns +
                               " FROM message WHERE queue = ? AND id > ? ORDER BY id");
        since.BindText(1, queue).BindInt(2, after);
        return ReadAll(since);
    });
}

std::int64_t QueueStore::Count(std::string_view queue) {
    return impl_->Guard([&] {
        SqliteStatement count = impl_->db->Prepare("SELECT count(*) FROM message WHERE queue = ?");
        count.BindText(1, queue);
        return count.Step() ? count.Int(0) : 0;
    });
}

std::vector<QueueCount> QueueStore::Queues() {
    return impl_->Guard([&] {
        SqliteStatement list = impl_->db->Prepare(
            "SELECT q.name, (SELECT count(*) FROM message m WHERE m.queue = q.name) "
            "FROM queue q ORDER BY q.name");
        std::vector<QueueCount> queues;
        while (list.Step())
            queues.push_back({list.Text(0), list.Int(1)});
        return queues;
    });
}

std::int64_t QueueStore::Purge(std::string_view queue) {
    return impl_->Guard([&] {
        impl_->db->Prepare("DELETE FROM message WHERE queue = ?").BindText(1, queue).Run();
        const auto removed = static_cast<std::int64_t>(impl_->db->Changes());
        impl_->bell->Ring();
        return removed;
    });
}

bool QueueStore::WaitForChange(std::chrono::milliseconds timeout) {
    return impl_->bell->Wait(timeout);
}

std::string QueueNameOfPath(std::string_view path) {
    constexpr std::string_view kPrefix = ".\\private$\\";
    if (path.size() < kPrefix.size()) return std::string(path);
    for (std::size_t i = 0; i < kPrefix.size(); ++i) {
        const char c = path[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kPrefix[i]) return std::string(path);
    }
    return std::string(path.substr(kPrefix.size()));
}

}  // namespace kest
