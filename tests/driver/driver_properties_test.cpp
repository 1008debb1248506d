#include "driver/driver_properties.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace kest {
namespace {

using namespace std::chrono_literals;

TEST(DriverProperties, DefaultsAreTheUsualSemiValues) {
    DriverProperties p;
    EXPECT_EQ(p.PortType(), enmPortType::PortTypeHSMS_SS);
    EXPECT_EQ(p.ConnectionMode(), enmConnectionMode::ConnectionModePassive);
    EXPECT_FLOAT_EQ(p.T1(), 0.5f);
    EXPECT_FLOAT_EQ(p.T2(), 10.0f);
    EXPECT_EQ(p.T3(), 45);
    EXPECT_EQ(p.T4(), 45);
    EXPECT_EQ(p.T5(), 10);
    EXPECT_EQ(p.T6(), 5);
    EXPECT_EQ(p.T7(), 10);
    EXPECT_EQ(p.T8(), 5);
    EXPECT_EQ(p.RetryLimit(), 3);
    EXPECT_EQ(p.MaxMessageSize(), 16u * 1024 * 1024);
    EXPECT_TRUE(p.NetworkPort());
    EXPECT_TRUE(p.LogEnabled());
}

TEST(DriverProperties, TimersAcceptSecondsAndMilliseconds) {
    DriverProperties p;
    p.SetT3(120);
    EXPECT_EQ(p.Timer(ProtocolTimer::T3), 120'000ms);
    p.SetTimer(ProtocolTimer::T6, 50ms);
    EXPECT_EQ(p.T6(), 0);  // under a second reads as 0 whole seconds
    EXPECT_EQ(p.Timer(ProtocolTimer::T6), 50ms);
    p.SetT1(0.1f);
    EXPECT_EQ(p.Timer(ProtocolTimer::T1), 100ms);
    EXPECT_FLOAT_EQ(p.T1(), 0.1f);
    p.SetT2(25.0f);
    EXPECT_EQ(p.Timer(ProtocolTimer::T2), 25'000ms);
}

// Each setter refuses what is out of range with error 5 and keeps the old value.
TEST(DriverProperties, RefuseValuesOutOfRange) {
    DriverProperties p;
    auto refused = [](auto&& set) {
        try {
            set();
        } catch (const KestException& e) {
            return e.Number() == errc::kInvalidArgument;
        }
        return false;
    };
    EXPECT_TRUE(refused([&] { p.SetDeviceID(-1); }));
    EXPECT_TRUE(refused([&] { p.SetDeviceID(32768); }));
    EXPECT_NO_THROW(p.SetDeviceID(32767));
    EXPECT_TRUE(refused([&] { p.SetRetryLimit(32); }));
    EXPECT_TRUE(refused([&] { p.SetLocalIPPort(65536); }));
    EXPECT_NO_THROW(p.SetLocalIPPort(0));
    EXPECT_TRUE(refused([&] { p.SetRemoteIPPort(0); }));
    EXPECT_TRUE(refused([&] { p.SetT3(0); }));
    EXPECT_TRUE(refused([&] { p.SetT1(0.0f); }));
    EXPECT_TRUE(refused([&] { p.SetT2(-1.0f); }));
    EXPECT_TRUE(refused([&] { p.SetTimer(ProtocolTimer::T8, 0ms); }));
    EXPECT_TRUE(refused([&] { p.SetT3RetryCount(-1); }));
    EXPECT_TRUE(refused([&] { p.SetMaxMessageSize(0); }));
    EXPECT_TRUE(refused([&] { p.SetPortType(static_cast<enmPortType>(5)); }));
    EXPECT_TRUE(refused([&] { p.SetConnectionMode(static_cast<enmConnectionMode>(0)); }));
    EXPECT_TRUE(refused([&] { p.SetBaudRate(static_cast<enmBaudRate>(600)); }));
    EXPECT_EQ(p.DeviceID(), 32767);
    EXPECT_EQ(p.T3(), 45);
    EXPECT_EQ(p.PortType(), enmPortType::PortTypeHSMS_SS);
}

}  // namespace
}  // namespace kest
