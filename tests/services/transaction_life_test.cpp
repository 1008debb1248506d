// The life cycle every equipment-initiated transaction shares, run against the three services
// of stream 1 and 2: the request on the wire, refused and failed sends, reply matching by tag
// and name, what each reply reports, time-outs, link loss and driver errors; and the heartbeat
// timer that starts are-you-there transactions.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "service_fixture.h"
#include "services/gem_clock.h"
#include "services/gem_estab_comm.h"
#include "services/gem_heart_beat.h"

namespace kest::test {
namespace {

using namespace kest::build;

struct ServiceCase {
    const char* label;
    std::function<bool(KestServer&)> start;
    const char* primary;
    std::optional<SecsItem> request;  ///< the primary's body; none: header only
    SecsMessage reply;                ///< a good answer from the host
    const char* object;               ///< the transaction's name in errors
    const char* service;
    const char* method;
    std::size_t inputs;  ///< the method's inputs
    const char* output;
    Variant answered;           ///< the output's value for `reply`
    Variant failed;             ///< its value on link loss, on 3005/3014 and on a failed send
    bool reports_send_failure;  ///< a failed send is reported at once (else it times out)
};

enum ServiceIndex { kEstabComm, kHeartBeat, kClock };

const std::vector<ServiceCase>& Services() {
    static const std::vector<ServiceCase> services{
        {"EstabComm", [](KestServer& s) { return s.GEMEstabComm()->Connect(); }, "S1F13",
         L(A("KEST"), A("0.1.0")), Reply(1, 14, L(B({0}), L(A("HOST"), A("1.0")))),
         "EDEstablishComm", "GEMEstabComm", "Connect", 2, "CommEstablished", true, false, false},
        {"HeartBeat", [](KestServer& s) { return s.GEMHeartBeat()->AreYouThere(); }, "S1F1",
         std::nullopt, Reply(1, 2, L(A("HOST"), A("1.0"))), "EDHeartBeat", "GEMHeartBeat",
         "AreYouThere", 0, "Online", true, false, false},
        {"Clock", [](KestServer& s) { return s.GEMClock()->GetDateTime(); }, "S2F17", std::nullopt,
         Reply(2, 18, A("261205103000")), "EDClock", "GEMClock", "GetDateTime", 0, "DateTime",
         "261205103000", "NULL", true},
    };
    return services;
}

/// A communicating control and the exchanges of one service.
class Exchanges : public ServiceTest {
  protected:
    void SetUp() override {
        h.Communicating();
        h.ClearRecords();
    }

    /// Starts one exchange of `s` and returns the primary it sent, checked on the wire.
    std::shared_ptr<SecsTransaction> Start(const ServiceCase& s) {
        std::size_t before = h.driver->sent.size();
        EXPECT_TRUE(s.start(*h.server));
        EXPECT_EQ(h.driver->sent.size(), before + 1);
        if (h.driver->sent.size() != before + 1) return h.driver->CreateTransaction(s.primary);
        auto trans = h.driver->sent.back();
        EXPECT_EQ(trans->Primary().Name(), s.primary);
        EXPECT_TRUE(trans->ReplyExpected());
        EXPECT_EQ(trans->Primary().RootItem(), s.request ? L(*s.request) : SecsItem());
        EXPECT_TRUE(Live(TagOf(*trans)));
        return trans;
    }

    static std::string Outcome(std::int32_t tid, const Variant& value) {
        return std::to_string(tid) + " " + value.ToText();
    }
    /// The method notifications of `s` as "TID value" (state changes caused by the test's set-up
    /// may report other services' transactions); each has ended its transaction.
    std::vector<std::string> Outcomes(const ServiceCase& s) const {
        std::vector<std::string> found;
        for (const auto& m : h.methods) {
            if (m.ServiceName != s.service) continue;
            EXPECT_EQ(m.MethodName, s.method);
            EXPECT_EQ(m.Inputs().size(), s.inputs);
            EXPECT_EQ(m.Outputs().size(), 1u);
            EXPECT_FALSE(Live(m.TID));
            found.push_back(Outcome(m.TID, m.Output(s.output)));
        }
        return found;
    }

