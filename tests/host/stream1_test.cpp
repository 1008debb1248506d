// Stream 1 from the host: S1F1, S1F13, S1F15 and S1F17 in each control state with the events
// the state model acts on (raised after the reply); S1F3 and S1F11 by SVID with the special GEM
// variables, list variables and the empty request that lists everything; malformed requests.
#include <gtest/gtest.h>

#include <algorithm>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

constexpr const char* kEstablished = "GEMEstabComm/CommEstablished";
constexpr const char* kOffline = "GEMControl/RequestOffline";
constexpr const char* kOnline = "GEMControl/RequestOnline";
constexpr std::int32_t kClock = 1;
constexpr std::int32_t kEstablishTimeout = 4;      // an EC with the unit "s"
constexpr std::int32_t kTimeFormat = 6;            // an EC
constexpr std::int32_t kPreviousControlState = 8;  // a DV
constexpr std::int32_t kEquipmentModel = 13;
constexpr const char* kClock12 = "261205100000";
constexpr const char* kClock16 = "2026120510000000";

SecsItem LotValue() {
    return L(A("LOT-7"), U4(1), U4(2), U4(3), L(I2(-4)));
}

SecsItem Name(std::int32_t id, const char* name, const char* unit = "") {
    return L(U4(id), A(name), A(unit));
}

/// Model "ETCHER-9" without revision; user variables: list 1001 {LotID, Wafers (three values),
/// Slots {Slot1}} and the data variable 1004; event 4000 linked to reports 170 {1004, 1003} and
/// 171 {1003, 1006}.
class Stream1 : public HostTest {
  protected:
    Stream1() {
        h.SetGemVar("EquipmentModel", "ETCHER-9");
        h.SetGemVar("SoftwareRevision", "NULL");
        AddVariable(1001, "Lot", enmItemFormat::FormatList, "NULL");
        AddVariable(1002, "Wafers", enmItemFormat::FormatU4, "1,2,3", 1001, "2", true);
        AddVariable(1003, "LotID", enmItemFormat::FormatAscii, "LOT-7", 1001, "1");
        AddVariable(1004, "Top", enmItemFormat::FormatU2, "12", 0, "NULL", false, "DV");
        AddVariable(1005, "Slots", enmItemFormat::FormatList, "NULL", 1001, "3");
        AddVariable(1006, "Slot1", enmItemFormat::FormatI2, "-4", 1005, "1");
        AddEvent(4000, "LotDone", false);
        AddReport(170, {1004, 1003});
        AddReport(171, {1003, 1006});
        Link(4000, {170, 171});
        Forget();
    }

    /// The position (from 1) of GEM variable `name` in table order.
    std::size_t GemPosition(const std::string& name) const {
        auto all = h.Db().VariableGetAll(true);
        auto it = std::find_if(all.begin(), all.end(),
                               [&](const KestRecVariable& v) { return v.Name() == name; });
        EXPECT_NE(it, all.end()) << name;
        return static_cast<std::size_t>(it - all.begin()) + 1;
    }
};

struct Stream1Case : HostCase {
    std::vector<std::string> events = {};
    int control_state = 5;
    int time_format = 1;
    bool status_only = false;  ///< the setting "S1F11SupportSV"
};

class Stream1Request : public Stream1, public ::testing::WithParamInterface<Stream1Case> {};

TEST_P(Stream1Request, IsAnsweredAndReportedAfterTheReply) {
    const Stream1Case& c = GetParam();
    h.SetGemVar("TimeFormat", c.time_format);
    if (c.status_only) h.core->SetSetting("S1F11SupportSV", "TRUE");
    SetState("ControlState", c.control_state);
    std::vector<std::size_t> replies_at_event;
    auto listening = h.server->Subscribe({.EventNotification = [&](const KestEvent&) {
        replies_at_event.push_back(h.driver->replies.size());
    }});
    Check(c);
    EXPECT_EQ(h.EventNames(), c.events);
    EXPECT_EQ(replies_at_event, std::vector<std::size_t>(c.events.size(), c.reply ? 1 : 0));
}

Stream1Case Link(const char* label, int control_state, SecsMessage primary,
                 std::optional<SecsItem> reply, std::vector<std::string> events = {}) {
    return {{label, std::move(primary), std::move(reply)}, std::move(events), control_state};
}

Stream1Case Status(const char* label, int function, SecsItem svids, SecsItem reply,
                   int time_format = 1, bool status_only = false) {
    Stream1Case c{{label, SecsMessage(1, function, true, std::move(svids)), std::move(reply)}};
    c.time_format = time_format;
    c.status_only = status_only;
    return c;
}

