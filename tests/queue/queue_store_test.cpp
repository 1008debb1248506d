// The queue store as its two sides use it from different processes and threads, and the faults
// of its file: nothing is lost, nothing is received twice, a bad file is a clear error.
#include <gtest/gtest.h>
#include <signal.h>
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

}  // namespace
}  // namespace kest
