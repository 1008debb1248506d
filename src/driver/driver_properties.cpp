#include "driver/driver_properties.h"

#include <cmath>
#include <string>

#include "base/error.h"

namespace kest {

namespace {

constexpr std::chrono::milliseconds kLongestTimer = std::chrono::hours(24);
constexpr std::size_t kLargestMessage = 0xFFFFFFFFu - 10;  // what the HSMS length field can carry

void RequireRange(const char* what, long long value, long long low, long long high) {
    if (value < low || value > high) {
        ThrowInvalidArgument(std::string(what) + " " + std::to_string(value) + " is outside " +
                             std::to_string(low) + " to " + std::to_string(high));
    }
}

void RequireDuration(const char* what, std::chrono::milliseconds value) {
    if (value.count() < 1 || value > kLongestTimer) {
        ThrowInvalidArgument(std::string(what) + " of " + std::to_string(value.count()) +
                             " ms is outside 1 ms to a day");
    }
}

std::chrono::milliseconds FromSeconds(const char* what, float seconds) {
    if (!std::isfinite(seconds) || seconds <= 0 || seconds > 86'400) {
        ThrowInvalidArgument(std::string(what) + " must be above 0 and at most a day");
    }
    auto ms = std::lround(static_cast<double>(seconds) * 1000.0);
    return std::chrono::milliseconds(ms < 1 ? 1 : ms);
}

}  // namespace

void DriverProperties::SetBaudRate(enmBaudRate value) {
    if (!IsBaudRate(static_cast<int>(value))) {
        ThrowInvalidArgument("baud rate " + std::to_string(static_cast<int>(value)));
    }
    baud_rate_ = value;
}

void DriverProperties::SetPortType(enmPortType value) {
    if (!IsPortType(static_cast<int>(value))) {
        ThrowInvalidArgument("port type " + std::to_string(static_cast<int>(value)));
    }
    port_type_ = value;
}

void DriverProperties::SetRetryLimit(int value) {
    RequireRange("retry limit", value, 0, 31);
    retry_limit_ = value;
}

void DriverProperties::SetDeviceID(int value) {
    RequireRange("device ID", value, 0, 32767);
    device_id_ = value;
}

void DriverProperties::SetConnectionMode(enmConnectionMode value) {
    if (!IsConnectionMode(static_cast<int>(value))) {
        ThrowInvalidArgument("connection mode " + std::to_string(static_cast<int>(value)));
    }
    connection_mode_ = value;
}

void DriverProperties::SetLocalIPPort(int value) {
    RequireRange("local port", value, 0, 65535);
    local_ip_port_ = value;
}

void DriverProperties::SetRemoteIPPort(int value) {
    RequireRange("remote port", value, 1, 65535);
    remote_ip_port_ = value;
}

float DriverProperties::T1() const noexcept {
    return static_cast<float>(Timer(ProtocolTimer::T1).count()) / 1000.0f;
}

void DriverProperties::SetT1(float seconds) {
    TimerRef(ProtocolTimer::T1) = FromSeconds("T1", seconds);
}

float DriverProperties::T2() const noexcept {
    return static_cast<float>(Timer(ProtocolTimer::T2).count()) / 1000.0f;
}

void DriverProperties::SetT2(float seconds) {
    TimerRef(ProtocolTimer::T2) = FromSeconds("T2", seconds);
}

std::chrono::milliseconds DriverProperties::Timer(ProtocolTimer timer) const noexcept {
    return timers_[static_cast<int>(timer) - 1];
}

void DriverProperties::SetTimer(ProtocolTimer timer, std::chrono::milliseconds value) {
    int index = static_cast<int>(timer);
    RequireRange("timer", index, 1, 8);
    RequireDuration(("T" + std::to_string(index)).c_str(), value);
    TimerRef(timer) = value;
}

int DriverProperties::Seconds(ProtocolTimer timer) const noexcept {
    return static_cast<int>(Timer(timer).count() / 1000);
}

void DriverProperties::SetSeconds(ProtocolTimer timer, int seconds) {
    std::string name = "T";  // then appended: "T" + a temporary trips GCC 12's -Wrestrict
    name += std::to_string(static_cast<int>(timer));
    RequireRange(name.c_str(), seconds, 1, 86'400);
    TimerRef(timer) = std::chrono::seconds(seconds);
}

std::chrono::milliseconds& DriverProperties::TimerRef(ProtocolTimer timer) {
    return timers_[static_cast<int>(timer) - 1];
}

void DriverProperties::SetT3RetryCount(int value) {
    RequireRange("T3 retry count", value, 0, 10);
    t3_retry_count_ = value;
}

void DriverProperties::SetMaxMessageSize(std::size_t bytes) {
    if (bytes < 1 || bytes > kLargestMessage) {
        ThrowInvalidArgument("maximum message size " + std::to_string(bytes) + " is outside 1 to " +
                             std::to_string(kLargestMessage));
    }
    max_message_size_ = bytes;
}

void DriverProperties::SetMaxSendQueueSize(std::size_t bytes) {
    if (bytes < 1) ThrowInvalidArgument("maximum send queue size 0 is below 1");
    max_send_queue_size_ = bytes;
}

void DriverProperties::SetWriteTimeout(std::chrono::milliseconds value) {
    RequireDuration("write timeout", value);
    write_timeout_ = value;
}

}  // namespace kest
