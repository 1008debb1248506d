// Traces from the host: set up, replaced and stopped by S2F23, sampled by the once-a-second tick
// and reported in S6F1 groups of REPGSZ samples.
#include <gtest/gtest.h>

#include <chrono>

#include "host_fixture.h"
#include "secs/codec.h"

namespace kest::test {
namespace {

using namespace kest::build;

SecsMessage S2F23(std::uint32_t trid, const char* dsper, std::uint32_t totsmp, std::uint32_t repgsz,
                  SecsItem svids) {
    return SecsMessage(2, 23, true,
                       L(U4(trid), A(dsper), U4(totsmp), U4(repgsz), std::move(svids)));
}

SecsMessage S2F23(SecsItem body) {
    return SecsMessage(2, 23, true, std::move(body));
}

struct TraceCase : HostCase {
    const char* events = "";  ///< the events raised, as "EventName;"
    std::size_t running = 0;  ///< traces running afterwards
};

TraceCase Ack(const char* label, SecsMessage primary, std::uint8_t tiaack, const char* events = "",
              std::size_t running = 0) {
    return {{label, std::move(primary), B({tiaack})}, events, running};
}

TraceCase Refused(const char* label, SecsMessage primary, const char* refusal = "S9F7") {
    return {{label, std::move(primary), std::nullopt, refusal}};
}

/// User status variables 5001 Count (U4), 5002 Name (A), 5003 Gain (F4), 5004 Ready
/// (BOOLEAN), and 5006, a member of list variable 5005.
class Traces : public HostTest {
  protected:
    Traces() {
        AddVariable(5001, "Count", enmItemFormat::FormatU4, "0");
        AddVariable(5002, "Name", enmItemFormat::FormatAscii, "lot");
        AddVariable(5003, "Gain", enmItemFormat::FormatF4, "1.5");
        AddVariable(5004, "Ready", enmItemFormat::FormatBoolean, "T");
        AddVariable(5005, "Pair", enmItemFormat::FormatList, "");
        AddVariable(5006, "Left", enmItemFormat::FormatU4, "1", 5005);
        Forget();
    }

    /// One second later: every trace timer element ticks.
    void Second() {
        h.clock->Advance(std::chrono::seconds(1));
        for (int index = 1; index <= 4; ++index)
            h.core->TraceTick(index);
    }

    void SetCount(int value) {
        ASSERT_TRUE(
            h.Db().VariableSetField(Variant(5001), FLDID_VARIABLE::VAR_VAL, Variant(value), false));
    }

    std::string Events() const {
        std::string text;
        for (const KestEvent& e : h.events) {
            EXPECT_EQ(e.ServiceName, "GEMTrace");
            text += e.EventName + ";";
        }
        return text;
    }

    /// Receives S2F23 and returns its TIAACK (-1 without one).
    int Start(SecsMessage primary) {
        Forget();
        Receive(std::move(primary));
        if (h.driver->replies.size() != 1) return -1;
        const SecsItem body = OnlyReplyBody("S2F24");
        return body.Format() == enmItemFormat::FormatBinary ? body.Value().ToInt32() : -1;
    }