    /// The "GEMTimeout" events of `s`, each checked to name its method alone.
    std::size_t Timeouts(const ServiceCase& s) const {
        std::size_t n = 0;
        for (const auto& e : h.events) {
            if (e.ServiceName != s.service || e.EventName != "GEMTimeout") continue;
            ++n;
            EXPECT_EQ(e.Outputs().size(), 1u);
            EXPECT_EQ(e.Output("MethodName").ToText(), s.method);
        }
        return n;
    }

    bool Live(std::int32_t tid) const { return h.core->Actions().Contains(tid); }
};

using Strings = std::vector<std::string>;

class TransactionLife : public Exchanges, public ::testing::WithParamInterface<ServiceCase> {};

TEST_P(TransactionLife, EachTransactionTakesOnlyItsOwnReply) {
    const ServiceCase& s = GetParam();
    auto first = Start(s);
    auto second = Start(s);
    const std::int32_t tid = TagOf(*second);
    ASSERT_NE(TagOf(*first), tid);
    const SecsMessage& good = s.reply;
    second->SetTag(tid + 1);
    h.driver->InjectReply(second, good);
    second->SetTag(Variant());
    h.driver->InjectReply(second, good);
    second->SetTag("not a number");
    h.driver->InjectReply(second, good);
    second->SetTag(tid);
    // Another function of the stream (an abort), and the right function in another stream.
    h.driver->InjectReply(second, Reply(good.Stream(), 0));
    h.driver->InjectReply(second, Reply(good.Stream() == 1 ? 2 : 1, good.Function()));
    h.driver->InjectReply(second, Reply(9, 7, B({0})));
    // A reply the driver marked in error reaches no transaction.
    h.driver->InjectReply(second, good, 2016);
    EXPECT_EQ(Outcomes(s), Strings{});
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{4009}));

    h.driver->InjectReply(second, good);
    EXPECT_EQ(Outcomes(s), Strings{Outcome(tid, s.answered)});
    EXPECT_TRUE(Live(TagOf(*first)));
    h.driver->InjectReply(first, good);
    EXPECT_EQ(Outcomes(s), (Strings{Outcome(tid, s.answered), Outcome(TagOf(*first), s.answered)}));
}

TEST_P(TransactionLife, ItTimesOutAsSetAtCreationAndALateOutcomeIsOnlyLogged) {
    const ServiceCase& s = GetParam();
    auto first = Start(s);  // 150 s by default
    h.server->SetGEMTimeout(3);
    auto second = Start(s);
    h.server->SetGEMTimeout(150);
    auto action = h.core->Actions().Find(std::to_string(TagOf(*first)));
    ASSERT_NE(action, nullptr);
    h.Tick(2);
    EXPECT_EQ(Timeouts(s), 0u);
    h.Tick(1);
    EXPECT_EQ(Timeouts(s), 1u);
    EXPECT_FALSE(Live(TagOf(*second)));
    h.Tick(146);
    EXPECT_EQ(Timeouts(s), 1u);
    EXPECT_TRUE(Live(TagOf(*first)));
    h.Tick(1);
    EXPECT_EQ(Timeouts(s), 2u);
    EXPECT_FALSE(Live(TagOf(*first)));

    const std::string line = std::string("<METHOD> [") + s.service + "] " + s.method;
    h.driver->InjectReply(first, s.reply);  // reaches no transaction at all
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(ServiceLog().find(line), std::string::npos) << line;
    // Should it still reach the forgotten transaction, the outcome is logged and nobody told.
    first->Secondary() = s.reply;
    action->ReceivedSecondary(first, 0, "");
    EXPECT_EQ(Outcomes(s), Strings{});
    EXPECT_NE(ServiceLog().find(line), std::string::npos) << line;
}

TEST_P(TransactionLife, OnlyDriverErrors3005And3014AndALostLinkEndIt) {
    const ServiceCase& s = GetParam();
    for (int code : {3005, 3014}) {
        h.Communicating();  // each error drops the communication state
        h.ClearRecords();
        auto trans = Start(s);
        for (int other : {2012, 2015, 3002, 3004, 3013, 3024})
            h.driver->RaiseError(other, other == 2012 ? "T3 timeout S1F3" : "driver error");
        EXPECT_EQ(Outcomes(s), Strings{}) << code;
        h.driver->RaiseError(code, "timer expired");
        EXPECT_EQ(Outcomes(s), Strings{Outcome(TagOf(*trans), s.failed)}) << code;
    }
    h.Communicating();
    h.ClearRecords();
    Strings each;
    for (int i = 0; i < 3; ++i)
        each.push_back(Outcome(TagOf(*Start(s)), s.failed));
    h.driver->RaiseDisconnect(3002, "closed by the remote entity");
    Strings reported = Outcomes(s);
    std::ranges::sort(each);
    std::ranges::sort(reported);
    EXPECT_EQ(reported, each);
    EXPECT_EQ(h.core->Setting("PortOpened"), "FALSE");
}

