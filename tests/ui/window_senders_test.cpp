// The messages the window sends for the control's Send_ members: a map file as an event report,
// an event report by CEID from the GEM or the user tables, and the S14F1 map request.
#include <gtest/gtest.h>

#include <fstream>

#include "gemdb/gemdb.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;
namespace fs = std::filesystem;

class WindowSenders : public WindowTest {
  protected:
    void SetUp() override {
        StartTool();
        h.Communicating();
        h.ClearRecords();
        h.driver->sent.clear();
    }
    // The body of the one primary sent, which must be `name` with the W-bit.
    SecsItem Only(const char* name) const {
        EXPECT_EQ(h.driver->SentNames(), std::vector<std::string>{name});
        if (h.driver->sent.size() != 1) return {};
        EXPECT_TRUE(h.driver->sent[0]->ReplyExpected());
        return h.driver->sent[0]->Primary().Item(1);
    }
    // Report `rptid` with variable `vid`, linked to event `ceid`.
    void LinkReport(std::int32_t ceid, std::int32_t rptid, std::int32_t vid) {
        KestRecReport report;
        report.SetID(rptid);
        report.SetName("R" + std::to_string(rptid));
        ASSERT_TRUE(h.Db().ReportAddRecord(report));
        ASSERT_TRUE(h.Db().EvtRptAddVariable(rptid, vid, 1));
        ASSERT_TRUE(h.Db().EvtRptLinkReport(ceid, rptid, 1));
    }
    void AddEvent(std::int32_t ceid, bool enable) {
        KestRecEvent event;
        event.SetID(ceid);
        event.SetName("E" + std::to_string(ceid));
        event.SetEnable(enable);
        ASSERT_TRUE(h.Db().EventAddRecord(event));
    }
};

TEST_F(WindowSenders, AMapFileGoesUpAsTheBytesOfOneEventReport) {
    fs::create_directories(h.dir / "maps" / "lot");
    std::ofstream(h.dir / "maps" / "lot" / "W01", std::ios::binary)
        << std::string("\x01\x00\xff", 3);
    const std::string path = (h.dir / "maps").string();
    EXPECT_TRUE(h.server->Send_S6F11_UploadMapData("lot\\W01", path).ToBool());
    EXPECT_EQ(Only("S6F11"), L(U2(1), U2(16), L(L(U2(7), L(B({1, 0, 255}))))));
    EXPECT_EQ(h.GemVar("ObjectID"), "lot\\W01");

    h.driver->sent.clear();
    EXPECT_FALSE(h.server->Send_S6F11_UploadMapData("W02", path).ToBool());
    EXPECT_TRUE(h.driver->sent.empty());
    EXPECT_EQ(h.GemVar("ObjectID"), "lot\\W01");
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(WindowSenders, AnEventByCeidReadsTheTablesItsNumberSelects) {
    // VID 46 is the GEM variable "ObjectID"; 1501 a user variable. Each is found only in the
    // tables of its own kind.
    KestRecVariable count;
    count.SetID(1501);
    count.SetName("Count");
    count.SetVarFormat(static_cast<int>(enmItemFormat::FormatU2));
    count.SetValue("7");
    ASSERT_TRUE(h.Db().VariableAddRecord(count));
    h.SetGemVar("ObjectID", "W9");
    AddEvent(101, true);
    LinkReport(101, 1010, 1501);
    LinkReport(101, 1011, 46);
    LinkReport(100, 1000, 46);
    h.Sql(
        "INSERT OR REPLACE INTO secs_gemevent (evt_id, evt_name, evt_enable) "
        "VALUES (100, 'Hundred', 1)");
    h.ClearRecords();
    h.driver->sent.clear();

    EXPECT_TRUE(h.server->Send_S6F11("101").ToBool());
    EXPECT_EQ(Only("S6F11"), L(U4(1), U4(101), L(L(U4(1010), L(U2(7))), L(U4(1011), L(L())))));
    h.driver->sent.clear();
    EXPECT_TRUE(h.server->Send_S6F11("100").ToBool());
    EXPECT_EQ(Only("S6F11"), L(U4(1), U4(100), L(L(U4(1000), L(A("W9"))))));
    EXPECT_TRUE(h.errors.empty()) << h.errors.front().ErrText;
}

TEST_F(WindowSenders, ADisabledEventSendsNothingAndSaysSo) {
    AddEvent(160, false);
    h.driver->sent.clear();
    EXPECT_FALSE(h.server->Send_S6F11("160").ToBool());
    EXPECT_TRUE(h.driver->sent.empty());
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "frmMain:SendEventToHost");
    EXPECT_EQ(h.errors[0].ErrText, "CEID : 160 is not enable. Cannot send event report.");
}

TEST_F(WindowSenders, TheMapRequestAsksForTheObjectsMapData) {
    h.SetGemVar("ObjectSpec", "TOOL1");
    EXPECT_TRUE(h.server->Send_S14F1("W01", "ignored"));
    EXPECT_EQ(Only("S14F1"), L(A("TOOL1"), A("Substrate"), L(A("W01")),
                               L(L(A("SubstrateType"), A("Wafer"), U1(0))), L(A("MapData"))));
    // Off-line, the senders are refused like every other message.
    h.SetGemVar("ControlState", 1);
    h.ClearRecords();
    h.driver->sent.clear();
    EXPECT_FALSE(h.server->Send_S14F1("W01", "ignored"));
    EXPECT_TRUE(h.driver->sent.empty());
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{4021});
}

}  // namespace
}  // namespace kest::test
