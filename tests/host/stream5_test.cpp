// Stream 5 from the host: alarms enabled and disabled, listed, and the refusals of malformed
// requests.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

struct AlarmCase : HostCase {
    std::vector<std::int32_t> enabled;  ///< the enabled alarms afterwards
    bool event = false;                 ///< "AlarmEnableChanged" raised
};

/// Alarm 7 "Door open" (disabled) added before alarm 3 "Vacuum low" (enabled).
class Alarms : public HostTest, public ::testing::WithParamInterface<AlarmCase> {
  protected:
    void SetUp() override {
        AddAlarm(7, "Door", "Door open", false);
        AddAlarm(3, "Vacuum", "Vacuum low", true);
        Forget();
    }
};

TEST_P(Alarms, AreSwitchedAndListedAsAsked) {
    const AlarmCase& c = GetParam();
    Check(c);
    EXPECT_EQ(h.Db().AlarmGetEnabled(true), c.enabled);
    EXPECT_EQ(h.EventNames(), c.event ? std::vector<std::string>{"GEMAlarm/AlarmEnableChanged"}
                                      : std::vector<std::string>{});
}

AlarmCase Switch(const char* label, SecsItem body, int ackc5, std::vector<std::int32_t> enabled) {
    return {{label, SecsMessage(5, 3, true, std::move(body)), B({std::uint8_t(ackc5)})},
            std::move(enabled),
            ackc5 == 0};
}

AlarmCase List(const char* label, int function, std::optional<SecsItem> body, SecsItem reply) {
    SecsMessage primary =
        body ? SecsMessage(5, function, true, std::move(*body)) : SecsMessage(5, function, true);
    return {{label, std::move(primary), std::move(reply)}, {3}};
}

AlarmCase Refused(const char* label, int function, SecsItem body, const char* refusal = "S9F7") {
    return {{label, SecsMessage(5, function, true, std::move(body)), std::nullopt, refusal}, {3}};
}

SecsItem Door(std::uint8_t alcd) {
    return L(B({alcd}), U4(7), A("Door open"));
}
SecsItem Vacuum() {
    return L(B({0x80}), U4(3), A("Vacuum low"));
}

INSTANTIATE_TEST_SUITE_P(
    Stream5, Alarms,
    ::testing::Values(Switch("enable_all", L(B({0x80}), U4()), 0, {3, 7}),
                      Switch("only_bit_8_counts", L(B({0x81}), U4(7)), 0, {3, 7}),
                      Switch("disable_one", L(B({0x7F}), U4(3)), 0, {}),
                      Switch("disable_all", L(B({0}), U4()), 0, {}),
                      Switch("unknown_alarm", L(B({0}), U4(999)), 1, {3}),
                      Refused("aled_as_u1", 3, L(U1(0x80), U4(7))),
                      Refused("aled_two_bytes", 3, L(B({0x80, 0}), U4(7))),
                      Refused("alid_as_u2", 3, L(B({0x80}), U2(7))),
                      Refused("alid_two_values", 3, L(B({0x80}), U4(7, 3))),
                      Refused("three_items", 3, L(B({0x80}), U4(7), U4(3)), "S9F11"),
                      Refused("not_a_list", 3, B({0x80}), "S9F11"),
                      List("list_all_in_table_order", 5, U4(), L(Vacuum(), Door(0))),
                      List("list_given_order_unknown_left_out", 5, U4(3, 999, 7),
                           L(Vacuum(), Door(0))),
                      List("list_enabled", 7, std::nullopt, L(Vacuum())),
                      Refused("list_alid_as_text", 5, A("3")),
                      Refused("list_enabled_with_body", 7, U4(3))),
    kLabel);

}  // namespace
}  // namespace kest::test