TEST_P(TransactionLife, ADriverThatCannotSendIsASendFailure) {
    const ServiceCase& s = GetParam();
    h.driver->accept_sends = false;
    EXPECT_TRUE(s.start(*h.server));
    EXPECT_EQ(Errors(), (std::vector<ErrorRow>{{std::string(s.object) + ":Set IEDAction_Source",
                                                6002, SendFailed(s.primary)}}));
    EXPECT_EQ(Outcomes(s).size(), s.reports_send_failure ? 1u : 0u);
    EXPECT_EQ(LiveTransactions(), s.reports_send_failure ? 0u : 1u);
    h.Tick(150);
    EXPECT_EQ(Timeouts(s), s.reports_send_failure ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Stream1And2, TransactionLife, ::testing::ValuesIn(Services()), kLabel);

struct ReplyCase {
    const char* label;
    ServiceIndex service;
    SecsMessage reply;
    Variant output;
};

class ReplyOutcome : public Exchanges, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyOutcome, IsReadFromTheReplyAlone) {
    const ServiceCase& s = Services()[GetParam().service];
    const auto before = h.clock->Now();
    auto trans = Start(s);
    h.driver->InjectReply(trans, GetParam().reply);
    EXPECT_EQ(Outcomes(s), Strings{Outcome(TagOf(*trans), GetParam().output)});
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(LiveTransactions(), 0u);
    EXPECT_EQ(h.clock->Now(), before);  // the local clock is not touched
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyOutcome,
    ::testing::Values(
        ReplyCase{"S1F14_HostDataNotRead", kEstabComm, Reply(1, 14, L(B({0}))), true},
        ReplyCase{"S1F14_AcceptedAsU1", kEstabComm, Reply(1, 14, L(U1(0), L())), true},
        ReplyCase{"S1F14_Denied", kEstabComm, Reply(1, 14, L(B({1}), L(A("H"), A("1")))), false},
        ReplyCase{"S1F14_EmptyList", kEstabComm, Reply(1, 14, L()), false},
        ReplyCase{"S1F14_HeaderOnly", kEstabComm, Reply(1, 14), false},
        ReplyCase{"S1F14_ZeroLengthCommack", kEstabComm, Reply(1, 14, L(B(), L())), false},
        ReplyCase{"S1F14_ListFirst", kEstabComm, Reply(1, 14, L(L(), B({0}))), false},
        ReplyCase{"S1F14_NotAList", kEstabComm, Reply(1, 14, B({0})), false},
        ReplyCase{"S1F2_HeaderOnly", kHeartBeat, Reply(1, 2), true},
        ReplyCase{"S2F18_16Characters", kClock, Reply(2, 18, A("2026120510300012")),
                  "2026120510300012"},
        ReplyCase{"S2F18_Empty", kClock, Reply(2, 18, A("")), ""},
        ReplyCase{"S2F18_BlanksKept", kClock, Reply(2, 18, A(" 2612051030 ")), " 2612051030 "},
        ReplyCase{"S2F18_HeaderOnly", kClock, Reply(2, 18), "NULL"},
        ReplyCase{"S2F18_AListInstead", kClock, Reply(2, 18, L(A("261205103000"))), "NULL"}),
    kLabel);

struct RefusalCase {
    const char* label;
    ServiceIndex service;
    const char* port_opened;
    int comm_state;
    int control_state;
    std::vector<ErrorRow> errors;  ///< none: the request goes out
};

// The clock's request passes the send routine: refused, it is a send failure reported at once.
RefusalCase ClockRefused(const char* label, const char* port, int comm, int control, int code,
                         const char* state) {
    ErrorRow refused{"KestServer:SendSECSTrans", code,
                     std::string("Invalid ") + state + " state to perform this task."};
    ErrorRow failed{"EDClock:Set IEDAction_Source", 6002, SendFailed("S2F17")};
    return {label, kClock, port, comm, control, {refused, failed}};
}

