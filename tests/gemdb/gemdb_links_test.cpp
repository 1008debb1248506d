// Report/variable and event/report links, limits and the stream/function table.
#include <gtest/gtest.h>

#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

using Ids = std::vector<std::int32_t>;

class Links : public GemDbTest {
  protected:
    Links() {
        // Start from an empty link table so the defaults do not get in the way.
        Sql("DELETE FROM secs_evt_rpt");
    }
};

TEST_F(Links, ListsFollowTheOrderColumnsNotInsertion) {
    ASSERT_TRUE(db->EvtRptLinkReport(150, 12, 1));
    ASSERT_TRUE(db->EvtRptLinkReport(150, 3, 3));
    ASSERT_TRUE(db->EvtRptLinkReport(150, 15, 2));
    EXPECT_EQ(db->EvtRptGetReportList(150), (Ids{12, 15, 3}));

    ASSERT_TRUE(db->EvtRptAddVariable(1001, 3, 1));
    ASSERT_TRUE(db->EvtRptAddVariable(1001, 1, 2));
    ASSERT_TRUE(db->EvtRptAddVariable(1001, 2, 3));
    EXPECT_EQ(db->EvtRptGetVarList(1001), (Ids{3, 1, 2}));
    Sql("UPDATE secs_rpt_var SET var_order = 4 - var_order WHERE rpt_id = 1001");
    EXPECT_EQ(db->EvtRptGetVarList(1001), (Ids{2, 1, 3}));
}

TEST_F(Links, EventListIsInTableOrder) {
    ASSERT_TRUE(db->EvtRptLinkReport(160, 9, 2));
    ASSERT_TRUE(db->EvtRptLinkReport(150, 9, 1));
    ASSERT_TRUE(db->EvtRptLinkReport(170, 8, 1));
    EXPECT_EQ(db->EvtRptGetEventList(9), (Ids{160, 150}));
}

TEST_F(Links, RemovingAPairLinkedTwiceTakesOneRowPerCall) {
    ASSERT_TRUE(db->EvtRptAddVariable(1001, 5, 1));
    ASSERT_TRUE(db->EvtRptAddVariable(1001, 5, 2));
    EXPECT_EQ(db->EvtRptGetVarList(1001), (Ids{5, 5}));
    EXPECT_TRUE(db->EvtRptDelVariable(1001, 5));
    EXPECT_EQ(db->EvtRptGetVarList(1001), (Ids{5}));
    EXPECT_TRUE(db->EvtRptDelVariable(1001, 5));
    EXPECT_FALSE(db->EvtRptDelVariable(1001, 5));

    ASSERT_TRUE(db->EvtRptLinkReport(150, 7, 1));
    ASSERT_TRUE(db->EvtRptLinkReport(150, 7, 2));
    EXPECT_TRUE(db->EvtRptUnlinkReport(150, 7));
    EXPECT_EQ(db->EvtRptGetReportList(150), (Ids{7}));
    EXPECT_TRUE(NoErrors());
}

TEST_F(Links, AWriteGroupCommitsOnceAtItsEndKeepingWritesBeforeAFailedOne) {
    GEMDB other(dir.Path());  // sees only what was committed
    KestRecReport reserved;
    reserved.SetID(50);  // IDs up to 100 are the default reports'
    {
        GEMDB::WriteGroup group(*db);
        ASSERT_TRUE(db->EvtRptAddVariable(1001, 5, 1));
        EXPECT_FALSE(db->ReportAddRecord(reserved));
        {
            GEMDB::WriteGroup inner(*db);
            ASSERT_TRUE(db->EvtRptAddVariable(1001, 6, 2));
        }
        EXPECT_EQ(db->EvtRptGetVarList(1001), (Ids{5, 6}));
        EXPECT_EQ(other.EvtRptGetVarList(1001), Ids{});
    }
    EXPECT_EQ(other.EvtRptGetVarList(1001), (Ids{5, 6}));
    ExpectOnlyError(5008);
}

TEST_F(Links, DeleteAllKeepsDefaultReportsAndTheirVariables) {
    KestRecReport host_report;
    host_report.SetID(1001);
    ASSERT_TRUE(db->ReportAddRecord(host_report));
    ASSERT_TRUE(db->EvtRptAddVariable(1001, 2, 1));
    ASSERT_TRUE(db->EvtRptLinkReport(150, 1001, 1));
    ASSERT_TRUE(db->EvtRptLinkReport(1, 1, 1));  // a default report's link goes too
    Ids default_variables = db->EvtRptGetVarList(1);
    ASSERT_FALSE(default_variables.empty());

    EXPECT_TRUE(db->EvtRptDelAll());
    EXPECT_FALSE(db->ReportGetRecord(1001).has_value());
    EXPECT_TRUE(db->EvtRptGetVarList(1001).empty());
    EXPECT_TRUE(db->EvtRptGetReportList(150).empty());
    EXPECT_TRUE(db->EvtRptGetReportList(1).empty());
    EXPECT_TRUE(db->ReportGetRecord(1).has_value());
    EXPECT_EQ(db->EvtRptGetVarList(1), default_variables);
}

