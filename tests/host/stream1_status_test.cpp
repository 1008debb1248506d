// S1F3 and S1F11: status values and names by SVID, the special GEM variables, list variables,
// the empty request that lists everything, and malformed SVID lists.
#include <gtest/gtest.h>

#include <algorithm>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

constexpr std::int32_t kClock = 1;
constexpr std::int32_t kEstablishTimeout = 4;      // an EC with the unit "s"
constexpr std::int32_t kTimeFormat = 6;            // an EC
constexpr std::int32_t kPreviousControlState = 8;  // a DV
constexpr std::int32_t kEquipmentModel = 13;
constexpr std::int32_t kAlarmsEnable = 25;
constexpr std::int32_t kAlarmsSet = 26;
constexpr std::int32_t kEventsEnabled = 27;
constexpr std::int32_t kSpoolCountActual = 37;

/// User variables: list 1001 {LotID, Wafers (three values), Slots {Slot1}} and top-level 1004.
class StatusRequests : public HostTest {
  protected:
    StatusRequests() {
        AddVariable(1001, "Lot", enmItemFormat::FormatList, "NULL");
        AddVariable(1002, "Wafers", enmItemFormat::FormatU4, "1,2,3", 1001, "2", "SV", true);
        AddVariable(1003, "LotID", enmItemFormat::FormatAscii, "LOT-7", 1001, "1");
        AddVariable(1004, "Top", enmItemFormat::FormatU2, "12", 0, "NULL", "DV");
        AddVariable(1005, "Slots", enmItemFormat::FormatList, "NULL", 1001, "3");
        AddVariable(1006, "Slot1", enmItemFormat::FormatI2, "-4", 1005, "1");
        h.ClearRecords();
    }

    static SecsItem LotValue() { return L(A("LOT-7"), U4(1), U4(2), U4(3), L(I2(-4))); }

    /// The position (from 1) of GEM variable `name` in table order.
    std::size_t GemPosition(const std::string& name) const {
        auto all = h.Db().VariableGetAll(true);
        auto it = std::find_if(all.begin(), all.end(),
                               [&](const KestRecVariable& v) { return v.Name() == name; });
        EXPECT_NE(it, all.end()) << name;
        return static_cast<std::size_t>(it - all.begin()) + 1;
    }
};