// The other two need only an open port.
RefusalCase PortClosed(const char* label, ServiceIndex service, const char* source) {
    return {label, service, "FALSE", 2, 5, {{source, 4019, kPortClosed}}};
}

class SendRoutine : public Exchanges, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SendRoutine, RefusesOrSendsByPortCommunicationAndControlState) {
    const RefusalCase& c = GetParam();
    const ServiceCase& s = Services()[c.service];
    h.core->SetSetting("PortOpened", c.port_opened);
    h.SetGemVar("CommState", c.comm_state);
    h.SetGemVar("ControlState", c.control_state);
    h.ClearRecords();
    // Changing the control state may itself report events; only the service's traffic counts.
    const std::size_t live = LiveTransactions();
    const std::size_t spooled = h.core->SpoolList().size();
    const bool sent = c.errors.empty();
    EXPECT_EQ(s.start(*h.server), sent || s.reports_send_failure);
    EXPECT_EQ(Errors(), c.errors);
    EXPECT_EQ(std::ranges::count(h.driver->SentNames(), s.primary), sent ? 1 : 0);
    EXPECT_EQ(h.core->SpoolList().size(), spooled);
    EXPECT_EQ(LiveTransactions(), live + (sent ? 1 : 0));
    // A refused clock request reports at once, under the number of a transaction never sent.
    Strings expected;
    if (!sent && s.reports_send_failure) {
        expected.push_back(Outcome(h.methods.empty() ? 0 : h.methods[0].TID, s.failed));
    }
    EXPECT_EQ(Outcomes(s), expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, SendRoutine,
    ::testing::Values(ClockRefused("Clock_PortClosed", "FALSE", 2, 5, 4019, "port connect"),
                      ClockRefused("Clock_EquipmentOffline", "TRUE", 2, 1, 4021, "control"),
                      PortClosed("HeartBeat_PortClosed", kHeartBeat, "GEMHeartBeat:AreYouThere"),
                      PortClosed("EstabComm_PortClosed", kEstabComm, "GEMEstabComm:Connect"),
                      RefusalCase{"HeartBeat_Offline", kHeartBeat, "TRUE", 1, 1, {}},
                      RefusalCase{"EstabComm_Offline", kEstabComm, "TRUE", 1, 1, {}}),
    kLabel);

// The heartbeat timer: armed by the variable "HeartBeat", starting an are-you-there on each
// tick while communicating, and re-armed after every tick.
class HeartBeat : public Exchanges {};

TEST_F(HeartBeat, TheTimerFollowsTheVariableTicksOnlyWhileCommunicatingAndRearms) {
    EXPECT_FALSE(h.core->HeartBeatEnabled());  // "HeartBeat" is 0 by default: off
    h.SetGemVar("HeartBeat", 7);
    h.core->SetHeartBeat();
    const struct {
        const char* port_opened;
        int comm_state;
        std::vector<int> errors;
        std::vector<std::string> sent;
    } ticks[] = {{"TRUE", 0, {}, {}},
                 {"TRUE", 1, {}, {}},
                 {"FALSE", 2, {4019}, {}},
                 {"TRUE", 2, {}, {"S1F1"}}};
    for (const auto& tick : ticks) {
        h.core->SetSetting("PortOpened", tick.port_opened);
        h.SetGemVar("CommState", tick.comm_state);
        h.ClearRecords();
        h.core->HeartBeatTick();
        EXPECT_EQ(h.ErrorCodes(), tick.errors) << tick.port_opened << tick.comm_state;
        EXPECT_EQ(h.driver->SentNames(), tick.sent) << tick.port_opened << tick.comm_state;
        EXPECT_EQ(h.core->HeartBeatInterval(), 7000);
        EXPECT_TRUE(h.core->HeartBeatEnabled()) << tick.port_opened << tick.comm_state;
    }
    // The heartbeat's S1F1 is an ordinary are-you-there: it times out like one.
    h.Tick(150);
    EXPECT_EQ(Timeouts(Services()[kHeartBeat]), 1u);
    h.SetGemVar("HeartBeat", 0);
    h.core->SetHeartBeat();
    EXPECT_EQ(h.core->HeartBeatInterval(), 0);
    EXPECT_FALSE(h.core->HeartBeatEnabled());
}

}  // namespace
}  // namespace kest::test