TEST_F(Links, CopyDefaultAppendsWithoutEmptying) {
    ASSERT_TRUE(db->EvtRptLinkReport(1, 1001, 9));
    EXPECT_TRUE(db->EvtRptCopyDefault());
    Ids links = db->EvtRptGetReportList(1);
    EXPECT_EQ(links, (Ids{1, 1001})) << "the default link (order 1), then the host's (order 9)";
    EXPECT_TRUE(db->EvtRptCopyDefault());
    EXPECT_EQ(db->EvtRptGetReportList(1).size(), 3u);
}

class Limits : public GemDbTest {
  protected:
    Limits() {
        for (auto [limit, vid] :
             {std::pair{1, 200}, std::pair{2, 200}, std::pair{1, 300}, std::pair{3, 300}}) {
            KestRecLimit row;
            row.limit_id = limit;
            row.var_id = vid;
            row.upper_db = std::to_string(limit * 10);
            row.lower_db = std::to_string(1);
            EXPECT_TRUE(db->LimitAddAttr(row));
        }
    }
    std::size_t Rows() {
        std::size_t n = 0;
        for (std::int32_t vid : db->LimitGetAllVID())
            n += db->LimitGetVIDAttr(vid).size();
        return n;
    }
};

TEST_F(Limits, ReadsByLimitAndByVariable) {
    auto first = db->LimitGetAttr(1);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->var_id, 200);
    EXPECT_EQ(first->upper_db, "10");
    EXPECT_FALSE(db->LimitGetAttr(9).has_value());
    EXPECT_EQ(db->LimitGetAllVID(), (Ids{200, 300}));
    auto of_300 = db->LimitGetVIDAttr(300);
    ASSERT_EQ(of_300.size(), 2u);
    EXPECT_EQ(of_300[1].limit_id, 3);
    EXPECT_TRUE(NoErrors());
}

struct DeleteCase {
    std::int32_t vid;
    std::int32_t limit;
    std::size_t remaining;
};

class LimitDelete : public Limits, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(LimitDelete, ZeroStandsForAny) {
    EXPECT_TRUE(db->LimitDeleteAttr(GetParam().vid, GetParam().limit));
    EXPECT_EQ(Rows(), GetParam().remaining);
}

INSTANTIATE_TEST_SUITE_P(Selections, LimitDelete,
                         ::testing::Values(DeleteCase{0, 0, 0}, DeleteCase{0, 1, 2},
                                           DeleteCase{200, 0, 2}, DeleteCase{300, 1, 3},
                                           DeleteCase{300, 2, 4}));

using Trans = GemDbTest;

TEST_F(Trans, RowsFlagsAndFunctionLists) {
    auto s6f11 = db->SFGetRecord(6, 11);
    ASSERT_TRUE(s6f11.has_value());
    EXPECT_TRUE(s6f11->spool_support);
    EXPECT_TRUE(s6f11->spool_enable);
    EXPECT_FALSE(db->SFGetRecord(6, 99).has_value());
    EXPECT_EQ(db->SpoolSupportFunc(5), (Ids{1}));
    Ids stream5 = db->SFGetFunc(5);
    EXPECT_EQ(stream5, (Ids{1, 3, 5, 7}));

    EXPECT_TRUE(db->SFSetField(5, 3, FLDID_SECSTRANS::SPOOL_SUPPORT, true));
    EXPECT_EQ(db->SpoolSupportFunc(5), (Ids{1, 3}));
    EXPECT_FALSE(db->SFSetField(5, 99, FLDID_SECSTRANS::SPOOL_ENABLE, true));
    EXPECT_EQ(LastErrorNumber(), 3021);
}

TEST_F(Trans, SpoolDisableByStreamOrAll) {
    EXPECT_TRUE(db->SpoolDisable(6));
    EXPECT_FALSE(db->SFGetRecord(6, 11)->spool_enable);
    EXPECT_FALSE(db->SFGetRecord(6, 1)->spool_enable);
    EXPECT_TRUE(db->SFGetRecord(5, 1)->spool_enable);
    EXPECT_TRUE(db->SpoolDisable(0));
    EXPECT_FALSE(db->SFGetRecord(5, 1)->spool_enable);
    EXPECT_FALSE(db->SFGetRecord(10, 1)->spool_enable);

    EXPECT_TRUE(db->SFSetField(1, 3, FLDID_SECSTRANS::SPOOL_ENABLE, true));
    EXPECT_TRUE(db->SpoolEnableDefault());
    EXPECT_TRUE(db->SFGetRecord(5, 1)->spool_enable);
    EXPECT_TRUE(db->SFGetRecord(10, 1)->spool_enable);
    EXPECT_FALSE(db->SFGetRecord(1, 3)->spool_enable) << "enable follows support";
}

}  // namespace
}  // namespace kest::testing
