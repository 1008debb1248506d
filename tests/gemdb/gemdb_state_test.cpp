// State-change notifications of the GEM state variables, and when the spool check runs.
#include <gtest/gtest.h>

#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

struct StateCase {
    const char* variable;
    const char* value;
    const char* service;  // nullptr: no notification
    const char* state;
    bool spool_check;
};

class StateChange : public GemDbTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(StateChange, FollowsTheStateTable) {
    const StateCase& c = GetParam();
    ASSERT_TRUE(db->VariableSetField(c.variable, FLDID_VARIABLE::VAR_VAL, c.value, true));
    EXPECT_EQ(db->VariableGetField(c.variable, FLDID_VARIABLE::VAR_VAL, true), Variant(c.value));
    if (c.service == nullptr) {
        EXPECT_TRUE(events->states.empty());
    } else {
        ASSERT_EQ(events->states.size(), 1u);
        EXPECT_EQ(events->states[0].service, c.service);
        EXPECT_EQ(events->states[0].state, c.state);
    }
    EXPECT_EQ(events->spool_checks, c.spool_check ? 1 : 0);
    if (c.spool_check) {
        EXPECT_EQ(events->log.back(), "spool check") << "the check follows the notification";
    }
    EXPECT_TRUE(NoErrors());
}

INSTANTIATE_TEST_SUITE_P(
    Table, StateChange,
    ::testing::Values(
        StateCase{"CommState", "0", "GEMCommunication", "Disabled", true},
        StateCase{"CommState", "1", "GEMCommunication", "EnabledNotCommunicating", true},
        StateCase{"CommState", "2", "GEMCommunication", "EnabledCommunicating", false},
        StateCase{"CommState", "7", nullptr, nullptr, false},
        StateCase{"ControlState", "1", "GEMControl", "EquipmentOffline", true},
        StateCase{"ControlState", "2", "GEMControl", "AttemptOnline", true},
        StateCase{"ControlState", "3", "GEMControl", "HostOffline", true},
        StateCase{"ControlState", "4", "GEMControl", "OnlineLocal", false},
        StateCase{"ControlState", "5", "GEMControl", "OnlineRemote", false},
        StateCase{"ControlState", "0", nullptr, nullptr, false},
        StateCase{"SpoolState", "1", "GEMSpool", "SpoolActive", false},
        StateCase{"SpoolState", "2", "GEMSpool", "SpoolInActive", false},
        StateCase{"SpoolUnloadSubstate", "3", "GEMSpool", "SpoolPurge", false},
        StateCase{"SpoolUnloadSubstate", "4", "GEMSpool", "SpoolTransmit", false},
        StateCase{"SpoolUnloadSubstate", "5", "GEMSpool", "SpoolNoOutput", false},
        StateCase{"SpoolLoadSubstate", "6", "GEMSpool", "SpoolNotFull", false},
        StateCase{"SpoolLoadSubstate", "7", "GEMSpool", "SpoolFull", false},
        StateCase{"SpoolLoadSubstate", "8", nullptr, nullptr, false},
        StateCase{"SpoolCountTotal", "1", nullptr, nullptr, false},
        StateCase{"ControlState", "Online", nullptr, nullptr, false}));

TEST_F(GemDbTest, StateChangeSelectedByIdNamesTheVariableFromTheRow) {
    auto id = db->VariableGetField("ControlState", FLDID_VARIABLE::VAR_ID, true);
    ASSERT_TRUE(id.IsInteger());
    ASSERT_TRUE(db->VariableSetField(id, FLDID_VARIABLE::VAR_VAL, 5, true));
    ASSERT_EQ(events->states.size(), 1u);
    EXPECT_EQ(events->states[0].state, "OnlineRemote");
}

TEST_F(GemDbTest, NoNotificationWhenTheWriteFailsOrIsNotTheValue) {
    ASSERT_TRUE(db->VariableSetField("MaxSpoolTransmit", FLDID_VARIABLE::VAR_VAL, "5", true));
    EXPECT_FALSE(db->VariableSetField("MaxSpoolTransmit", FLDID_VARIABLE::VAR_VAL, "5000", true));
    EXPECT_EQ(LastErrorNumber(), 5011) << "the spool capacity is the maximum";

    KestRecVariable custom;
    custom.SetID(200);
    custom.SetName("CommState");
    ASSERT_TRUE(db->VariableAddRecord(custom));
    EXPECT_TRUE(db->VariableSetField(200, FLDID_VARIABLE::VAR_VAL, "2", false));
    EXPECT_TRUE(db->VariableSetField(200, FLDID_VARIABLE::VAR_DEFAULTVAL, "2", false));
    EXPECT_TRUE(events->states.empty()) << "only the GEM variables carry the GEM state";
    EXPECT_EQ(events->spool_checks, 0);
}

TEST_F(GemDbTest, NotificationsNeedAParent) {
    GEMDB orphan(dir.Path());
    EXPECT_TRUE(orphan.VariableSetField("CommState", FLDID_VARIABLE::VAR_VAL, "1", true));
    EXPECT_TRUE(events->states.empty());
}

}  // namespace
}  // namespace kest::testing
