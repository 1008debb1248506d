#pragma once

// What the host-message tests share: a control that talks to the host, primaries injected as
// the host sends them, and the replies and stream 9 messages read back.

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "secs/sml.h"
#include "services/service_fixture.h"
#include "settings/secs_protocol.h"

namespace kest {
// Failures show items as SML rather than as bytes of the object.
inline void PrintTo(const SecsItem& item, std::ostream* os) {
    *os << ToSmlLine(item);
}
}  // namespace kest

namespace kest::test {

/// A primary from the host and what it must cause: a reply with this body, a stream 9 refusal,
/// or neither.
struct HostCase {
    const char* label;
    SecsMessage primary;
    std::optional<SecsItem> reply = std::nullopt;  ///< the reply's body; none: no reply
    const char* refusal = nullptr;                 ///< the stream 9 message sent instead
};

/// A control whose port is open, communicating, on-line remote, with nothing recorded yet.
class HostTest : public ServiceTest {
  protected:
    HostTest() {
        h.Communicating();
        Forget();
    }

    void Forget() {
        h.ClearRecords();
        h.driver->sent.clear();
        h.driver->replies.clear();
    }

    /// Writes GEM variable `name`, then forgets what the write caused (events, the reports of
    /// a control-state change), so a test sees only what the host's message causes.
    void SetState(const std::string& name, const Variant& value) {
        h.SetGemVar(name, value);
        Forget();
    }

    std::int32_t DeviceID() const { return h.server->SECSProtocol()->DeviceID(); }

    /// A primary from the host under this equipment's device ID.
    void Receive(SecsMessage primary) { h.driver->InjectPrimary(std::move(primary), DeviceID()); }
    /// A primary with the W-bit, and the body `body` when given.
    void Receive(int stream, int function, std::optional<SecsItem> body = std::nullopt) {
        Receive(body ? SecsMessage(stream, function, true, std::move(*body))
                     : SecsMessage(stream, function, true));
    }

    /// The body of the only reply sent, which must be named `name` (an empty list otherwise).
    SecsItem OnlyReplyBody(const std::string& name) const {
        EXPECT_EQ(h.driver->replies.size(), 1u);
        if (h.driver->replies.size() != 1) return {};
        const SecsMessage& reply = h.driver->replies[0];
        EXPECT_EQ(reply.Name(), name);
        EXPECT_EQ(reply.BodyCount(), 1u) << name << " has no body";
        return reply.BodyCount() == 1 ? reply.Item(1) : SecsItem();
    }

    std::vector<std::string> Sent() const { return h.driver->SentNames(); }

    /// Expects primary `index` sent to be stream 9 message `name`, without W-bit, carrying
    /// the MHEAD `mhead`.
    void ExpectStream9(std::size_t index, const std::string& name,
                       std::initializer_list<std::uint8_t> mhead) const {
        ASSERT_LT(index, h.driver->sent.size()) << name;
        const SecsMessage& sent = h.driver->sent[index]->Primary();
        EXPECT_EQ(sent.Name(), name);
        EXPECT_FALSE(sent.ReplyExpected());
        ASSERT_EQ(sent.BodyCount(), 1u);
        EXPECT_EQ(sent.Item(1), build::B(mhead));
    }

    /// Receives the case's primary; expects its reply, or its refusal alone (device ID 0) and
    /// no reply or event; and no error either way.
    void Check(const HostCase& c) {
        Receive(c.primary);
        EXPECT_TRUE(h.errors.empty())
            << h.errors.front().ErrSource << " " << h.errors.front().ErrText;
        if (c.refusal != nullptr) {
            EXPECT_EQ(Sent().size(), 1u) << ::testing::PrintToString(Sent());
            ExpectStream9(
                0, c.refusal,
                {0x80, 0x00, static_cast<std::uint8_t>(c.primary.Stream()),
                 static_cast<std::uint8_t>(c.primary.Function()), 0x80, 0x01, 0, 0, 0, 0});
            EXPECT_TRUE(h.driver->replies.empty());
            EXPECT_TRUE(h.events.empty()) << ::testing::PrintToString(h.EventNames());
            return;
        }
        EXPECT_TRUE(Sent().empty()) << ::testing::PrintToString(Sent());
        if (!c.reply) {
            EXPECT_TRUE(h.driver->replies.empty());
        } else {
            EXPECT_EQ(OnlyReplyBody(MessageName(c.primary.Stream(), c.primary.Function() + 1)),
                      *c.reply);
        }
    }
};

}  // namespace kest::test
