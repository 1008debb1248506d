#pragma once

// A driver under test on one io_context, with short timers and a small dictionary, plus the
// frames the tests exchange with it.

#include <gtest/gtest.h>

#include <filesystem>

#include "driver/driver_errors.h"
#include "driver/vortel_tool.h"
#include "driver_test_support.h"
#include "support/test_helpers.h"

namespace kest::test {

inline constexpr const char* kTestDictionary = R"(<?xml version="1.0"?>
<dictionary>
  <message name="S1F1" stream="1" function="1" wbit="true" title="Are You There"/>
  <message name="S1F2" stream="1" function="2" title="On Line Data">
    <L><A name="MDLN"/><A name="SOFTREV"/></L>
  </message>
  <message name="S1F3" stream="1" function="3" wbit="true" title="Status Request">
    <L name="SVIDs"/>
  </message>
  <message name="S6F11" stream="6" function="11" wbit="true" title="Event Report Send">
    <L><U4 name="DATAID"/><U4 name="CEID"/><L name="reports"/></L>
  </message>
  <message name="S6F12" stream="6" function="12" title="Event Report Acknowledge">
    <B name="ACKC6">0</B>
  </message>
  <message name="S9F7" stream="9" function="7" title="Illegal Data">
    <B name="MHEAD"/>
  </message>
</dictionary>
)";

/// The value a test gives the timer it exercises.
inline constexpr std::chrono::milliseconds kShort = 150ms;
/// Every other timer: long enough that a loaded machine never sees it expire. T5 stays short,
/// since it only brings the next connection attempt sooner.
inline constexpr std::chrono::milliseconds kLong = 30s;

inline void UseTestTimers(VortelTool& driver) {
    for (auto timer : {ProtocolTimer::T3, ProtocolTimer::T6, ProtocolTimer::T7, ProtocolTimer::T8})
        driver.SetTimer(timer, kLong);
    driver.SetTimer(ProtocolTimer::T5, 100ms);
    driver.SetWriteTimeout(kLong);
}

/// A driver with the test dictionary, the test timers and a recorder for its events.
struct DriverUnderTest {
    DriverUnderTest(asio::io_context& io, enmConnectionMode mode, int device_id = 1)
        : driver(VortelTool::Create(io.get_executor())), events(std::make_shared<EventRecorder>()) {
        driver->UseDictionary(MessageDictionary::FromString(kTestDictionary, "test dictionary"));
        driver->SetEvents(events);
        driver->SetConnectionMode(mode);
        driver->SetLocalIPAddress("127.0.0.1");
        driver->SetLocalIPPort(0);
        driver->SetRemoteIPAddress("127.0.0.1");
        driver->SetDeviceID(device_id);
        UseTestTimers(*driver);
    }

    std::shared_ptr<VortelTool> driver;
    std::shared_ptr<EventRecorder> events;
};

/// A per-test directory, removed afterwards.
class TempDir {
  public:
    TempDir() {
        path_ = std::filesystem::temp_directory_path() /
                ("kest_driver_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

    /// Everything every file in the directory tree holds, concatenated.
    std::string AllText() const {
        std::string text;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_))
            text += ReadFile(entry.path());
        return text;
    }

  private:
    std::filesystem::path path_;
};

/// S1F1 W, device 1, system bytes 0x21, as E37 lays it out.
inline const std::string kS1F1W_21 = "00 00 00 0a 00 01 81 01 00 00 00 00 00 21";

/// A passive driver listening on an ephemeral port of 127.0.0.1, with raw-peer helpers.
class Passive : public ::testing::Test {
  public:
    void SetUp() override { Reopen(); }

    // Opens the port again, so that properties read at opening take effect.
    void Reopen() {
        under_.driver->OpenPort();
        port_ = under_.driver->ListeningPort();
        ASSERT_NE(port_, 0);
    }

    VortelTool& Driver() { return *under_.driver; }
    EventRecorder& Events() { return *under_.events; }

    // Connects `peer` and selects the session with Select.req system bytes `sb`.
    void Select(RawPeer& peer, std::uint32_t sb = 0x11) {
        auto connects = Events().Count("Connect");
        if (!peer.IsConnected()) peer.Connect(port_);
        peer.WriteHex(ControlHex(1, sb));
        ASSERT_EQ(peer.ReadFrame(), ControlHex(2, sb, 0, 0));
        ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Connect") == connects + 1; }));
    }

    // True when the session answers a linktest: the connection is up and in order.
    bool Answers(RawPeer& peer, std::uint32_t sb = 0x55) {
        peer.WriteHex(ControlHex(5, sb));
        return peer.ReadFrame() == ControlHex(6, sb);
    }

    // The next primary received, after running until it arrived (null if none came).
    std::shared_ptr<SecsTransaction> NextPrimary() {
        auto seen = Events().Count("ReceivedPrimary");
        if (!RunUntil(io_, [&] { return Events().Count("ReceivedPrimary") > seen; })) return {};
        return Events().Last("ReceivedPrimary")->transaction;
    }

    asio::io_context io_;
    DriverUnderTest under_{io_, enmConnectionMode::ConnectionModePassive};
    std::uint16_t port_ = 0;
};

}  // namespace kest::test
