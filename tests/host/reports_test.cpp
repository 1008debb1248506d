// Reports, event links and event switches from the host: every refusal leaves the report,
// link and event tables as they were; accepted messages change exactly what they name.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

/// User variables 1001 and 1002, list variable 1003 with child 1004; user events 2001 (linked
/// to report 3001 of variable 1001) and 2002 (no report, disabled); report -1; the default
/// reports linked to the GEM events.
class Reports : public HostTest {
  protected:
    void SetUp() override {
        AddVariable(1001, "Temp", enmItemFormat::FormatU4, "1");
        AddVariable(1002, "Lot", enmItemFormat::FormatAscii, "L1");
        AddVariable(1003, "Wafers", enmItemFormat::FormatList, "NULL");
        AddVariable(1004, "Wafer", enmItemFormat::FormatAscii, "W", 1003);
        AddEvent(2001, "Start");
        AddEvent(2002, "Stop", false);
        AddReport(3001, {1001});
        Link(2001, {3001});
        // Reports may have negative IDs: a U4 beyond the keys must not wrap onto one.
        h.Sql("INSERT INTO secs_report (rpt_id, rpt_name) VALUES (-1, 'Negative')");
        h.Db().NoticeExternalChange();
        Forget();
    }

    /// The report, variable-link and event-link tables and every event's enable flag.
    std::string Tables() const {
        std::string text;
        for (const char* query : {"SELECT * FROM secs_report ORDER BY rpt_id",
                                  "SELECT * FROM secs_rpt_var ORDER BY rowid",
                                  "SELECT * FROM secs_evt_rpt ORDER BY rowid",
                                  "SELECT evt_id, evt_enable FROM secs_gemevent ORDER BY evt_id",
                                  "SELECT evt_id, evt_enable FROM secs_cusevent ORDER BY evt_id"}) {
            for (const std::string& row : h.Rows(query))
                text += row + "\n";
            text += "--\n";
        }
        return text;
    }

    /// Sends S2F<function> with `body` and returns the one-byte acknowledge.
    int Ack(int function, SecsItem body) {
        Forget();
        Receive(2, function, std::move(body));
        const SecsItem reply = OnlyReplyBody(MessageName(2, function + 1));
        return reply.Count() == 1 ? static_cast<int>(reply.Value().ToInt64()) : -1;
    }

    std::vector<std::string> Rows(const std::string& query) const { return h.Rows(query); }
};

/// A message refused one way or another (or answered without writing).
struct RefusedCase : HostCase {};

class RefusedReports : public Reports, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedReports, LeaveEveryTableUnchanged) {
    const std::string before = Tables();
    Check(GetParam());
    EXPECT_EQ(Tables(), before);
    EXPECT_TRUE(h.events.empty()) << ::testing::PrintToString(h.EventNames());
}

RefusedCase Acked(const char* label, int function, SecsItem body, int ack) {
    return {{label, SecsMessage(2, function, true, std::move(body)), B({std::uint8_t(ack)})}};
}

RefusedCase Refused(const char* label, int function, std::optional<SecsItem> body,
                    const char* refusal) {
    return {
        {label,
         body ? SecsMessage(2, function, true, std::move(*body)) : SecsMessage(2, function, true),
         std::nullopt, refusal}};
}

// One S2F33 entry, or one S2F35 entry: an ID and its list.
SecsItem E(std::uint32_t id, SecsItem list) {
    return L(U4(id), std::move(list));
}

