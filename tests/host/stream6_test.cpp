#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

class EventData : public HostTest {
  protected:
    void SetUp() override {
        AddVariable(1101, "Count", enmItemFormat::FormatU4, "3");
        AddVariable(1102, "Name", enmItemFormat::FormatAscii, "W1");
        KestRecReport r;
        r.SetID(1010);
        ASSERT_TRUE(h.Db().ReportAddRecord(r));
        ASSERT_TRUE(h.Db().EvtRptAddVariable(1010, 1102, 2));
        ASSERT_TRUE(h.Db().EvtRptAddVariable(1010, 1101, 1));
        r.SetID(1020);
        ASSERT_TRUE(h.Db().ReportAddRecord(r));
        ASSERT_TRUE(h.Db().EvtRptLinkReport(1500, 1020, 2));
        ASSERT_TRUE(h.Db().EvtRptLinkReport(1500, 1010, 1));
    }
};

TEST_F(EventData, S6F15ListsEveryLinkedReportInOrder) {
    Receive(6, 15, U4(1500));
    EXPECT_EQ(OnlyReplyBody("S6F16"),
              L(U4(1), U4(1500), L(L(U4(1010), L(U4(3), A("W1"))), L(U4(1020), L()))));
}

TEST_F(EventData, S6F15ForAnEventWithoutReports) {
    Receive(6, 15, U4(4242));
    EXPECT_EQ(OnlyReplyBody("S6F16"), L(U4(1), U4(4242), L()));
}

TEST_F(EventData, S6F19GivesTheReportsValues) {
    Receive(6, 19, U4(1010));
    EXPECT_EQ(OnlyReplyBody("S6F20"), L(U4(3), A("W1")));
    h.driver->replies.clear();
    Receive(6, 19, U4(9999));
    EXPECT_EQ(OnlyReplyBody("S6F20"), L());
}

TEST_F(EventData, WrongFormatsGetS9F7) {
    Receive(6, 15, U2(1500));
    Receive(6, 19, L());
    Receive(6, 23, U4(0));
    EXPECT_EQ(Sent(), (std::vector<std::string>{"S9F7", "S9F7", "S9F7"}));
    EXPECT_TRUE(h.driver->replies.empty());
}

class SpoolRequests : public HostTest {
  protected:
    // Spooling active with `n` messages in the spool.
    void Spool(int n) {
        h.Sql("UPDATE secs_gemvar SET var_max='100' WHERE var_name='MaxSpoolTransmit'");
        h.driver->RaiseDisconnect();  // spooling activates; its own event is spooled
        for (int i = 1; i < n; ++i) {
            h.core->SendSECSTrans(h.driver->CreateTransaction("S6F11"), "NULL");
        }
        ASSERT_EQ(h.core->SpoolList().size(), static_cast<std::size_t>(n));
        h.Communicating();
        h.ClearRecords();
        h.driver->sent.clear();
    }
    std::uint8_t Rsda(int rsdc) {
        h.driver->replies.clear();
        Receive(6, 23, U1(rsdc));
        SecsItem body = OnlyReplyBody("S6F24");
        return body.Format() == enmItemFormat::FormatBinary && body.Count() == 1
                   ? static_cast<std::uint8_t>(body.Value().ToInt32())
                   : 255;
    }
};

TEST_F(SpoolRequests, RefusalsWhenThereIsNothingToDo) {
    EXPECT_EQ(Rsda(2), 1);  // neither transmit nor purge
    EXPECT_EQ(Rsda(0), 2);  // spooling inactive
}

TEST_F(SpoolRequests, TransmitSendsEverythingInOrderAndEndsSpooling) {
    Spool(3);
    auto first = h.core->SpoolList()[0];
    EXPECT_EQ(Rsda(0), 0);
    ASSERT_EQ(h.driver->sent.size(), 4u);  // three spooled, then "GemSpoolingDeactivated"
    EXPECT_EQ(h.driver->sent[0], first);
    EXPECT_TRUE(h.core->SpoolList().empty());
    EXPECT_EQ(h.GemVar("SpoolState"), "2");
    EXPECT_EQ(h.GemVar("SpoolUnloadSubstate"), "5");
    EXPECT_EQ(h.GemVar("SpoolLoadSubstate"), "6");
    auto deactivated = h.Db().EventGetRecord("GemSpoolingDeactivated", true);
    ASSERT_TRUE(deactivated.has_value());
    EXPECT_EQ(h.driver->sent[3]->Primary().Item(1).Item(2).Value().ToInt32(), deactivated->ID());
}

TEST_F(SpoolRequests, MaxSpoolTransmitLimitsOneTransmission) {
    Spool(10);
    h.SetGemVar("MaxSpoolTransmit", 4);
    h.driver->sent.clear();
    EXPECT_EQ(Rsda(0), 0);
    EXPECT_EQ(h.driver->sent.size(), 4u);
    EXPECT_EQ(h.core->SpoolList().size(), 6u);
    EXPECT_EQ(h.GemVar("SpoolState"), "1");  // still spooling
    EXPECT_EQ(Rsda(0), 0);                   // and the next request takes the next four
    EXPECT_EQ(h.core->SpoolList().size(), 2u);
}

TEST_F(SpoolRequests, PurgeEmptiesTheSpoolWithoutSending) {
    Spool(3);
    EXPECT_EQ(Rsda(1), 0);
    EXPECT_TRUE(h.core->SpoolList().empty());
    EXPECT_EQ(h.GemVar("SpoolState"), "2");
    EXPECT_EQ(Sent(), std::vector<std::string>{"S6F11"});  // only "GemSpoolingDeactivated"
}

}  // namespace
}  // namespace kest::test
