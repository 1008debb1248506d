// The control's creation and destruction, and the window members it needs a started tool for.
#include <gtest/gtest.h>

#include "gemdb/gemdb.h"
#include "settings/secs_initialize.h"
#include "settings/secs_protocol.h"
#include "support/control_harness.h"
#include "support/test_helpers.h"

namespace kest::test {
namespace {

TEST(Creation, WithoutADatabaseOnlyTheBoxIsShown) {
    ControlHarness h({.with_database = false});
    ASSERT_EQ(h.boxes->texts.size(), 1u);
    EXPECT_EQ(h.boxes->texts[0], "GEM Database [" + (h.dir / "GEM.mdb").string() + "] not found!");
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(h.server->SECSProtocol(), nullptr);
    EXPECT_EQ(h.server->SECSInitialize(), nullptr);
    EXPECT_EQ(h.core->Actions().Size(), 0u);
    // Every later call fails into its error trap.
    EXPECT_FALSE(h.server->UpdatePPEXECName("P1"));
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "KestServer:UpdatePPEXECName");
    EXPECT_EQ(h.errors[0].ErrCode, 91);
}

TEST(Creation, InitialisesStateSettingsAndLists) {
    ControlHarness h;
    EXPECT_TRUE(h.errors.empty()) << h.errors[0].ErrSource << " " << h.errors[0].ErrText;
    EXPECT_TRUE(h.boxes->texts.empty());
    EXPECT_EQ(h.server->GEMTimeout(), 150);
    EXPECT_EQ(
        h.GemVar("SpoolState") + h.GemVar("SpoolUnloadSubstate") + h.GemVar("SpoolLoadSubstate"),
        "256");
    ASSERT_EQ(h.core->Actions().Size(), 1u);
    EXPECT_NE(h.core->Actions().Find("EDPrimaryIn"), nullptr);
    // The settings objects carry the fixed start values.
    EXPECT_EQ(h.core->Setting("SECSLogFile"), (h.dir / "Log" / "SECSII.log").string());
    EXPECT_EQ(h.core->Setting("SECSILogPath"), (h.dir / "Log").string());
    EXPECT_EQ(h.driver->load_dictionary_calls, 1);
    EXPECT_EQ(h.driver->DictionaryFile(), (h.dir / "Default.xml").string());
    // Trace timer elements 1 to 4 exist, idle; 0 and 5 do not.
    for (int i = 1; i <= 4; ++i) {
        ASSERT_NE(h.core->TraceTime(i), nullptr);
        EXPECT_FALSE(h.core->TraceTime(i)->Enabled);
        EXPECT_EQ(h.core->TraceTime(i)->Interval, 0);
    }
    EXPECT_EQ(h.core->TraceTime(0), nullptr);
    EXPECT_EQ(h.core->TraceTime(5), nullptr);
}

TEST(Creation, TheServiceLogCarriesTheBanners) {
    ControlHarness h;
    const auto log = h.dir / "Log" / "KestTool_2026-12-05.log";
    EXPECT_NE(ReadFile(log).find("************KestServer Started************"), std::string::npos);
    h.core.reset();
    h.server.reset();
    std::string text = ReadFile(log);
    EXPECT_NE(text.find("************KestServer Stopped************"), std::string::npos);
    EXPECT_LT(text.find("Started"), text.find("Stopped"));
    EXPECT_GE(h.driver->close_calls, 1);  // destroying closes the port whatever it said
}

TEST(Creation, TheLimitsOfAnEarlierRunAreCleared) {
    ControlHarness h;
    ASSERT_TRUE(h.Db().LimitAddAttr({1, 1, "5", "1", 0}));
    KestServerOptions options;
    options.clock = h.clock;
    options.driver_factory = [](asio::any_io_executor) { return std::make_shared<FakeDriver>(); };
    options.boxes = h.boxes;
    options.run_timers = false;
    auto second = KestServer::Create(h.io.get_executor(), h.dir, options);
    EXPECT_TRUE(second->GEMDB()->LimitGetAllVID().empty());
}

TEST(Window, MembersNeedAStartedTool) {
    ControlHarness h;
    EXPECT_FALSE(h.server->ShowGEMTool(false));
    EXPECT_FALSE(h.server->HideGEMTool());
    EXPECT_FALSE(h.server->RefreshGEMTool());
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{4005, 4005, 4005}));
    EXPECT_EQ(h.errors[0].ErrText, "KestTool is not started.");
    EXPECT_EQ(h.errors[0].ErrSource, "KestServer:ShowGEMTool");
}

}  // namespace
}  // namespace kest::test
