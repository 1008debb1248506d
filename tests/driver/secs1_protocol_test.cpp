#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/secs1_block.h"
#include "secs1_test_support.h"

namespace kest::test {
namespace {

using namespace std::chrono_literals;

Secs1Settings Equipment() {
    Secs1Settings s;
    s.device_id = 1;
    s.t1 = 500ms;
    s.t2 = 10s;
    s.t4 = 45s;
    s.retry_limit = 2;
    return s;
}

Secs1Settings Host() {
    Secs1Settings s = Equipment();
    s.host_role = true;
    return s;
}

// A block of the host's S1F1 W (no R-bit), system bytes `sb`.
std::string HostBlock(std::uint32_t sb, std::uint16_t device = 1, std::uint16_t number = 1,
                      bool last = true, std::vector<std::uint8_t> data = {}) {
    secs1::Block block{{false, device, true, 1, 1, last, number, sb}, std::move(data)};
    return ToHex(secs1::EncodeBlock(block));
}

TEST(Secs1Protocol, SendsASingleBlockMessageInOneExchange) {
    ScriptedLine eq(Equipment());
    eq.protocol.Send({1, 1, 1, true, 1}, {});
    EXPECT_EQ(eq.Out(), "05");
    EXPECT_EQ(eq.Running(Secs1Timer::Line), 10s);
    eq.In("04");
    EXPECT_EQ(eq.Out(), "0a 80 01 81 01 80 01 00 00 00 01 01 85");
    EXPECT_TRUE(eq.sent.empty());
    eq.In("06");
    EXPECT_EQ(eq.Out(), "");
    EXPECT_EQ(eq.sent, std::vector<std::uint32_t>{1});
    EXPECT_TRUE(eq.protocol.Quiet());
    EXPECT_FALSE(eq.Running(Secs1Timer::Line));
    // A body beyond the size limit never reaches the line.
    Secs1Settings small = Equipment();
    small.max_body_size = 10;
    ScriptedLine limited(small);
    limited.protocol.Send({1, 1, 1, true, 2}, std::vector<std::uint8_t>(10));
    limited.protocol.Send({1, 1, 3, true, 3}, std::vector<std::uint8_t>(11));
    EXPECT_EQ(limited.failures, std::vector<std::string>{"send S1F3 2015"});
}

TEST(Secs1Protocol, ReceivesAMultiBlockMessageBlockByBlock) {
    ScriptedLine eq(Equipment());
    std::vector<std::uint8_t> body(300);
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<std::uint8_t>(i);
    auto blocks = secs1::SplitMessage({1, 1, 1, true, 9}, false, body);
    for (const auto& block : blocks) {
        eq.In("05");
        EXPECT_EQ(eq.Out(), "04");
        eq.In(secs1::EncodeBlock(block));
        EXPECT_EQ(eq.Out(), "06");
    }
    ASSERT_EQ(eq.arrived.size(), 1u);
    EXPECT_EQ(eq.arrived[0].header, (MessageHeader{1, 1, 1, true, 9}));
    EXPECT_EQ(eq.arrived[0].body, body);
    EXPECT_FALSE(eq.Running(Secs1Timer::InterBlock));
}

// The receiving side of every fault: what it answers and what it delivers.
TEST(Secs1Protocol, ReceiverAnswersFaultsAndDeliversOnce) {
    struct Case {
        const char* name;
        std::function<void(ScriptedLine&)> fault;  // starts after ENQ/EOT
        std::string answer;                        // what the receiver wrote
        std::size_t delivered;                     // after the sender's clean retry
        std::vector<std::string> failures;
    };
    std::string good = HostBlock(5);
    const Case cases[] = {
        {"wrong checksum: NAK after T1 of silence",
         [&](ScriptedLine& l) {
             auto bytes = Hex(good);
             bytes.back() ^= 1;
             l.In(bytes);
             EXPECT_EQ(l.Out(), "") << "no NAK before the line is quiet";
             l.Expire(Secs1Timer::Line);
         },
         "15",
         1,
         {}},
        {"block that never ends: NAK at T1",
         [&](ScriptedLine& l) {
             l.In(good.substr(0, 20));
             EXPECT_EQ(l.Running(Secs1Timer::Line), 500ms);
             l.Expire(Secs1Timer::Line);
         },
         "15",
         1,
         {}},
        {"length byte out of range: NAK after T1",
         [&](ScriptedLine& l) {
             l.In("ff 01 02");
             l.Expire(Secs1Timer::Line);
         },
         "15",
         1,
         {}},
        {"no length byte: NAK at T2",
         [&](ScriptedLine& l) {
             EXPECT_EQ(l.Running(Secs1Timer::Line), 10s);
             l.Expire(Secs1Timer::Line);
         },
         "15",
         1,
         {}},
        {"lost ACK: the block comes again and is ignored",
         [&](ScriptedLine& l) { l.In(good); },
         "06",
         1,
         {}},
        {"header for another device", [&](ScriptedLine& l) { l.In(HostBlock(5, 2)); }, "06", 1, {}},
        {"our own R-bit: an echo",
         [&](ScriptedLine& l) {
             l.In(secs1::EncodeBlock({{true, 1, true, 1, 1, true, 1, 6}, {}}));
         },
         "06",
         1,
         {}},
        {"block count skips",
         [&](ScriptedLine& l) { l.In(HostBlock(5, 1, 2, true)); },
         "06",
         1,
         {"receive 3007"}},
    };
    for (const auto& c : cases) {
        ScriptedLine eq(Equipment());
        eq.In("05");
        ASSERT_EQ(eq.Out(), "04") << c.name;
        c.fault(eq);
        EXPECT_EQ(eq.Out(), c.answer) << c.name;
        eq.In("05");
        EXPECT_EQ(eq.Out(), "04") << c.name;
        eq.In(good);
        EXPECT_EQ(eq.Out(), "06") << c.name;
        EXPECT_EQ(eq.arrived.size(), c.delivered) << c.name;
        EXPECT_EQ(eq.failures, c.failures) << c.name;
    }
}

// The sending side: every answer other than EOT or ACK costs a retry; RTY 2 allows three tries.
TEST(Secs1Protocol, SenderRetriesUpToTheLimit) {
    struct Case {
        const char* name;
        std::function<void(ScriptedLine&)> fault;
    };
    const Case cases[] = {
        {"NAK",
         [](ScriptedLine& l) {
             l.In("04");
             l.Out();
             l.In("15");
         }},
        {"lost ACK (T2)",
         [](ScriptedLine& l) {
             l.In("04");
             l.Out();
             l.Expire(Secs1Timer::Line);
         }},
        {"no EOT (T2)", [](ScriptedLine& l) { l.Expire(Secs1Timer::Line); }},
        {"garbage instead of ACK",
         [](ScriptedLine& l) {
             l.In("04");
             l.Out();
             l.In("41");
         }},
    };
    for (const auto& c : cases) {
        ScriptedLine eq(Equipment());
        eq.protocol.Send({1, 1, 1, true, 1}, {});
        for (int attempt = 1; attempt <= 3; ++attempt) {
            EXPECT_EQ(eq.Out(), "05") << c.name << " attempt " << attempt;
            EXPECT_TRUE(eq.failures.empty()) << c.name << " attempt " << attempt;
            c.fault(eq);
        }
        EXPECT_EQ(eq.Out(), "") << c.name;
        EXPECT_EQ(eq.failures, std::vector<std::string>{"send S1F1 3005"}) << c.name;
        EXPECT_TRUE(eq.protocol.Quiet()) << c.name;
    }
}

// A 7 MB message crosses in 28,689 blocks and arrives whole; a body one byte longer than
// 32,767 blocks can carry is refused before it reaches the line.
TEST(Secs1Protocol, SevenMegabytesCrossWholeAndBeyondTheBlockNumbersIsRefused) {
    Secs1Settings equipment = Equipment();
    Secs1Settings host = Host();
    equipment.max_body_size = host.max_body_size = 16 * 1024 * 1024;
    ScriptedLine eq(equipment);
    ScriptedLine ho(host);
    std::vector<std::uint8_t> body(7'000'000);
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    eq.protocol.Send({1, 6, 11, true, 7}, body);
    Pump(eq, ho);
    ASSERT_EQ(ho.arrived.size(), 1u);
    EXPECT_TRUE(ho.arrived[0].body == body);
    EXPECT_EQ(eq.sent, std::vector<std::uint32_t>{7});
    EXPECT_TRUE(eq.failures.empty());
    EXPECT_TRUE(ho.failures.empty());

    const std::size_t most = std::size_t{secs1::kMaxBlockNumber} * secs1::kMaxBlockData;
    eq.protocol.Send({1, 6, 11, true, 8}, std::vector<std::uint8_t>(most + 1));
    EXPECT_EQ(eq.failures, std::vector<std::string>{"send S6F11 2015"});
    EXPECT_TRUE(eq.written.empty());
}

TEST(Secs1Protocol, InterBlockTimeoutDropsTheMessage) {
    ScriptedLine eq(Equipment());
    eq.In("05");
    eq.In(HostBlock(5, 1, 1, false, {1, 2}));
    EXPECT_EQ(eq.Out(), "04 06");
    EXPECT_EQ(eq.Running(Secs1Timer::InterBlock), 45s);
    eq.Expire(Secs1Timer::InterBlock);
    EXPECT_EQ(eq.failures, std::vector<std::string>{"receive 3014"});
    eq.In("05");
    eq.In(HostBlock(5, 1, 2, true));  // too late: its first block is gone
    EXPECT_TRUE(eq.arrived.empty());
}

TEST(Secs1Protocol, InterleavedMessagesAreJoinedBySystemBytes) {
    ScriptedLine eq(Equipment());
    for (const auto& block : {HostBlock(7, 1, 1, false, {1}), HostBlock(8, 1, 1, false, {2}),
                              HostBlock(7, 1, 2, true, {3}), HostBlock(8, 1, 2, true, {4})}) {
        eq.In("05");
        eq.In(block);
    }
    ASSERT_EQ(eq.arrived.size(), 2u);
    EXPECT_EQ(eq.arrived[0].header.system_bytes, 7u);
    EXPECT_EQ(eq.arrived[0].body, (std::vector<std::uint8_t>{1, 3}));
    EXPECT_EQ(eq.arrived[1].body, (std::vector<std::uint8_t>{2, 4}));
    EXPECT_TRUE(eq.failures.empty());
}

// Both sides start sending at once: the host gives way and
// multi-block messages cross without loss.
TEST(Secs1Protocol, ContentionLetsTheEquipmentGoFirst) {
    ScriptedLine eq(Equipment());
    ScriptedLine host(Host());
    std::vector<std::uint8_t> eq_body(600, 0xE0);
    std::vector<std::uint8_t> host_body(500, 0x40);
    eq.protocol.Send({1, 6, 11, true, 1}, eq_body);
    host.protocol.Send({1, 2, 41, true, 0x10000}, host_body);
    EXPECT_EQ(eq.written, Hex("05"));
    EXPECT_EQ(host.written, Hex("05"));
    Pump(eq, host);
    ASSERT_EQ(host.arrived.size(), 1u);
    ASSERT_EQ(eq.arrived.size(), 1u);
    EXPECT_EQ(host.arrived[0].body, eq_body);
    EXPECT_EQ(eq.arrived[0].body, host_body);
    EXPECT_EQ(eq.arrived[0].header, (MessageHeader{1, 2, 41, true, 0x10000}));
    EXPECT_TRUE(eq.protocol.Quiet() && host.protocol.Quiet());
    EXPECT_TRUE(eq.failures.empty() && host.failures.empty());
}

TEST(Secs1Protocol, EquipmentKeepsTheLineAgainstTheHostsEnq) {
    struct Case {
        Secs1Settings settings;
        std::string answer;  // to the other side's ENQ while our ENQ waits
    };
    for (const auto& c : {Case{Equipment(), ""}, Case{Host(), "04"}}) {
        ScriptedLine line(c.settings);
        line.protocol.Send({1, 1, 1, true, 1}, {});
        line.Out();
        line.In("05");
        EXPECT_EQ(line.Out(), c.answer) << c.settings.host_role;
    }
}

}  // namespace
}  // namespace kest::test