INSTANTIATE_TEST_SUITE_P(
    Stream2, RefusedReports,
    ::testing::Values(
        // S2F33 define report
        Refused("define_no_body", 33, std::nullopt, "S9F7"),
        Refused("define_root_of_three", 33, L(U4(1), L(), U4(1)), "S9F11"),
        Refused("define_root_not_list", 33, U4(1, 2), "S9F11"),
        Acked("define_dataid_u2", 33, L(U2(1), L(E(5001, L(U4(1001))))), 2),
        Acked("delete_all_dataid_i4", 33, L(I4(1), L()), 2),
        Acked("define_rptid_i4", 33, L(U4(1), L(L(I4(5001), L(U4(1001))))), 2),
        Acked("define_rptid_two_values", 33, L(U4(1), L(L(U4(5001, 5002), L(U4(1001))))), 2),
        Acked("define_vid_u2", 33, L(U4(1), L(E(5001, L(U4(1001), U2(1002))))), 2),
        Acked("define_vids_not_list", 33, L(U4(1), L(E(5001, U4(1001)))), 2),
        Acked("define_entry_of_three", 33, L(U4(1), L(L(U4(5001), L(U4(1001)), U4(1)))), 2),
        Acked("define_entries_not_list", 33, L(U4(1), U4(5001)), 2),
        Acked("define_then_delete", 33, L(U4(1), L(E(5001, L(U4(1001))), E(3001, L()))), 2),
        Acked("delete_then_define", 33, L(U4(1), L(E(3001, L()), E(5001, L(U4(1001))))), 2),
        Acked("define_existing", 33, L(U4(1), L(E(5001, L(U4(1001))), E(3001, L(U4(1002))))), 3),
        Acked("define_twice", 33, L(U4(1), L(E(5001, L(U4(1001))), E(5001, L(U4(1002))))), 3),
        Acked("define_unknown_vid", 33, L(U4(1), L(E(5001, L(U4(1001), U4(9999))))), 4),
        Acked("define_child_vid", 33, L(U4(1), L(E(5001, L(U4(1001))), E(5002, L(U4(1004))))), 4),
        // S2F35 link event report
        Refused("link_root_of_one", 35, L(U4(1)), "S9F11"),
        Acked("link_dataid_i4", 35, L(I4(1), L(E(2002, L(U4(3001))))), 2),
        Acked("link_entries_not_list", 35, L(U4(1), U4(2002)), 2),
        Acked("link_entry_of_one", 35, L(U4(1), L(L(U4(2002)))), 2),
        Acked("link_ceid_u2", 35, L(U4(1), L(L(U2(2002), L(U4(3001))))), 2),
        Acked("link_rptid_i4", 35, L(U4(1), L(E(2002, L(I4(3001))))), 2),
        Acked("link_rptids_not_list", 35, L(U4(1), L(E(2002, U4(3001)))), 2),
        Acked("link_then_unlink", 35, L(U4(1), L(E(2002, L(U4(3001))), E(2001, L()))), 2),
        Acked("link_already_linked_last", 35,
              L(U4(1), L(E(2002, L(U4(3001))), E(2001, L(U4(3001))))), 3),
        Acked("link_same_event_twice", 35, L(U4(1), L(E(2002, L(U4(3001))), E(2002, L(U4(1))))), 3),
        Acked("link_unknown_ceid", 35, L(U4(1), L(E(2002, L(U4(3001))), E(2003, L()))), 4),
        Acked("link_ceid_beyond_keys", 35, L(U4(1), L(E(0x80000000u, L(U4(3001))))), 4),
        Acked("link_rptid_beyond_keys", 35, L(U4(1), L(E(2002, L(U4(0xFFFFFFFFu))))), 5),
        Acked("link_unknown_rptid", 35, L(U4(1), L(E(2002, L(U4(3001), U4(3002))))), 5),
        // S2F37 enable/disable event report
        Refused("enable_root_of_three", 37, L(Boolean({true}), L(), L()), "S9F11"),
        Refused("enable_ceed_u1", 37, L(U1(1), L()), "S9F7"),
        Refused("enable_ceed_two_values", 37, L(Boolean({true, false}), L()), "S9F7"),
        Refused("enable_ceid_u2", 37, L(Boolean({true}), L(U2(2002))), "S9F7"),
        Refused("enable_ceids_not_list", 37, L(Boolean({true}), U4(2002)), "S9F7"),
        Acked("enable_unknown_ceid_last", 37, L(Boolean({false}), L(U4(2001), U4(1), U4(2003))), 1),
        // S2F39 multi-block inquire
        Refused("inquire_root_of_one", 39, L(U4(1)), "S9F11"),
        Refused("inquire_dataid_u2", 39, L(U2(1), U4(100)), "S9F7"),
        Refused("inquire_length_i4", 39, L(U4(1), I4(100)), "S9F7"),
        Acked("inquire_granted", 39, L(U4(1), U4(4000000000u)), 0)),
    kLabel);