Stream1Case Refused(const char* label, SecsMessage primary, const char* refusal = "S9F7") {
    return {{label, std::move(primary), std::nullopt, refusal}};
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Stream1Request,
    ::testing::Values(
        Link("S1F1", 5, SecsMessage(1, 1, true), L(A("ETCHER-9"), A("")), {kEstablished}),
        Link("S1F1_no_wbit", 5, SecsMessage(1, 1, false), std::nullopt, {kEstablished}),
        Link("S1F13", 5, SecsMessage(1, 13, true, L()), L(B({0}), L(A("ETCHER-9"), A(""))),
             {kEstablished}),
        Link("S1F15_online", 5, SecsMessage(1, 15, true), B({0}), {kOffline}),
        Link("S1F15_host_offline", 3, SecsMessage(1, 15, true), B({0})),
        Link("S1F15_equipment_offline_no_wbit", 1, SecsMessage(1, 15, false), std::nullopt,
             {kOffline}),
        Link("S1F17_equipment_offline", 1, SecsMessage(1, 17, true), B({1})),
        Link("S1F17_attempt_online", 2, SecsMessage(1, 17, true), B({1})),
        Link("S1F17_host_offline", 3, SecsMessage(1, 17, true), B({0}), {kOnline}),
        Link("S1F17_online_local", 4, SecsMessage(1, 17, true), B({2})),
        Link("S1F17_online_remote", 5, SecsMessage(1, 17, true), B({2})),
        Link("S1F17_host_offline_no_wbit", 3, SecsMessage(1, 17, false), std::nullopt, {kOnline}),
        Link("S1F3_online_local", 4, SecsMessage(1, 3, true, L(U4(1004))), L(U2(12))),
        Status("S1F3_unknown_and_12_character_clock", 3, L(U4(9999), U4(kClock)),
               L(L(), A(kClock12)), 0),
        Status("S1F3_16_character_clock_and_beyond_int32", 3, L(U4(kClock), U4(4000000000u)),
               L(A(kClock16), L())),
        Status("S1F3_stored_formats", 3, L(U4(1004), U4(kEquipmentModel), U4(1004)),
               L(U2(12), A("ETCHER-9"), U2(12))),
        Status("S1F3_list_and_its_members", 3, L(U4(1001), U4(1003), U4(1005)),
               L(LotValue(), L(), L())),
        Status("S1F11_every_type", 11,
               L(U4(kEquipmentModel), U4(kEstablishTimeout), U4(9999), U4(1003), U4(kTimeFormat),
                 U4(kPreviousControlState), U4(1004)),
               L(Name(kEquipmentModel, "EquipmentModel"),
                 Name(kEstablishTimeout, "EstablishCommunicationTimeout", "s"), L(), L(),
                 Name(kTimeFormat, "TimeFormat"),
                 Name(kPreviousControlState, "PreviousControlState"), Name(1004, "Top"))),
        Status("S1F11_status_only", 11,
               L(U4(kTimeFormat), U4(kEquipmentModel), U4(kPreviousControlState), U4(1004)),
               L(L(), Name(kEquipmentModel, "EquipmentModel"), L(), L()), 1, true),
        Status("S1F21_data_variables_only", 21, L(U4(1004), U4(1003), U4(9999)),
               L(Name(1004, "Top"), Name(1003, ""), Name(9999, ""))),
        Status("S1F23_linked_variables_once", 23, L(U4(4000), U4(9999)),
               L(L(U4(4000), A("LotDone"), L(U4(1004), U4(1003), U4(1006))),
                 L(U4(9999), A(), L()))),
        Refused("S1F21_text_vid", SecsMessage(1, 21, true, L(A("1004")))),
        Refused("S1F23_not_a_list", SecsMessage(1, 23, true, U4(4000))),
        Link("S1F3_no_wbit", 5, SecsMessage(1, 3, false, L(U4(kEquipmentModel))), std::nullopt),
        Link("S1F11_no_wbit", 5, SecsMessage(1, 11, false, L()), std::nullopt),
        Refused("S1F13_with_data", SecsMessage(1, 13, true, L(A("HOST"), A("1.0"))), "S9F11"),
        Refused("S1F1_with_a_body", SecsMessage(1, 1, true, L())),
        Refused("S1F13_header_only", SecsMessage(1, 13, true)),
        Refused("S1F13_not_a_list", SecsMessage(1, 13, true, A())),
        Refused("S1F15_with_a_body", SecsMessage(1, 15, true, B({0}))),
        Refused("S1F17_with_a_body", SecsMessage(1, 17, true, L())),
        Refused("S1F3_header_only", SecsMessage(1, 3, true)),
        Refused("S1F11_header_only", SecsMessage(1, 11, true)),
        Refused("S1F3_not_a_list", SecsMessage(1, 3, true, U4(13))),
        Refused("S1F11_not_a_list", SecsMessage(1, 11, true, U4(13))),
        Refused("S1F3_u2_svid", SecsMessage(1, 3, true, L(U4(1), U2(13)))),
        Refused("S1F3_two_values", SecsMessage(1, 3, true, L(U4(13, 14)))),
        Refused("S1F3_no_value", SecsMessage(1, 3, true, L(U4()))),
        Refused("S1F3_nested_list", SecsMessage(1, 3, true, L(L(U4(13))))),
        Refused("S1F3_text_svid", SecsMessage(1, 3, true, L(A("13"))))),
    kLabel);

