#include "driver/driver_properties.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/error.h"
#include "support/test_helpers.h"

namespace kest {
namespace {

using namespace std::chrono_literals;

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

// Each setter refuses a value just outside its range with error 5 and keeps the old value; the
// value at the edge is taken.
TEST(DriverProperties, RefuseValuesOutOfRange) {
    struct Case {
        const char* name;
        std::function<void(DriverProperties&)> outside;
        std::function<void(DriverProperties&)> edge;
    };
    auto none = [](DriverProperties&) {};
    const Case cases[] = {
        {"device ID low", [](auto& p) { p.SetDeviceID(-1); }, [](auto& p) { p.SetDeviceID(0); }},
        {"device ID high", [](auto& p) { p.SetDeviceID(32768); },
         [](auto& p) { p.SetDeviceID(32767); }},
        {"retry limit", [](auto& p) { p.SetRetryLimit(32); }, [](auto& p) { p.SetRetryLimit(31); }},
        {"local port", [](auto& p) { p.SetLocalIPPort(65536); },
         [](auto& p) { p.SetLocalIPPort(0); }},
        {"remote port", [](auto& p) { p.SetRemoteIPPort(0); },
         [](auto& p) { p.SetRemoteIPPort(65535); }},
        {"T3", [](auto& p) { p.SetT3(0); }, [](auto& p) { p.SetT3(1); }},
        {"T1", [](auto& p) { p.SetT1(0.0f); }, none},
        {"T2", [](auto& p) { p.SetT2(-1.0f); }, none},
        {"timer", [](auto& p) { p.SetTimer(ProtocolTimer::T8, 0ms); },
         [](auto& p) { p.SetTimer(ProtocolTimer::T8, 24h); }},
        {"timer above a day", [](auto& p) { p.SetTimer(ProtocolTimer::T8, 24h + 1ms); }, none},
        {"T3 retry count", [](auto& p) { p.SetT3RetryCount(-1); },
         [](auto& p) { p.SetT3RetryCount(10); }},
        {"max message size", [](auto& p) { p.SetMaxMessageSize(0); },
         [](auto& p) { p.SetMaxMessageSize(1); }},
        {"max send queue size", [](auto& p) { p.SetMaxSendQueueSize(0); },
         [](auto& p) { p.SetMaxSendQueueSize(1); }},
        {"write timeout", [](auto& p) { p.SetWriteTimeout(0ms); },
         [](auto& p) { p.SetWriteTimeout(1ms); }},
        {"write timeout above a day", [](auto& p) { p.SetWriteTimeout(24h + 1ms); },
         [](auto& p) { p.SetWriteTimeout(24h); }},
        {"port type", [](auto& p) { p.SetPortType(static_cast<enmPortType>(5)); }, none},
        {"connection mode", [](auto& p) { p.SetConnectionMode(static_cast<enmConnectionMode>(0)); },
         none},
        {"baud rate", [](auto& p) { p.SetBaudRate(static_cast<enmBaudRate>(600)); }, none},
    };
    for (const auto& c : cases) {
        DriverProperties p;
        DriverProperties before = p;
        EXPECT_EQ(test::ErrorNumber([&] { c.outside(p); }), errc::kInvalidArgument) << c.name;
        EXPECT_EQ(p.DeviceID(), before.DeviceID()) << c.name;
        EXPECT_EQ(p.T3(), before.T3()) << c.name;
        EXPECT_EQ(p.Timer(ProtocolTimer::T8), before.Timer(ProtocolTimer::T8)) << c.name;
        EXPECT_EQ(p.PortType(), before.PortType()) << c.name;
        EXPECT_EQ(p.MaxSendQueueSize(), before.MaxSendQueueSize()) << c.name;
        EXPECT_EQ(p.WriteTimeout(), before.WriteTimeout()) << c.name;
        EXPECT_NO_THROW(c.edge(p)) << c.name;
    }
}

}  // namespace
}  // namespace kest
