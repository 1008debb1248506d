// The five stream 9 senders: message name, the MHEAD they carry, and a refused send.
#include <gtest/gtest.h>

#include "host/stream9_senders.h"
#include "host_fixture.h"

namespace kest::test {
namespace {

using Sender = bool (*)(GemContext&, std::int32_t, std::int32_t, std::int32_t);

struct SenderCase {
    const char* name;
    Sender send;
};

class Stream9Sender : public HostTest, public ::testing::WithParamInterface<SenderCase> {};

TEST_P(Stream9Sender, SendsTheMheadOfTheOffendingMessage) {
    EXPECT_TRUE(GetParam().send(*h.core, 300, 6, 11));
    ExpectOnlyStream9(GetParam().name, {0x81, 0x2C, 0x06, 0x0B, 0x80, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.errors.empty());
}

TEST_P(Stream9Sender, KeepsTheHighestStreamAndFunction) {
    EXPECT_TRUE(GetParam().send(*h.core, 32769, 127, 255));
    ExpectOnlyStream9(GetParam().name, {0x80, 0x00, 0x7F, 0xFF, 0x80, 0x01, 0, 0, 0, 0});
}

TEST_P(Stream9Sender, RefusedWhileThePortIsClosed) {
    h.core->SetSetting("PortOpened", "FALSE");
    EXPECT_FALSE(GetParam().send(*h.core, 0, 1, 3));
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{4019});
}

INSTANTIATE_TEST_SUITE_P(Senders, Stream9Sender,
                         ::testing::Values(SenderCase{"S9F1", &SendS9F1},
                                           SenderCase{"S9F3", &SendS9F3},
                                           SenderCase{"S9F5", &SendS9F5},
                                           SenderCase{"S9F7", &SendS9F7},
                                           SenderCase{"S9F11", &SendS9F11}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kest::test
