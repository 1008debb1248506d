// The queue store as its two sides use it from different processes and threads, and the faults
// of its file: nothing is lost, nothing is received twice, a bad file is a clear error.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "queue/queue_store.h"
#include "support/temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

class QueueStoreFile : public ::testing::Test {
  protected:
    /// The error number a store opened at `file` with `options` fails with (0: it opened).
    static int OpenError(const fs::path& file, QueueStoreOptions options = {}) {
        try {
            QueueStore store(file, options);
            store.Send("q", "x", 5, "Null");
        } catch (const KestException& e) {
            EXPECT_NE(std::string(e.what()).find(file.filename().string()), std::string::npos)
                << e.what();           // the error names the file
            return e.Number() & 0xFF;  // the primary result code
        }
        return 0;
    }

    test::TempDir temp_{"kest-queue-store"};
    const fs::path& dir_ = temp_.Path();
    const fs::path file_ = QueueStore::PathIn(dir_);
};

TEST_F(QueueStoreFile, BytesOfAnyContentAndLengthComeBackExactly) {
    const std::string queue("q\0\"';--\xff", 9);
    const std::string label(1 << 20, '\0');
    const std::string body("\x01\x00\x80 Null", 8);
    QueueStore store(file_);
    store.Send(queue, label, -3, body);
    auto m = store.Receive(queue);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Queue, queue);
    EXPECT_EQ(m->Label, label);
    EXPECT_EQ(m->Body, body);
    EXPECT_EQ(m->Priority, -3);
}

TEST_F(QueueStoreFile, AFileThatIsNotAQueueStoreIsAClearError) {
    std::ofstream(dir_ / "garbage", std::ios::binary) << std::string(8192, 'x');
    { QueueStore(dir_ / "other.db").Send("q", "x", 5, "Null"); }
    // Another program's SQLite database: same format, different application.
    std::system(("sqlite3 '" + (dir_ / "foreign.db").string() + "' 'CREATE TABLE t(x)'").c_str());
    std::ofstream(dir_ / "plain", std::ios::binary) << "x";
    struct Case {
        fs::path file;
        QueueStoreOptions options;
        int error;
    };
    const std::vector<Case> cases{
        {dir_ / "garbage", {}, 26},                    // SQLITE_NOTADB
        {dir_ / "foreign.db", {}, 26},                 // refused by its application ID
        {dir_ / "missing.db", {.create = false}, 14},  // a reader does not create one
        {dir_ / "plain" / "Queues.db", {}, 14},        // the directory is a file
        {dir_ / "other.db", {}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OpenError(c.file, c.options), c.error) << c.file;
    EXPECT_FALSE(fs::exists(dir_ / "missing.db"));
}

TEST_F(QueueStoreFile, AFullStoreRefusesTheSendAndKeepsWhatItHas) {
    QueueStore store(file_, {.max_file_bytes = 256 * 1024});
    const std::string body(16 * 1024, 'b');
    std::int64_t sent = 0;
    int error = 0;
    try {
        for (; sent < 100; ++sent)
            store.Send("q", "x", 5, body);
    } catch (const KestException& e) {
        error = e.Number() & 0xFF;
    }
    EXPECT_EQ(error, 13);  // SQLITE_FULL
    EXPECT_GT(sent, 0);
    EXPECT_EQ(store.Count("q"), sent);
    EXPECT_TRUE(store.Receive("q"));
    EXPECT_NO_THROW(store.Send("q", "x", 5, body));  // room again
}

TEST_F(QueueStoreFile, ASendThatReturnedSurvivesAKilledProcess) {
    QueueStore(file_).Send("q", "created", 5, "Null");
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        QueueStore child(file_);
        child.Send("q", "last words", 9, "Null");
        raise(SIGKILL);  // no destructor, no checkpoint, no close
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    QueueStore store(file_);
    auto m = store.Receive("q");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Label, "last words");
}

TEST_F(QueueStoreFile, TwoReadersNeverReceiveTheSameMessage) {
    constexpr int kMessages = 2000;
    {
        QueueStore store(file_);
        for (int i = 0; i < kMessages; ++i)
            store.Send("q", std::to_string(i), 5, "Null");
    }
    std::vector<std::int64_t> got[2];
    auto read = [this](std::vector<std::int64_t>& ids) {
        QueueStore store(file_);
        while (auto m = store.Receive("q"))
            ids.push_back(m->ID);
    };
    std::thread a(read, std::ref(got[0]));
    std::thread b(read, std::ref(got[1]));
    a.join();
    b.join();
    std::set<std::int64_t> all(got[0].begin(), got[0].end());
    all.insert(got[1].begin(), got[1].end());
    EXPECT_EQ(got[0].size() + got[1].size(), std::size_t{kMessages});
    EXPECT_EQ(all.size(), std::size_t{kMessages});
}

