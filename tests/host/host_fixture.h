#pragma once

// What the host-message tests share: a control that talks to the host, primaries injected as
// the host sends them, and the replies and stream 9 messages read back.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "settings/secs_protocol.h"
#include "support/control_harness.h"

namespace kest::test {

/// A control whose port is open, communicating, on-line remote, with nothing recorded yet.
class HostTest : public ::testing::Test {
  protected:
    HostTest() {
        h.Communicating();
        h.ClearRecords();
        h.driver->sent.clear();
    }

    /// Writes GEM variable `name`, then forgets what the write caused (events, the reports of
    /// a control-state change), so a test sees only what the host's message causes.
    void SetState(const std::string& name, const Variant& value) {
        h.SetGemVar(name, value);
        h.ClearRecords();
        h.driver->sent.clear();
        h.driver->replies.clear();
    }

    /// This equipment's device ID.
    std::int32_t DeviceID() const { return h.server->SECSProtocol()->DeviceID(); }

    /// A primary from the host under this equipment's device ID.
    std::shared_ptr<SecsTransaction> Receive(SecsMessage primary) {
        return h.driver->InjectPrimary(std::move(primary), DeviceID());
    }
    /// A primary with the W-bit and the body `body`.
    std::shared_ptr<SecsTransaction> Receive(int stream, int function, SecsItem body) {
        return Receive(SecsMessage(stream, function, true, std::move(body)));
    }
    /// A header-only primary with the W-bit.
    std::shared_ptr<SecsTransaction> Receive(int stream, int function) {
        return Receive(SecsMessage(stream, function, true));
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

    /// The names of the primaries the control sent.
    std::vector<std::string> Sent() const { return h.driver->SentNames(); }

    /// Expects exactly one primary sent: the stream 9 message `name` whose MHEAD is `mhead`.
    void ExpectOnlyStream9(const std::string& name, std::initializer_list<std::uint8_t> mhead) {
        ASSERT_EQ(Sent(), std::vector<std::string>{name});
        const SecsMessage& sent = h.driver->sent[0]->Primary();
        EXPECT_FALSE(sent.ReplyExpected());
        ASSERT_EQ(sent.BodyCount(), 1u);
        EXPECT_EQ(sent.Item(1), build::B(mhead));
    }

    /// Adds a user variable; `parent` 0 makes it top-level.
    void AddVariable(std::int32_t id, const std::string& name, enmItemFormat format,
                     const std::string& value, std::int32_t parent = 0,
                     const std::string& access_id = "NULL", const std::string& type = "SV",
                     bool allow_duplicates = false) {
        KestRecVariable record;
        record.SetID(id);
        record.SetName(name);
        record.SetVarFormat(static_cast<int>(format));
        record.SetValue(value);
        record.SetParentKey(parent);
        record.SetAccessID(access_id);
        record.SetVarType(type);
        record.SetAllowDuplicates(allow_duplicates);
        ASSERT_TRUE(h.Db().VariableAddRecord(record)) << name;
    }

    ControlHarness h;
};

}  // namespace kest::test