TEST_F(StatusRequests, UnknownSvidIsAnEmptyListAndClockFollowsTimeFormat) {
    h.SetGemVar("TimeFormat", 0);
    Receive(1, 3, L(U4(9999), U4(kClock)));
    h.SetGemVar("TimeFormat", 1);
    Receive(1, 3, L(U4(kClock), U4(4000000000u)));
    ASSERT_EQ(h.driver->replies.size(), 2u);
    EXPECT_EQ(h.driver->replies[0].Name(), "S1F4");
    EXPECT_EQ(h.driver->replies[0].Item(1), L(L(), A("261205100000")));
    EXPECT_EQ(h.driver->replies[1].Item(1), L(A("2026120510000000"), L()));
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(StatusRequests, ValuesInRequestOrderWithStoredFormats) {
    Receive(1, 3, L(U4(1004), U4(kEquipmentModel), U4(1004)));
    EXPECT_EQ(OnlyReplyBody("S1F4"), L(U2(12), A("KEST"), U2(12)));
}

TEST_F(StatusRequests, ListVariablesNestTheirChildrenAndChildrenAloneAreEmpty) {
    Receive(1, 3, L(U4(1001), U4(1003), U4(1005)));
    EXPECT_EQ(OnlyReplyBody("S1F4"), L(LotValue(), L(), L()));
}

TEST_F(StatusRequests, SpoolCountAlarmsAndEventsAreComputed) {
    h.core->SpoolList().push_back(h.driver->CreateTransaction("S6F11"));
    h.core->SpoolList().push_back(h.driver->CreateTransaction("S5F1"));
    auto alarm = [&](std::int32_t id, bool enable, bool set) {
        KestRecAlarm record;
        record.SetID(id);
        record.SetName("Alarm" + std::to_string(id));
        record.SetEnable(enable);
        record.SetAlarmSet(set);
        ASSERT_TRUE(h.Db().AlarmAddRecord(record));
    };
    alarm(7, true, true);
    alarm(8, false, true);
    alarm(9, true, false);
    ASSERT_TRUE(h.Db().EventEnableAll(false, true));
    ASSERT_TRUE(h.Db().EventSetField(3, FLDID_EVENT::EVT_ENABLE, true, true));
    ASSERT_TRUE(h.Db().EventSetField(1, FLDID_EVENT::EVT_ENABLE, true, true));
    KestRecEvent user_event;
    user_event.SetID(101);
    user_event.SetName("LotStarted");
    user_event.SetEnable(true);
    ASSERT_TRUE(h.Db().EventAddRecord(user_event));

    Receive(1, 3, L(U4(kSpoolCountActual), U4(kAlarmsEnable), U4(kAlarmsSet), U4(kEventsEnabled)));
    EXPECT_EQ(OnlyReplyBody("S1F4"),
              L(U4(2), L(U4(7), U4(9)), L(U4(7), U4(8)), L(U4(1), U4(3), U4(101))));
}

TEST_F(StatusRequests, EmptyRequestListsTopLevelVariablesGemTableFirst) {
    const std::size_t gem_count = h.Db().VariableGetAll(true).size();
    Receive(1, 3, L());
    SecsItem values = OnlyReplyBody("S1F4");
    ASSERT_EQ(values.Count(), gem_count + 2) << "the user table adds Lot and Top only";
    EXPECT_EQ(values.Item(GemPosition("Clock")), A("2026120510000000"));
    EXPECT_EQ(values.Item(GemPosition("EquipmentModel")), A("KEST"));
    EXPECT_EQ(values.Item(GemPosition("ControlState")), U1(5));
    EXPECT_EQ(values.Item(gem_count + 1), LotValue());
    EXPECT_EQ(values.Item(gem_count + 2), U2(12));
}

TEST_F(StatusRequests, NoReplyWithoutWBit) {
    Receive(SecsMessage(1, 3, false, L(U4(kEquipmentModel))));
    Receive(SecsMessage(1, 11, false, L()));
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(StatusRequests, NamelistGivesIdNameAndUnit) {
    Receive(1, 11,
            L(U4(kEquipmentModel), U4(kEstablishTimeout), U4(9999), U4(1003), U4(kTimeFormat),
              U4(kPreviousControlState), U4(1004)));
    EXPECT_EQ(OnlyReplyBody("S1F12"),
              L(L(U4(kEquipmentModel), A("EquipmentModel"), A("")),
                L(U4(kEstablishTimeout), A("EstablishCommunicationTimeout"), A("s")), L(), L(),
                L(U4(kTimeFormat), A("TimeFormat"), A("")),
                L(U4(kPreviousControlState), A("PreviousControlState"), A("")),
                L(U4(1004), A("Top"), A(""))));
}

TEST_F(StatusRequests, NamelistRestrictedToStatusVariablesEmptiesConstantsAndDataVariables) {
    h.core->SetSetting("S1F11SupportSV", "TRUE");
    Receive(1, 11, L(U4(kTimeFormat), U4(kEquipmentModel), U4(kPreviousControlState), U4(1004)));
    EXPECT_EQ(OnlyReplyBody("S1F12"),
              L(L(), L(U4(kEquipmentModel), A("EquipmentModel"), A("")), L(), L()));
}

TEST_F(StatusRequests, EmptyNamelistRequestCoversBothTablesInOrder) {
    const auto gem = h.Db().VariableGetAll(true);
    h.core->SetSetting("S1F11SupportSV", "TRUE");
    Receive(1, 11, L());
    SecsItem names = OnlyReplyBody("S1F12");
    ASSERT_EQ(names.Count(), gem.size() + 6);
    EXPECT_EQ(names.Item(GemPosition("Clock")), L(U4(kClock), A("Clock"), A("")));
    EXPECT_EQ(names.Item(GemPosition("TimeFormat")), L());
    const std::size_t user = gem.size();
    EXPECT_EQ(names.Item(user + 1), L(U4(1001), A("Lot"), A("")));
    EXPECT_EQ(names.Item(user + 2), L()) << "a list member";
    EXPECT_EQ(names.Item(user + 4), L()) << "a data variable";
}

struct BadSvids {
    const char* what;
    std::optional<SecsItem> body;  // none: header only
};

void PrintTo(const BadSvids& bad, std::ostream* os) {
    *os << bad.what;
}

class MalformedSvidList : public HostTest,
                          public ::testing::WithParamInterface<std::tuple<int, BadSvids>> {};

TEST_P(MalformedSvidList, GetsS9F7) {
    const auto& [function, bad] = GetParam();
    Receive(bad.body ? SecsMessage(1, function, true, *bad.body) : SecsMessage(1, function, true));
    ExpectOnlyStream9(
        "S9F7", {0x80, 0x00, 0x01, static_cast<std::uint8_t>(function), 0x80, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(h.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Requests, MalformedSvidList,
                         ::testing::Combine(::testing::Values(3, 11),
                                            ::testing::Values(BadSvids{"header_only", std::nullopt},
                                                              BadSvids{"u2_svid", L(U4(1), U2(13))},
                                                              BadSvids{"not_a_list", U4(13)},
                                                              BadSvids{"two_values", L(U4(13, 14))},
                                                              BadSvids{"no_value", L(U4())},
                                                              BadSvids{"nested_list", L(L(U4(13)))},
                                                              BadSvids{"text_svid", L(A("13"))})),
                         [](const auto& info) {
                             return "S1F" + std::to_string(std::get<0>(info.param)) + "_" +
                                    std::get<1>(info.param).what;
                         });

}  // namespace
}  // namespace kest::test