TEST_F(Reports, DeleteAllKeepsDefaultReportsWithTheirVariablesButNoLinks) {
    const auto default_variables = Rows("SELECT * FROM secs_rpt_var WHERE rpt_id < 101");
    ASSERT_FALSE(Rows("SELECT * FROM secs_evt_rpt WHERE rpt_id < 101").empty());
    EXPECT_EQ(Ack(33, L(U4(1), L())), 0);
    EXPECT_EQ(Rows("SELECT rpt_id FROM secs_report WHERE rpt_default = 0"),
              std::vector<std::string>{});
    EXPECT_EQ(Rows("SELECT count(*) FROM secs_report"), std::vector<std::string>{"7"});
    EXPECT_EQ(Rows("SELECT * FROM secs_rpt_var"), default_variables);
    EXPECT_EQ(Rows("SELECT * FROM secs_evt_rpt"), std::vector<std::string>{});
}

TEST_F(Reports, DefinedReportIsLinkedOnlyToAFreeEventAndDeletedWithItsLinks) {
    EXPECT_EQ(Ack(33, L(U4(7), L(E(1001, L(U4(1002), U4(1001)))))), 0);
    EXPECT_EQ(Rows("SELECT * FROM secs_report WHERE rpt_id = 1001"),
              std::vector<std::string>{"1001|R1001|NULL|0"});
    EXPECT_EQ(Rows("SELECT * FROM secs_rpt_var WHERE rpt_id = 1001 ORDER BY rowid"),
              (std::vector<std::string>{"1001|1002|1", "1001|1001|2"}));

    EXPECT_EQ(Ack(35, L(U4(1), L(E(2001, L(U4(1001)))))), 3);  // 2001 has report 3001
    EXPECT_EQ(Ack(35, L(U4(1), L(E(2001, L()), E(2002, L())))), 0);
    EXPECT_EQ(Rows("SELECT * FROM secs_evt_rpt WHERE evt_id > 100"), std::vector<std::string>{});
    EXPECT_EQ(Ack(35, L(U4(1), L(E(2001, L(U4(1001), U4(3001))), E(2, L(U4(3001)))))), 3);
    EXPECT_EQ(Ack(35, L(U4(1), L(E(2001, L(U4(1001), U4(3001))), E(2002, L(U4(1001)))))), 0);
    EXPECT_EQ(Rows("SELECT * FROM secs_evt_rpt WHERE evt_id > 100 ORDER BY rowid"),
              (std::vector<std::string>{"2001|1001|1", "2001|3001|2", "2002|1001|1"}));

    EXPECT_EQ(Ack(33, L(U4(1), L(E(1001, L()), E(4444, L())))), 0);  // 4444 names no report
    EXPECT_EQ(Rows("SELECT rpt_id FROM secs_report WHERE rpt_id > 100 UNION ALL "
                   "SELECT rpt_id FROM secs_rpt_var WHERE rpt_id > 100 UNION ALL "
                   "SELECT rpt_id FROM secs_evt_rpt WHERE evt_id > 100"),
              (std::vector<std::string>{"3001", "3001", "3001"}));
    EXPECT_TRUE(h.errors.empty()) << h.errors.front().ErrText;
}

