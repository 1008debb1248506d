#include "driver/open_transactions.h"

#include <gtest/gtest.h>

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
    auto header = [](std::uint32_t sb, int stream, int function) {
        return MessageHeader{1, stream, function, false, sb};
    };
    history.Add(header(5, 5, 1));
    EXPECT_EQ(history.Find(5), header(5, 5, 1));
    EXPECT_FALSE(history.Find(6));
    for (std::uint32_t i = 100; i < 164; ++i)
        history.Add(header(i, 6, 11));
    EXPECT_FALSE(history.Find(5));  // pushed out by 64 newer ones
    EXPECT_EQ(history.Find(163), header(163, 6, 11));
    history.Add(header(163, 1, 1));  // system bytes reused: the newest wins
    EXPECT_EQ(history.Find(163), header(163, 1, 1));
}

}  // namespace
}  // namespace kest
