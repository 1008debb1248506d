// The life cycle every equipment-initiated transaction shares, run against the three services
// of stream 1 and 2: reply matching by tag and name, time-outs, link loss and driver errors.
#include <gtest/gtest.h>

#include <functional>
#include <set>

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
    SecsMessage reply;  ///< a good answer from the host
    const char* service;
    const char* method;
    const char* output;
    Variant answered;  ///< the output's value for `reply`
    Variant failed;    ///< its value on link loss and on 3005/3014
};

std::vector<ServiceCase> Cases() {
    return {
        {"EstabComm", [](KestServer& s) { return s.GEMEstabComm()->Connect(); }, "S1F13",
         Reply(1, 14, L(B({0}), L(A("HOST"), A("1.0")))), "GEMEstabComm", "Connect",
         "CommEstablished", true, false},
        {"HeartBeat", [](KestServer& s) { return s.GEMHeartBeat()->AreYouThere(); }, "S1F1",
         Reply(1, 2, L(A("HOST"), A("1.0"))), "GEMHeartBeat", "AreYouThere", "Online", true, false},
        {"Clock", [](KestServer& s) { return s.GEMClock()->GetDateTime(); }, "S2F17",
         Reply(2, 18, A("261205103000")), "GEMClock", "GetDateTime", "DateTime", "261205103000",
         "NULL"},
    };
}

class TransactionLife : public ::testing::TestWithParam<ServiceCase> {
  protected:
    void SetUp() override {
        h.Communicating();
        h.ClearRecords();
    }

    /// Starts one exchange and returns the primary it sent.
    std::shared_ptr<SecsTransaction> Start() {
        std::size_t before = h.driver->sent.size();
        EXPECT_TRUE(GetParam().start(*h.server));
        EXPECT_EQ(h.driver->sent.size(), before + 1);
        if (h.driver->sent.size() != before + 1) return nullptr;
        auto trans = h.driver->sent.back();
        EXPECT_EQ(trans->Primary().Name(), GetParam().primary);
        return trans;
    }

    /// The method notifications of the service under test (state changes caused by the
    /// test's set-up may report other services' transactions).
    std::vector<KestMethod> Outcomes() const {
        std::vector<KestMethod> found;
        for (const auto& m : h.methods) {
            if (m.ServiceName == GetParam().service) found.push_back(m);
        }
        return found;
    }

    /// Its "GEMTimeout" events.
    std::vector<KestEvent> Timeouts() const {
        std::vector<KestEvent> found;
        for (const auto& e : h.events) {
            if (e.ServiceName == GetParam().service && e.EventName == "GEMTimeout") {
                found.push_back(e);
            }
        }
        return found;
    }

    void ExpectOutcome(const KestMethod& m, std::int32_t tid, const Variant& value) {
        EXPECT_EQ(m.ServiceName, GetParam().service);
        EXPECT_EQ(m.MethodName, GetParam().method);
        EXPECT_EQ(m.TID, tid);
        EXPECT_EQ(m.Output(GetParam().output), value) << value.ToText();
        EXPECT_FALSE(Live(tid));
    }

    bool Live(std::int32_t tid) { return h.core->Actions().Contains(tid); }

    void ExpectTimeoutAfter(int seconds, std::int32_t tid) {
        h.Tick(seconds - 1);
        EXPECT_TRUE(Timeouts().empty());
        h.Tick(1);
        auto timeouts = Timeouts();
        ASSERT_EQ(timeouts.size(), 1u);
        ASSERT_EQ(timeouts[0].Outputs().size(), 1u);
        EXPECT_EQ(timeouts[0].Outputs()[0].ItemName, "MethodName");
        EXPECT_EQ(timeouts[0].Outputs()[0].ItemValue.ToText(), GetParam().method);
        EXPECT_FALSE(Live(tid));
    }

    ControlHarness h;
};

void PrintTo(const ServiceCase& c, std::ostream* os) {
    *os << c.label;
}

TEST_P(TransactionLife, TheMatchingReplyEndsIt) {
    auto trans = Start();
    ASSERT_NE(trans, nullptr);
    EXPECT_TRUE(Live(TagOf(*trans)));
    h.driver->InjectReply(trans, GetParam().reply);
    ASSERT_EQ(Outcomes().size(), 1u);
    ExpectOutcome(Outcomes()[0], TagOf(*trans), GetParam().answered);
    EXPECT_TRUE(h.errors.empty());
}

TEST_P(TransactionLife, UnansweredItTimesOutOnThe150thPass) {
    auto trans = Start();
    ASSERT_NE(trans, nullptr);
    ExpectTimeoutAfter(150, TagOf(*trans));
    EXPECT_TRUE(Outcomes().empty());
}

TEST_P(TransactionLife, TheControlsTimeoutIsCopiedAtCreation) {
    h.server->SetGEMTimeout(3);
    auto trans = Start();
    ASSERT_NE(trans, nullptr);
    h.server->SetGEMTimeout(150);
    ExpectTimeoutAfter(3, TagOf(*trans));
}