TEST_F(Reports, DeletingADefaultReportTakesItsVariablesAndLinksButNotItsRecord) {
    EXPECT_EQ(Ack(33, L(U4(1), L(E(1, L())))), 0);
    EXPECT_EQ(Rows("SELECT * FROM secs_report WHERE rpt_id = 1").size(), 1u);
    EXPECT_EQ(Rows("SELECT rpt_id FROM secs_rpt_var WHERE rpt_id = 1 UNION ALL "
                   "SELECT rpt_id FROM secs_evt_rpt WHERE rpt_id = 1"),
              std::vector<std::string>{});
    EXPECT_TRUE(h.errors.empty()) << h.errors.front().ErrText;
}

TEST_F(Reports, AReportTheDatabaseRefusesIsDrack1AndTheReportsBeforeItStay) {
    // IDs up to 100 belong to the default reports.
    EXPECT_EQ(Ack(33, L(U4(1), L(E(5001, L(U4(1001))), E(50, L(U4(1002)))))), 1);
    EXPECT_EQ(Rows("SELECT rpt_id, var_id FROM secs_rpt_var WHERE rpt_id > 3001 OR rpt_id = 50"),
              std::vector<std::string>{"5001|1001"});
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{5008});
}

TEST_F(Reports, EventsAreSwitchedInBothTablesAndTheChangeIsAnnounced) {
    EXPECT_EQ(Ack(37, L(Boolean({false}), L(U4(2001), U4(1)))), 0);
    EXPECT_EQ(Rows("SELECT evt_enable FROM secs_gemevent WHERE evt_id = 1 UNION ALL "
                   "SELECT evt_enable FROM secs_cusevent WHERE evt_id = 2001"),
              (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMEventReport/EventEnableChanged"});

    EXPECT_EQ(Ack(37, L(Boolean({true}), L())), 0);
    EXPECT_EQ(Rows("SELECT evt_id FROM secs_gemevent WHERE evt_enable = 0 UNION ALL "
                   "SELECT evt_id FROM secs_cusevent WHERE evt_enable = 0"),
              std::vector<std::string>{});
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMEventReport/EventEnableChanged"});
    EXPECT_EQ(Ack(37, L(Boolean({false}), L())), 0);
    EXPECT_EQ(Rows("SELECT count(*) FROM secs_gemevent WHERE evt_enable <> 0"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(Rows("SELECT count(*) FROM secs_cusevent WHERE evt_enable <> 0"),
              std::vector<std::string>{"0"});
}

TEST_F(Reports, ThousandsOfEntriesAreTakenInOneMessage) {
    constexpr std::uint32_t kCount = 3000;
    h.Sql("WITH RECURSIVE n(i) AS (SELECT 10001 UNION ALL SELECT i + 1 FROM n WHERE i < " +
          std::to_string(10000 + kCount) + ") INSERT INTO secs_cusevent (evt_id) SELECT i FROM n");
    h.Db().NoticeExternalChange();
    SecsItem defines;
    SecsItem links;
    SecsItem ceids;
    for (std::uint32_t k = 1; k <= kCount; ++k) {
        defines.AddItem(E(10000 + k, L(U4(1001), U4(1002))));
        links.AddItem(E(10000 + k, L(U4(10000 + k))));
        ceids.AddItem(U4(10000 + k));
    }
    EXPECT_EQ(Ack(33, L(U4(1), std::move(defines))), 0);
    EXPECT_EQ(Ack(35, L(U4(1), std::move(links))), 0);
    EXPECT_EQ(Ack(37, L(Boolean({true}), std::move(ceids))), 0);
    EXPECT_EQ(
        Rows("SELECT count(*) FROM secs_report WHERE rpt_id > 10000 UNION ALL "
             "SELECT count(*) FROM secs_rpt_var WHERE rpt_id > 10000 UNION ALL "
             "SELECT count(*) FROM secs_evt_rpt WHERE evt_id = rpt_id AND evt_id > 10000 UNION ALL "
             "SELECT count(*) FROM secs_cusevent WHERE evt_id > 10000 AND evt_enable = 1"),
        (std::vector<std::string>{"3000", "6000", "3000", "3000"}));
}

}  // namespace
}  // namespace kest::test
