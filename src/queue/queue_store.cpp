#include "queue/queue_store.h"

#include <poll.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <unordered_set>

#include "base/error.h"
#include "gemdb/database_change_watch.h"
#include "gemdb/sqlite_connection.h"

namespace kest {

namespace {

// Marks a file as a queue store ("KQUE"), so a store is never made inside another database.
constexpr std::int64_t kApplicationId = 0x4B515545;

// Where file events are not delivered (inotify refused), a waiting receive looks this often.
constexpr std::chrono::milliseconds kFallbackCheck{100};

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS queue (name TEXT PRIMARY KEY) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS message (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    queue TEXT NOT NULL,
    label TEXT NOT NULL,
    priority INTEGER NOT NULL,
    body TEXT NOT NULL,
    sent INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS message_order ON message (queue, priority DESC, id);
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
    std::unordered_set<std::string> known_queues;  // queues this connection has registered
    std::unique_ptr<DatabaseChangeWatch> watch;
    bool watch_refused = false;

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
    void RegisterQueue(std::string_view queue);
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
    db->Prepare("PRAGMA busy_timeout=2000").Run();
    db->Prepare("PRAGMA journal_mode=WAL").Run();
    db->Prepare("PRAGMA synchronous=NORMAL").Run();
    const std::int64_t page_size = std::max<std::int64_t>(ScalarInt(*db, "PRAGMA page_size"), 512);
    const std::int64_t pages = std::max<std::int64_t>(options.max_file_bytes / page_size, 1);
    db->Prepare("PRAGMA max_page_count=" + std::to_string(pages)).Run();
    if (ScalarInt(*db, "PRAGMA application_id") == 0) {
        db->Prepare("PRAGMA application_id=" + std::to_string(kApplicationId)).Run();
    }
    db->ExecuteScript(kSchema);
}

// A database of something else (the GEM database named by mistake) is refused untouched.
void QueueStore::Impl::CheckIsQueueStore() {
    const std::int64_t id = ScalarInt(*db, "PRAGMA application_id");
    if (id == kApplicationId) return;
    if (id == 0 && ScalarInt(*db, "SELECT count(*) FROM sqlite_master") == 0) return;
    throw KestException(SQLITE_NOTADB, "not a queue store (a database of another kind)");
}

void QueueStore::Impl::RegisterQueue(std::string_view queue) {
    if (known_queues.contains(std::string(queue))) return;
    db->Prepare("INSERT OR IGNORE INTO queue (name) VALUES (?)").BindText(1, queue).Run();
    known_queues.emplace(queue);
}

std::filesystem::path QueueStore::PathIn(const std::filesystem::path& directory) {
    return directory / kFileName;
}

QueueStore::QueueStore(const std::filesystem::path& file, QueueStoreOptions options)
    : impl_(std::make_unique<Impl>()) {
    impl_->file = file;
    impl_->Guard([&] { impl_->Open(options); });
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
        SqliteConnection& db = *impl_->db;
        const bool known = impl_->known_queues.contains(std::string(queue));
        // The first send to a queue registers it in the same transaction as the message.
        std::optional<SqliteTransaction> transaction;
        if (!known) transaction.emplace(db);
        impl_->RegisterQueue(queue);
        SqliteStatement insert = db.Prepare(
            "INSERT INTO message (queue, label, priority, body, sent) VALUES (?, ?, ?, ?, ?) "
            "RETURNING id");
        insert.BindText(1, queue).BindText(2, label).BindInt(3, priority).BindText(4, body);
        insert.BindInt(5, NowMs());
        insert.Step();
        const std::int64_t id = insert.Int(0);
        while (insert.Step()) {
        }
        if (transaction) transaction->Commit();
        return id;
    });
}

std::optional<QueueMessage> QueueStore::Receive(std::string_view queue) {
    return impl_->Guard([&]() -> std::optional<QueueMessage> {
        // One statement: it takes the write lock before it picks the row, so two readers
        // never pick the same one.
        SqliteStatement take = impl_->db->Prepare(
            std::string("DELETE FROM message WHERE id = (SELECT id FROM message WHERE queue = ? "
                        "ORDER BY priority DESC, id LIMIT 1) RETURNING ") +
            kColumns);
        take.BindText(1, queue);
        if (!take.Step()) return std::nullopt;
        QueueMessage message = ReadMessage(take);
        while (take.Step()) {
        }
        return message;
    });
}

std::optional<QueueMessage> QueueStore::Receive(std::string_view queue,
                                                std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // The watch starts before the first look, so a message sent in between wakes the wait.
        if (!impl_->watch && !impl_->watch_refused) WaitForChange(std::chrono::milliseconds(0));
        if (auto message = Receive(queue)) return message;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        WaitForChange(left);
    }
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
        return static_cast<std::int64_t>(impl_->db->Changes());
    });
}

bool QueueStore::WaitForChange(std::chrono::milliseconds timeout) {
    if (!impl_->watch && !impl_->watch_refused) {
        try {
            impl_->watch = std::make_unique<DatabaseChangeWatch>(impl_->file);
        } catch (const KestException&) {
            impl_->watch_refused = true;  // a file system without inotify: look now and then
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) left = std::chrono::milliseconds(0);
        if (!impl_->watch) {
            const auto nap = std::min(left, kFallbackCheck);
            ::poll(nullptr, 0, static_cast<int>(nap.count()));
            return true;
        }
        pollfd fd{impl_->watch->Fd(), POLLIN, 0};
        const int ready =
            ::poll(&fd, 1, static_cast<int>(std::min<std::int64_t>(left.count(), INT32_MAX)));
        if (ready < 0 && errno != EINTR) return true;
        if (ready > 0 && impl_->watch->Drain()) return true;
        if (ready == 0) return false;
    }
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