TEST_F(QueueStoreFile, TakesInReceiveOrderAndNeverGivesAnIdTwice) {
    QueueStore store(file_);
    const std::vector<std::pair<std::string, int>> sent{
        {"a", 1}, {"b", 7}, {"c", 7}, {"d", 3}, {"e", -2}};
    store.Send("other", "x", 9, "Null");
    for (const auto& [label, priority] : sent)
        store.Send("q", label, priority, "Null");
    auto labels = [](const std::vector<QueueMessage>& messages) {
        std::string text;
        for (const auto& m : messages)
            text += m.Label;
        return text;
    };
    EXPECT_EQ(labels(store.PeekAll("q")), "bcdae");
    EXPECT_EQ(labels(store.ReceiveUpTo("q", 3)), "bcd");
    EXPECT_EQ(labels(store.ReceiveUpTo("q", 0)), "");
    EXPECT_EQ(store.Receive("q")->Label, "a");
    EXPECT_EQ(labels(store.ReceiveUpTo("q", 9, std::chrono::milliseconds(5))), "e");
    EXPECT_EQ(labels(store.ReceiveUpTo("q", 9, std::chrono::milliseconds(5))), "");
    // The newest messages are gone; a new one still gets a higher ID than any before.
    EXPECT_EQ(store.Send("q", "f", 5, "Null"), 7);
    EXPECT_EQ(store.Count("other"), 1);
}

// A store written by the first version of the tables (a rowid table and AUTOINCREMENT) opens
// with its messages, their IDs and order, and IDs go on from the highest ever given.
TEST_F(QueueStoreFile, AStoreOfTheFirstLayoutKeepsItsMessages) {
    auto run = [](const fs::path& file, const char* sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    };
    run(file_, R"sql(
        PRAGMA application_id = 1263621445;
        CREATE TABLE queue (name TEXT PRIMARY KEY) WITHOUT ROWID;
        CREATE TABLE message (id INTEGER PRIMARY KEY AUTOINCREMENT, queue TEXT NOT NULL,
            label TEXT NOT NULL, priority INTEGER NOT NULL, body TEXT NOT NULL,
            sent INTEGER NOT NULL);
        CREATE INDEX message_order ON message (queue, priority DESC, id);
        INSERT INTO queue VALUES ('q'), ('gone');
        INSERT INTO message VALUES (7, 'q', 'a', 5, 'Null', 1), (8, 'q', 'b', 9, 'Null', 2),
            (12, 'gone', 'x', 5, 'Null', 3);
        DELETE FROM message WHERE id = 12;)sql");
    {
        QueueStore store(file_);
        EXPECT_EQ(store.Queues().size(), 2u);
        EXPECT_EQ(store.Receive("q")->ID, 8);
        EXPECT_EQ(store.Send("q", "new", 5, "Null"), 13);
        EXPECT_EQ(store.Receive("q")->Label, "a");
    }
    run(file_, "PRAGMA user_version = 3;");  // written by a later version: left alone
    EXPECT_EQ(OpenError(file_), 26);
}

// A reader holding its snapshot keeps the log from starting over; senders must not wait for it
// at every commit, and the log must start over once it has let go.
TEST_F(QueueStoreFile, AReaderHoldingItsSnapshotNeitherStallsSendersNorGrowsTheLogForever) {
    QueueStore store(file_);
    store.Send("q", "x", 5, "Null");
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(file_.c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM message;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1500; ++i)  // two pages a send: three log lengths
        store.Send("q", "x", 5, "Null");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);

    const fs::path log = file_.string() + "-wal";
    const auto held = fs::file_size(log);
    for (int i = 0; i < 1500; ++i)
        store.Send("q", "x", 5, "Null");
    constexpr std::uintmax_t kFrame = 4096 + 24;
    EXPECT_LT(fs::file_size(log), held + 2000 * kFrame);  // restarted within a log's length
}

}  // namespace
}  // namespace kest
