#include "driver/open_transactions.h"

#include <gtest/gtest.h>

#include <set>

namespace kest {
namespace {

using namespace std::chrono_literals;
using Entry = OpenTransactions::Entry;

std::shared_ptr<SecsTransaction> Transaction(int stream, int function) {
    return std::make_shared<SecsTransaction>(std::weak_ptr<TransactionSender>(), 0,
                                             SecsMessage(stream, function, true));
}

TEST(SystemBytes, CountUpAndSkipThoseStillOpen) {
    OpenTransactions open;
    auto t0 = OpenTransactions::TimePoint{};
    EXPECT_EQ(open.NextSystemBytes(), 1u);
    open.Open(2, Entry{Transaction(1, 1), t0, 0});
    open.Open(3, Entry{Transaction(1, 1), t0, 0});
    EXPECT_EQ(open.NextSystemBytes(), 4u);
    open.Take(2);
    EXPECT_EQ(open.NextSystemBytes(), 5u);  // no going back; 2 comes round after the wrap
}

TEST(SystemBytes, WrapWithinTheLowerHalfAndNeverGiveZero) {
    OpenTransactions open(0x7FFFFFFE);
    auto t0 = OpenTransactions::TimePoint{};
    open.Open(1, Entry{Transaction(1, 1), t0, 0});
    EXPECT_EQ(open.NextSystemBytes(), 0x7FFFFFFFu);
    EXPECT_EQ(open.NextSystemBytes(), 2u);  // 0 is never used, 1 is open
}

TEST(SystemBytes, AreUniqueAmongManyOpenTransactions) {
    OpenTransactions open(0x7FFFFF00);
    auto t0 = OpenTransactions::TimePoint{};
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 1000; ++i) {
        auto sb = open.NextSystemBytes();
        EXPECT_TRUE(seen.insert(sb).second) << sb;
        EXPECT_NE(sb, 0u);
        EXPECT_LE(sb, 0x7FFFFFFFu);
        open.Open(sb, Entry{Transaction(1, 1), t0, 0});
    }
}

TEST(OpenTransactions, TakeFindsOnlyWhatIsOpen) {
    OpenTransactions open;
    auto t = Transaction(6, 11);
    open.Open(7, Entry{t, OpenTransactions::TimePoint{}, 2});
    ASSERT_NE(open.Find(7), nullptr);
    EXPECT_EQ(open.Find(8), nullptr);
    auto entry = open.Take(7);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->transaction, t);
    EXPECT_EQ(entry->retries_left, 2);
    EXPECT_FALSE(open.Take(7));
    EXPECT_EQ(open.Size(), 0u);
}

TEST(OpenTransactions, ExpireByDeadlineOldestFirst) {
    OpenTransactions open;
    auto t0 = std::chrono::steady_clock::now();
    open.Open(1, Entry{Transaction(1, 1), t0 + 30ms, 0});
    open.Open(2, Entry{Transaction(2, 17), t0 + 10ms, 0});
    open.Open(3, Entry{Transaction(6, 11), t0 + 50ms, 0});
    EXPECT_EQ(open.EarliestDeadline(), t0 + 10ms);
    EXPECT_TRUE(open.TakeExpired(t0).empty());
    auto expired = open.TakeExpired(t0 + 30ms);
    ASSERT_EQ(expired.size(), 2u);
    EXPECT_EQ(expired[0].first, 2u);
    EXPECT_EQ(expired[1].first, 1u);
    EXPECT_EQ(open.EarliestDeadline(), t0 + 50ms);
    EXPECT_EQ(open.TakeAll().size(), 1u);
    EXPECT_FALSE(open.EarliestDeadline());
}

TEST(SentHistory, RemembersTheLastMessagesOnly) {
    SentHistory history;
    history.Add(5, "S5F1");
    EXPECT_EQ(history.Find(5), "S5F1");
    EXPECT_EQ(history.Find(6), "");
    for (std::uint32_t i = 100; i < 164; ++i)
        history.Add(i, "S6F11");
    EXPECT_EQ(history.Find(5), "");  // pushed out by 64 newer ones
    EXPECT_EQ(history.Find(163), "S6F11");
    history.Add(163, "S1F1");  // system bytes reused: the newest wins
    EXPECT_EQ(history.Find(163), "S1F1");
}

}  // namespace
}  // namespace kest