TEST_F(Stream1, SpoolCountAlarmsAndEventsAreComputed) {
    h.core->SpoolList().push_back(h.driver->CreateTransaction("S6F11"));
    h.core->SpoolList().push_back(h.driver->CreateTransaction("S5F1"));
    AddAlarm(7, "A7", "", true, 0, true);
    AddAlarm(8, "A8", "", false, 0, true);
    AddAlarm(9, "A9", "", true, 0, false);
    ASSERT_TRUE(h.Db().EventEnableAll(false, true));
    ASSERT_TRUE(h.Db().EventSetField(3, FLDID_EVENT::EVT_ENABLE, true, true));
    ASSERT_TRUE(h.Db().EventSetField(1, FLDID_EVENT::EVT_ENABLE, true, true));
    AddEvent(101, "LotStarted");
    // SpoolCountActual, AlarmsEnabled, AlarmsSet, EventsEnabled
    Receive(1, 3, L(U4(37), U4(25), U4(26), U4(27)));
    EXPECT_EQ(OnlyReplyBody("S1F4"),
              L(U4(2), L(U4(7), U4(9)), L(U4(7), U4(8)), L(U4(1), U4(3), U4(101))));
}

TEST_F(Stream1, EmptyRequestsCoverTopLevelVariablesGemTableFirst) {
    const std::size_t gem_count = h.Db().VariableGetAll(true).size();
    Receive(1, 3, L());
    SecsItem values = OnlyReplyBody("S1F4");
    ASSERT_EQ(values.Count(), gem_count + 2) << "the user table adds Lot and Top only";
    EXPECT_EQ(values.Item(GemPosition("Clock")), A(kClock16));
    EXPECT_EQ(values.Item(GemPosition("EquipmentModel")), A("ETCHER-9"));
    EXPECT_EQ(values.Item(GemPosition("ControlState")), U1(5));
    EXPECT_EQ(values.Item(gem_count + 1), LotValue());
    EXPECT_EQ(values.Item(gem_count + 2), U2(12));

    h.core->SetSetting("S1F11SupportSV", "TRUE");
    h.driver->replies.clear();
    Receive(1, 11, L());
    SecsItem names = OnlyReplyBody("S1F12");
    ASSERT_EQ(names.Count(), gem_count + 6);
    EXPECT_EQ(names.Item(GemPosition("Clock")), Name(kClock, "Clock"));
    EXPECT_EQ(names.Item(GemPosition("TimeFormat")), L());
    EXPECT_EQ(names.Item(gem_count + 1), Name(1001, "Lot"));
    EXPECT_EQ(names.Item(gem_count + 2), L()) << "a list member";
    EXPECT_EQ(names.Item(gem_count + 4), L()) << "a data variable";

    // Data variables and events: every one, GEM table first, the user's last.
    h.driver->replies.clear();
    Receive(1, 21, L());
    SecsItem data = OnlyReplyBody("S1F22");
    ASSERT_EQ(data.Count(), h.Db().VariableGetAll(true, "DV").size() + 1);
    EXPECT_EQ(data.Item(data.Count()), Name(1004, "Top"));
    h.driver->replies.clear();
    Receive(1, 23, L());
    SecsItem events = OnlyReplyBody("S1F24");
    ASSERT_EQ(events.Count(), h.Db().EventGetAll(true).size() + 1);
    EXPECT_EQ(events.Item(events.Count()).Item(2), A("LotDone"));
}

}  // namespace
}  // namespace kest::test
