// GEMMap: each wafer-map primary built from "secs_S12data_EquipToHost" (shapes, repeated items,
// rows that do not count), the refusals with their exact texts, and what EDMap reports.
// MapSetupDataSend answers only S12F1 at once; other exchanges end by their failures.
#include <gtest/gtest.h>

#include "host/host_fixture.h"
#include "services/gem_map.h"

namespace kest::test {
namespace {

using namespace kest::build;

struct MapRow {
    const char* name;
    const char* number;
    const char* format;
    const char* value;
};

class Maps : public HostTest {
  protected:
    void Rows(std::initializer_list<MapRow> rows) {
        for (const MapRow& r : rows) {
            h.Sql(std::string("INSERT INTO secs_S12data_EquipToHost VALUES ('") + r.name + "', '" +
                  r.number + "', '" + r.format + "', '" + r.value + "')");
        }
    }
    // The body of the one primary `function` sent.
    SecsItem Sent(const char* function) {
        EXPECT_TRUE(h.server->GEMMap()->MapSetupDataSend(function));
        EXPECT_EQ(h.driver->sent.size(), 1u);
        if (h.driver->sent.size() != 1) return {};
        return h.driver->sent[0]->Primary().Item(1);
    }
    // "RequestedMethod/SDACK" of each method reported.
    std::vector<std::string> Acks() const {
        std::vector<std::string> acks;
        for (const KestMethod& m : h.methods) {
            if (m.ServiceName != "GEMMap") continue;  // the events a link loss reports
            EXPECT_EQ(m.MethodName, "MapSetupDataSend");
            acks.push_back(m.Inputs().at(0).ItemValue.ToText() + "/" + m.Output("SDACK").ToText());
        }
        return acks;
    }
};

struct BuildCase {
    const char* function;
    SecsItem body;
};

class MapBuilders : public Maps, public ::testing::WithParamInterface<BuildCase> {};

TEST_P(MapBuilders, TakeEveryLeafFromItsRow) {
    Rows({{"MID", "NotUsed", "A", "W1"},
          {"IDTYP", "NotUsed", "B", "0"},
          {"FNLOC", "NotUsed", "U2", "90"},
          {"FFROT", "NotUsed", "U2", "180"},
          {"ORLOC", "NotUsed", "B", "2"},
          {"RPSEL", "NotUsed", "U1", "0"},
          {"DUTMS", "NotUsed", "A", "mm"},
          {"XDIES", "NotUsed", "U4", "10"},
          {"YDIES", "NotUsed", "U4", "11"},
          {"ROWCT", "NotUsed", "U4", "12"},
          {"COLCT", "NotUsed", "U4", "13"},
          {"NULBC", "NotUsed", "A", "."},
          {"PRDCT", "NotUsed", "U4", "100"},
          {"PRAXI", "NotUsed", "B", "1"},
          {"MAPFT", "NotUsed", "B", "1"},
          {"BCEQU", "NotUsed", "A", "1"},
          {"MLCL", "NotUsed", "U4", "200"},
          {"STRP", "NotUsed", "I2", "3,-4"},
          {"BINLT", "NotUsed", "A", "0101"},
          {"SDBIN", "NotUsed", "BL", "TRUE"},
          {"MAPER", "NotUsed", "B", "3"},
          {"DATLC", "NotUsed", "U1", "7"},
          {"REFP_Type", "NotUsed", "A", "1"},
          {"REFP_Count", "NotUsed", "U4", "2"},
          {"REFP", "1", "I4", "1,2"},
          {"REFP", "2", "I4", "-3,4"},
          {"S12F7_Count", "NotUsed", "U4", "2"},
          {"RSINF", "1", "I4", "0,0,3"},
          {"BINLT", "1", "A", "111"},
          {"RSINF", "2", "I4", "0,1,3"},
          {"BINLT", "2", "A", "222"},
          {"S12F11_Count", "NotUsed", "U4", "2"},
          {"XYPOS", "1", "I2", "0,0"},
          {"XYPOS", "2", "I2", "1,0"}});
    EXPECT_EQ(Sent(GetParam().function), GetParam().body);
    EXPECT_TRUE(h.errors.empty()) << h.errors.front().ErrText;
}

INSTANTIATE_TEST_SUITE_P(
    Functions, MapBuilders,
    ::testing::Values(
        BuildCase{"1", L(A("W1"), B({0}), U2(90), U2(180), B({2}), U1(0), L(I4(1, 2), I4(-3, 4)),
                         A("mm"), U4(10), U4(11), U4(12), U4(13), A("."), U4(100), B({1}))},
        BuildCase{"3", L(A("W1"), B({0}), B({1}), U2(90), U2(180), B({2}), B({1}), A("1"), A("."))},
        BuildCase{"5", L(A("W1"), B({0}), B({1}), U4(200))},
        BuildCase{"7", L(A("W1"), B({0}), L(L(I4(0, 0, 3), A("111")), L(I4(0, 1, 3), A("222"))))},
        BuildCase{"9", L(A("W1"), B({0}), I2(3, -4), A("0101"))},
        BuildCase{"11", L(A("W1"), B({0}), L(L(I2(0, 0), A("111")), L(I2(1, 0), A("222"))))},
        BuildCase{"13", L(A("W1"), B({0}))}, BuildCase{"15", L(A("W1"), B({0}))},
        BuildCase{"17", L(A("W1"), B({0}), Boolean({true}))}, BuildCase{"19", L(B({3}), U1(7))}),
    [](const auto& info) { return "S12F" + std::string(info.param.function); });

TEST_F(Maps, RowsThatDoNotApplyLeaveTheDictionaryShape) {
    // An empty table: the dictionary's message with its REFP template removed.
    EXPECT_EQ(Sent("1"),
              L(A(), B(), U2(), U2(), B(), U1(), L(), A(), U4(), U4(), U4(), U4(), A(), U4(), B()));
    Forget();
    // Unknown or unused format names, REFP points without "REFP_Type" 1, a count above the rows,
    // and names compared without case.
    Rows({{"MID", "NotUsed", "X", "W1"},
          {"IDTYP", "NotUsed", "NotUsed", "1"},
          {"refp_count", "notused", "U4", "1"},
          {"REFP", "1", "I4", "5"},
          {"S12F11_Count", "NotUsed", "U4", "2"},
          {"xypos", "1", "I2", "3,3"}});
    EXPECT_EQ(Sent("11"), L(A(), B(), L(L(I2(3, 3), A()), L(I4(), A()))));
    Forget();
    EXPECT_EQ(Sent("1").Item(7), L());
    EXPECT_TRUE(h.errors.empty());
}

struct BadRow {
    const char* label;
    MapRow row;
    int error;
};

class MapBadRows : public Maps, public ::testing::WithParamInterface<BadRow> {};

TEST_P(MapBadRows, FailTheSendWithItsRuntimeError) {
    Rows({GetParam().row});
    EXPECT_TRUE(h.server->GEMMap()->MapSetupDataSend("11"));
    EXPECT_TRUE(h.driver->sent.empty());
    ASSERT_EQ(h.errors.size(), 2u);
    EXPECT_EQ(h.errors[0].ErrSource, "modSECS:SECSTrans_S12F11");
    EXPECT_EQ(h.errors[0].ErrCode, GetParam().error);
    EXPECT_EQ(Errors()[1], (ErrorRow{"EDMap:Set IEDAction_Source", 6002, SendFailed("S12F11")}));
    EXPECT_EQ(Acks(), std::vector<std::string>{"11/6002"});
}

INSTANTIATE_TEST_SUITE_P(
    Values, MapBadRows,
    ::testing::Values(
        BadRow{"too_big_for_U1", {"IDTYP", "NotUsed", "U1", "256"}, 6},
        BadRow{"below_U2", {"MID", "NotUsed", "U2", "-1"}, 6},
        BadRow{"not_a_number", {"IDTYP", "NotUsed", "I4", "1,x"}, 13},
        BadRow{"negative_count", {"S12F11_Count", "NotUsed", "U4", "-1"}, 6},
        BadRow{"count_beyond_a_million", {"S12F11_Count", "NotUsed", "U4", "1000001"}, 6},
        BadRow{"count_not_a_number", {"S12F11_Count", "NotUsed", "A", "many"}, 13}),
    kLabel);

TEST_F(Maps, ARefusedSendNamesItsMessageExactly) {
    h.driver->accept_sends = false;
    const std::vector<std::pair<const char*, const char*>> texts{
        {"1", "SECS [S12F1] message send failed."},   {"3", "SECS [S12F3] message send failed."},
        {"5", "SECS [S12F5] message send failed."},   {"7", "SECS [S12F7] message send failed."},
        {"9", "SECS [S12F9] message send failed."},   {"11", "SECS [S12F11] message send failed."},
        {"13", "SECS [S12F13 message send failed."},  {"15", "SECS [S12F15] message send failed."},
        {"17", "SECS [S12F17] message send failed."}, {"19", "SECS [S12F19] message send failed."}};
    for (const auto& [function, text] : texts) {
        h.ClearRecords();
        EXPECT_TRUE(h.server->GEMMap()->MapSetupDataSend(function));
        EXPECT_EQ(Errors(), (std::vector<ErrorRow>{{"EDMap:Set IEDAction_Source", 6002, text}}));
        EXPECT_EQ(Acks(), std::vector<std::string>{std::string(function) + "/6002"});
    }
    EXPECT_EQ(LiveTransactions(), 0u);
}

TEST_F(Maps, OnlyMapSetupIsAnsweredAndOtherExchangesEndByTheirFailures) {
    auto map = h.server->GEMMap();
    EXPECT_EQ(map->functionNo(), "0");
    EXPECT_TRUE(map->MapSetupDataSend("1"));
    EXPECT_EQ(map->functionNo(), "1");
    EXPECT_EQ(Acks(), std::vector<std::string>{"1/0"});
    EXPECT_EQ(LiveTransactions(), 0u);

    h.ClearRecords();
    EXPECT_TRUE(map->MapSetupDataSend("3"));   // answered by S12F4 through the reply storage
    EXPECT_TRUE(map->MapSetupDataSend("2"));   // no such message: nothing sent
    EXPECT_TRUE(map->MapSetupDataSend("05"));  // not a function name either
    EXPECT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S12F1", "S12F3"}));
    EXPECT_TRUE(h.methods.empty());
    EXPECT_EQ(LiveTransactions(), 3u);

    // An S12F2 on the S12F3 transaction is taken as its acknowledge; a driver error 3005 and the
    // link loss end the others.
    h.driver->InjectReply(h.driver->sent[1], Reply(12, 2, B({5})));
    h.driver->RaiseError(3005, "T3 timeout");
    EXPECT_EQ(Acks(), (std::vector<std::string>{"1/5", "1/3005", "1/3005"}));
    EXPECT_EQ(h.ErrorCodes().at(0), 3005);  // the driver's error, passed on first
}

TEST_F(Maps, ClearingTheMessageReportsItsAcknowledgeEvent) {
    EXPECT_TRUE(h.server->GEMMap()->ClearMessage());
    EXPECT_TRUE(h.server->GEMessage()->ClearMessage());
    ASSERT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S6F11", "S6F11"}));
    for (const auto& trans : h.driver->sent)
        EXPECT_EQ(trans->Primary().Item(1).Item(2), U4(10));
}

}  // namespace
}  // namespace kest::test