TEST_P(TransactionLife, RepliesWithAnotherTagOrNameAreIgnored) {
    auto trans = Start();
    ASSERT_NE(trans, nullptr);
    const std::int32_t tid = TagOf(*trans);
    const SecsMessage& good = GetParam().reply;

    trans->SetTag(tid + 1);
    h.driver->InjectReply(trans, good);
    trans->SetTag(Variant());
    h.driver->InjectReply(trans, good);
    trans->SetTag("not a number");
    h.driver->InjectReply(trans, good);
    trans->SetTag(tid);
    // Another function of the stream (an abort), and the right function in another stream.
    h.driver->InjectReply(trans, Reply(good.Stream(), 0));
    h.driver->InjectReply(trans, Reply(good.Stream() == 1 ? 2 : 1, good.Function()));
    h.driver->InjectReply(trans, Reply(9, 7, B({0})));
    // A reply the driver marked in error reaches no transaction.
    h.driver->InjectReply(trans, good, 2016);

    EXPECT_TRUE(Outcomes().empty());
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{4009}));
    EXPECT_TRUE(Live(tid));
    ExpectTimeoutAfter(150, tid);
}

TEST_P(TransactionLife, TwoLiveTransactionsTakeOnlyTheirOwnReply) {
    auto first = Start();
    auto second = Start();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(TagOf(*first), TagOf(*second));
    h.driver->InjectReply(second, GetParam().reply);
    ASSERT_EQ(Outcomes().size(), 1u);
    ExpectOutcome(Outcomes()[0], TagOf(*second), GetParam().answered);
    EXPECT_TRUE(Live(TagOf(*first)));
    h.driver->InjectReply(first, GetParam().reply);
    ASSERT_EQ(Outcomes().size(), 2u);
    ExpectOutcome(Outcomes()[1], TagOf(*first), GetParam().answered);
}

TEST_P(TransactionLife, ALostLinkEndsEveryWaitingTransactionWithItsOwnTID) {
    std::set<std::int32_t> tids;
    for (int i = 0; i < 3; ++i) {
        auto trans = Start();
        ASSERT_NE(trans, nullptr);
        tids.insert(TagOf(*trans));
    }
    ASSERT_EQ(tids.size(), 3u);
    h.driver->RaiseDisconnect(3002, "closed by the remote entity");
    ASSERT_EQ(Outcomes().size(), 3u);
    std::set<std::int32_t> reported;
    for (const auto& m : Outcomes()) {
        ExpectOutcome(m, m.TID, GetParam().failed);
        reported.insert(m.TID);
    }
    EXPECT_EQ(reported, tids);
    EXPECT_EQ(h.core->Setting("PortOpened"), "FALSE");
}

TEST_P(TransactionLife, DriverErrorsOtherThan3005And3014LeaveItWaiting) {
    auto trans = Start();
    ASSERT_NE(trans, nullptr);
    for (int code : {2012, 2015, 3002, 3004, 3013, 3024}) {
        h.driver->RaiseError(code, code == 2012 ? "T3 timeout S1F3" : "driver error");
    }
    EXPECT_TRUE(Outcomes().empty());
    EXPECT_TRUE(Live(TagOf(*trans)));
}

TEST_P(TransactionLife, DriverErrors3005And3014EndIt) {
    for (int code : {3005, 3014}) {
        h.Communicating();  // each error drops the communication state
        h.ClearRecords();
        auto trans = Start();
        ASSERT_NE(trans, nullptr);
        h.driver->RaiseError(code, "timer expired");
        ASSERT_EQ(Outcomes().size(), 1u) << code;
        ExpectOutcome(Outcomes()[0], TagOf(*trans), GetParam().failed);
    }
}

TEST_P(TransactionLife, ALateReplyIsNotNotified) {
    auto trans = Start();
    ASSERT_NE(trans, nullptr);
    h.Tick(150);
    ASSERT_EQ(Timeouts().size(), 1u);
    h.driver->InjectReply(trans, GetParam().reply);
    EXPECT_TRUE(Outcomes().empty());
    EXPECT_TRUE(h.errors.empty());
}

TEST_P(TransactionLife, AnOutcomeOfATransactionNoLongerLiveIsOnlyLogged) {
    auto trans = Start();
    ASSERT_NE(trans, nullptr);
    // The control forgets it at its time-out; should its reply still reach it, the outcome
    // is written to the log and nobody is notified.
    auto action = h.core->Actions().Find(std::to_string(TagOf(*trans)));
    ASSERT_NE(action, nullptr);
    h.Tick(150);
    ASSERT_EQ(Timeouts().size(), 1u);
    trans->Secondary() = GetParam().reply;
    action->ReceivedSecondary(trans, 0, "");
    EXPECT_TRUE(Outcomes().empty());
    std::string line = std::string("<METHOD> [") + GetParam().service + "] " + GetParam().method;
    EXPECT_NE(ServiceLog(h).find(line), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(Stream1And2, TransactionLife, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kest::test