    /// The bodies of the S6F1 sent, in order.
    std::vector<SecsItem> Reports() const {
        std::vector<SecsItem> bodies;
        for (const auto& sent : h.driver->sent) {
            if (sent->Primary().Name() == "S6F1") bodies.push_back(sent->Primary().Item(1));
        }
        return bodies;
    }
};

class TraceSetUp : public Traces, public ::testing::WithParamInterface<TraceCase> {};

TEST_P(TraceSetUp, IsAnsweredAndStartsOnlyWhenEveryFieldIsGood) {
    const TraceCase& c = GetParam();
    Check(c);
    EXPECT_EQ(Events(), c.events);
    EXPECT_EQ(h.core->TraceList().size(), c.running);
}

const SecsItem kOne = L(U4(5001));

INSTANTIATE_TEST_SUITE_P(
    Stream2, TraceSetUp,
    ::testing::Values(
        Ack("ten_seconds", S2F23(1, "000010", 5, 1, kOne), 0, "TraceStart;", 1),
        Ack("longest_period_all_formats", S2F23(1, "235959", 5, 4, L(U4(5004), U4(5003))), 0,
            "TraceStart;", 1),
        Ack("hours_24", S2F23(1, "240000", 5, 1, kOne), 3),
        Ack("minutes_60", S2F23(1, "006000", 5, 1, kOne), 3),
        Ack("seconds_60", S2F23(1, "000060", 5, 1, kOne), 3),
        Ack("letter", S2F23(1, "00a010", 5, 1, kOne), 3),
        Ack("blank", S2F23(1, "0000 1", 5, 1, kOne), 3),
        Ack("units_letter", S2F23(1, "00001a", 5, 1, kOne), 3),
        Ack("sign", S2F23(1, "-00001", 5, 1, kOne), 3),
        Ack("period_checked_before_group", S2F23(1, "990000", 5, 9, kOne), 3),
        Ack("group_0", S2F23(1, "000001", 5, 0, kOne), 1),
        Ack("group_5", S2F23(1, "000001", 5, 5, kOne), 1),
        Ack("unknown_svid", S2F23(1, "000001", 5, 1, L(U4(5001), U4(9999))), 1),
        Ack("member_svid", S2F23(1, "000001", 5, 1, L(U4(5006))), 1),
        Ack("no_svid", S2F23(1, "000001", 5, 1, L()), 1),
        Ack("stop_unknown", S2F23(7, "000000", 0, 1, L()), 0, "TraceEnd;"),
        Refused("dsper_5", S2F23(1, "00010", 5, 1, kOne)),
        Refused("dsper_7", S2F23(1, "0000010", 5, 1, kOne)),
        Refused("dsper_binary",
                S2F23(L(U4(1), B({'0', '0', '0', '0', '1', '0'}), U4(5), U4(1), kOne))),
        Refused("svid_u2", S2F23(1, "000001", 5, 1, L(U2(5001)))),
        Refused("svid_list_not_list", S2F23(L(U4(1), A("000001"), U4(5), U4(1), U4(5001)))),
        Refused("trid_a", S2F23(L(A("1"), A("000001"), U4(5), U4(1), kOne))),
        Refused("totsmp_two_values", S2F23(L(U4(1), A("000001"), U4(5, 6), U4(1), kOne))),
        Refused("repgsz_i4", S2F23(L(U4(1), A("000001"), U4(5), I4(1), kOne))),
        Refused("root_not_list", S2F23(U4(1))),
        Refused("root_of_four", S2F23(L(U4(1), A("000001"), U4(5), U4(1))), "S9F11")),
    kLabel);

TEST_F(Traces, ReportGroupsOfRepgszSamplesAndALastShortGroupThenEnd) {
    SetState("TimeFormat", 0);  // STIME keeps 16 characters whatever the clock format
    ASSERT_EQ(Start(S2F23(9, "000002", 7, 3, L(U4(5001), U4(5002)))), 0);
    Forget();
    for (int second = 1; second <= 16; ++second) {
        SetCount(second);
        Second();
    }
    auto group = [](std::uint32_t smpln, const char* stime, std::initializer_list<int> counts) {
        SecsItem values;
        for (int count : counts) {
            values.AddItem(U4(count));
            values.AddItem(A("lot"));
        }
        return L(U4(9), U4(smpln), A(stime), std::move(values));
    };
    const std::vector<SecsItem> expected{group(3, "2026120510000600", {2, 4, 6}),
                                         group(6, "2026120510001200", {8, 10, 12}),
                                         group(7, "2026120510001400", {14})};
    const std::vector<SecsItem> reports = Reports();
    ASSERT_EQ(reports.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(EncodeItem(reports[k]), EncodeItem(expected[k])) << ToSmlLine(reports[k]);
    EXPECT_EQ(Events(), "TraceSend;TraceSend;TraceSend;TraceEnd;");
    EXPECT_TRUE(h.core->TraceList().empty());
    EXPECT_FALSE(h.core->TraceTime(1)->Enabled);

    // The host's acknowledgement belongs to no transaction.
    h.driver->InjectReply(h.driver->sent.back(), Reply(6, 2, B({0})));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(Traces, FourRunAtOnceARepeatReplacesAndTotsmpZeroStops) {
    for (std::uint32_t trid = 1; trid <= 4; ++trid)
        ASSERT_EQ(Start(S2F23(trid, "000001", 100, 1, kOne)), 0);
    EXPECT_EQ(Start(S2F23(5, "000001", 100, 1, kOne)), 2);
    EXPECT_EQ(Events(), "");
    Second();
    ASSERT_EQ(Reports().size(), 4u);

    // TRID 2 again: the same element, its count from 1, its new period and group.
    EXPECT_EQ(Start(S2F23(2, "000002", 100, 2, L(U4(5002)))), 0);
    EXPECT_EQ(Events(), "TraceStart;");
    EXPECT_EQ(Start(S2F23(3, "000000", 0, 1, L())), 0);
    EXPECT_EQ(Events(), "TraceEnd;");
    Forget();
    for (int second = 0; second < 4; ++second)
        Second();
    const std::vector<SecsItem> reports = Reports();
    std::vector<std::uint32_t> trids;
    for (const SecsItem& report : reports)
        trids.push_back(static_cast<std::uint32_t>(report.Item(1).Value().ToInt64()));
    EXPECT_EQ(trids, (std::vector<std::uint32_t>{1, 4, 1, 4, 1, 4, 1, 2, 4}));
    ASSERT_EQ(reports.size(), 9u);
    EXPECT_EQ(reports[7].Item(2), U4(2));
    EXPECT_EQ(reports[7].Item(4), L(A("lot"), A("lot")));

    // The stopped trace's element is free again.
    EXPECT_EQ(Start(S2F23(5, "000001", 100, 1, kOne)), 0);
    EXPECT_EQ(h.core->TraceList().back().TimerIndex, 3);
}

TEST_F(Traces, TenThousandVariablesAreSampledAndAwayHostsGetThemSpooled) {
    SecsItem svids;
    for (int k = 0; k < 10'000; ++k) {
        svids.AddItem(U4(5001 + k % 4));
    }
    ASSERT_EQ(Start(S2F23(4'000'000'000u, "000000", 2, 1, std::move(svids))), 0);
    Forget();
    Second();
    const std::vector<SecsItem> reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Item(1), U4(4'000'000'000u));
    ASSERT_EQ(reports[0].Item(4).Count(), 10'000u);
    EXPECT_EQ(reports[0].Item(4).Item(9'999), F4(1.5));
    EXPECT_EQ(reports[0].Item(4).Item(10'000), Boolean({true}));

    h.driver->RaiseDisconnect();
    const std::size_t spooled = h.core->SpoolList().size();
    Second();
    ASSERT_EQ(h.core->SpoolList().size(), spooled + 1);
    EXPECT_EQ(h.core->SpoolList().back()->Primary().Name(), "S6F1");
    EXPECT_TRUE(h.core->TraceList().empty());
}

}  // namespace
}  // namespace kest::test
