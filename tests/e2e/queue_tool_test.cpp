// Runs the built kest-queue program as an operator's script would: output lines, JSON, exit
// statuses, and messages sent by another process while it waits or watches.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "queue/queue_store.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct ToolRun {
    int status;
    std::string out;  // standard output and error together
};

class QueueTool : public ::testing::Test {
  protected:
    std::vector<std::string> Argv(std::vector<std::string> args) const {
        args.insert(args.begin(), {(fs::path(KEST_BINARY_DIR) / "apps" / "kest-queue").string(),
                                   "--dir", dir_.string()});
        return args;
    }
    ToolRun Tool(std::vector<std::string> args) const {
        test::Child child(Argv(std::move(args)));
        int status = child.Finish(10s);
        return {status, child.Output()};
    }
    /// The message lines of `out` with the sent-time field cut (it is the clock's).
    static std::string WithoutTimes(const std::string& out) {
        return std::regex_replace(out, std::regex("\t\\d{4}-\\d\\d-\\d\\dT[0-9:.]+Z\t"), "\t-\t");
    }

    test::TempDir temp_{"kest-queue-test"};
    const fs::path& dir_ = temp_.Path();
};

TEST_F(QueueTool, ReadsInReceiveOrderAndTakesOnlyWhenReceiving) {
    {
        QueueStore store(QueueStore::PathIn(dir_));
        store.Send("q", "low", 1, "Null");
        store.Send("q", "A\"b\tc", 7, std::string("\xff\x01", 2));
        store.Send("q", "caf\xc3\xa9", 7, "Null");
        store.Send("other", "x", 5, "Null");
    }
    EXPECT_EQ(Tool({"list"}).out, "other\t1\nq\t3\n");
    const std::string all =
        "2\t7\t-\tq\tA\"b\\tc\t\\xff\\x01\n"
        "3\t7\t-\tq\tcaf\xc3\xa9\tNull\n"
        "1\t1\t-\tq\tlow\tNull\n";
    ToolRun peek = Tool({"peek", "q", "--all"});
    EXPECT_EQ(peek.status, 0);
    EXPECT_EQ(WithoutTimes(peek.out), all);

    ToolRun json = Tool({"--json", "peek", "q"});
    EXPECT_TRUE(std::regex_search(
        json.out,
        std::regex("^\\{\"id\":2,\"queue\":\"q\",\"label\":\"A\\\\\"b\\\\tc\",\"priority\":7,"
                   "\"body\":\"\\\\u00ff\\\\u0001\",\"sent\":\"[0-9T:.Z-]+\",\"sent_ms\":"
                   "[0-9]+\\}\n$")))
        << json.out;
    EXPECT_NE(Tool({"--json", "peek", "q", "--all"}).out.find("\"label\":\"caf\xc3\xa9\""),
              std::string::npos);

    ToolRun taken = Tool({"receive", ".\\PRIVATE$\\q", "--count", "2"});
    EXPECT_EQ(taken.status, 0);
    EXPECT_EQ(WithoutTimes(taken.out), all.substr(0, all.rfind("1\t1")));
    EXPECT_EQ(Tool({"list"}).out, "other\t1\nq\t1\n");
    EXPECT_EQ(Tool({"purge", "q"}).out, "purged 1\n");
    EXPECT_EQ(Tool({"receive", "q"}).status, 1);
    EXPECT_EQ(Tool({"peek", "q"}).status, 1);
}

TEST_F(QueueTool, ExitStatusesTellScriptsWhatHappened) {
    EXPECT_EQ(Tool({"list"}).status, 3);  // no store here, and a reader makes none
    EXPECT_FALSE(fs::exists(QueueStore::PathIn(dir_)));
    EXPECT_EQ(Tool({"send", "q", "go", "--priority", "9"}).out, "1\n");
    EXPECT_EQ(Tool({"--json", "send", "q", "go"}).out, "{\"id\":2}\n");
    const std::vector<std::vector<std::string>> usage{{},
                                                      {"frobnicate"},
                                                      {"peek"},
                                                      {"receive", "q", "--count", "0"},
                                                      {"receive", "q", "--wait", "-1"},
                                                      {"send", "q"},
                                                      {"--file", "x", "--dir", "y", "list"}};
    for (const auto& args : usage)
        EXPECT_EQ(Tool(args).status, 2) << testing::PrintToString(args);
    EXPECT_EQ(Tool({"receive", "q", "--count", "5"}).status, 0);
    EXPECT_EQ(Tool({"receive", "q", "--wait", "20"}).status, 1);
}

TEST_F(QueueTool, WaitingAndWatchingSeeAnotherProcessSend) {
    QueueStore store(QueueStore::PathIn(dir_));
    std::int64_t before = store.Send("q", "before", 5, "Null");

    test::Child watch(Argv({"watch", "q", "--after", std::to_string(before), "--count", "1"}));
    test::Child wait(Argv({"receive", "r", "--wait", "10000"}));
    store.Send("q", "arrived", 5, "Null");
    store.Send("r", "taken", 5, "Null");

    EXPECT_EQ(watch.Finish(10s), 0);
    EXPECT_EQ(WithoutTimes(watch.Output()), "2\t5\t-\tq\tarrived\tNull\n");
    EXPECT_EQ(store.Count("q"), 2);  // watching takes nothing
    EXPECT_EQ(wait.Finish(10s), 0);
    EXPECT_EQ(WithoutTimes(wait.Output()), "3\t5\t-\tr\ttaken\tNull\n");
    EXPECT_EQ(store.Count("r"), 0);

    EXPECT_EQ(Tool({"watch", "q", "--for", "30"}).status, 1);  // nothing new within the time
}

}  // namespace
}  // namespace kest
