#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/variant.h"
#include "driver/driver_types.h"

namespace kest {

class GemContext;

/// The protocol settings of the link to the host: port type, addresses, device ID and the SEMI
/// timers. Each property has a settings row of the same name; `OpenPort` hands them to the
/// driver in the order the driver expects.
class SECSProtocol {
  public:
    SECSProtocol() = default;

    /// Attaches the control: copies the saved default of "PortOpened" into its value and loads
    /// every property from the saved default of its row.
    void SetParent(std::weak_ptr<GemContext> parent);

    enmBaudRate BaudRate() const noexcept { return baud_rate_; }
    void SetBaudRate(enmBaudRate value) noexcept { baud_rate_ = value; }
    enmPortType ConnectionPortType() const noexcept { return port_type_; }
    void SetConnectionPortType(enmPortType value) noexcept { port_type_ = value; }
    std::int32_t ConnectionRetryLimit() const noexcept { return retry_limit_; }
    void SetConnectionRetryLimit(std::int32_t value) noexcept { retry_limit_ = value; }
    std::int32_t DeviceID() const noexcept { return device_id_; }
    void SetDeviceID(std::int32_t value) noexcept { device_id_ = value; }
    enmConnectionMode HSMSConnectionType() const noexcept { return connection_type_; }
    void SetHSMSConnectionType(enmConnectionMode value) noexcept { connection_type_ = value; }
    const std::string& LocalIPAddress() const noexcept { return local_ip_; }
    void SetLocalIPAddress(std::string value) { local_ip_ = std::move(value); }
    std::int32_t LocalIPPort() const noexcept { return local_port_; }
    void SetLocalIPPort(std::int32_t value) noexcept { local_port_ = value; }
    const std::string& RemoteIPAddress() const noexcept { return remote_ip_; }
    void SetRemoteIPAddress(std::string value) { remote_ip_ = std::move(value); }
    std::int32_t RemoteIPPort() const noexcept { return remote_port_; }
    void SetRemoteIPPort(std::int32_t value) noexcept { remote_port_ = value; }
    const std::string& SerialPort() const noexcept { return serial_port_; }
    void SetSerialPort(std::string value) { serial_port_ = std::move(value); }
    float T1Timeout() const noexcept { return t1_; }
    void SetT1Timeout(float value) noexcept { t1_ = value; }
    float T2Timeout() const noexcept { return t2_; }
    void SetT2Timeout(float value) noexcept { t2_ = value; }
    std::int32_t T3Timeout() const noexcept { return t3_; }
    void SetT3Timeout(std::int32_t value) noexcept { t3_ = value; }
    std::int32_t T4Timeout() const noexcept { return t4_; }
    void SetT4Timeout(std::int32_t value) noexcept { t4_ = value; }
    std::int32_t T5Timeout() const noexcept { return t5_; }
    void SetT5Timeout(std::int32_t value) noexcept { t5_ = value; }
    std::int32_t T6Timeout() const noexcept { return t6_; }
    void SetT6Timeout(std::int32_t value) noexcept { t6_ = value; }
    std::int32_t T7Timeout() const noexcept { return t7_; }
    void SetT7Timeout(std::int32_t value) noexcept { t7_ = value; }
    std::int32_t T8Timeout() const noexcept { return t8_; }
    void SetT8Timeout(std::int32_t value) noexcept { t8_ = value; }
    std::int32_t TimeOutRetry() const noexcept { return timeout_retry_; }
    void SetTimeOutRetry(std::int32_t value) noexcept { timeout_retry_ = value; }

    /// Writes every property, as text, into the value and the default column of its row.
    bool SaveSetting();
    /// Writes every property into the value column of its row, hands them to the driver in
    /// order, and opens the port (connected later, by the driver's event).
    Variant OpenPort();
    /// Closes the driver's port.
    Variant ClosePort();
    /// The TCP port a passive connection listens on (useful with `LocalIPPort` 0), else 0.
    std::uint16_t ListeningPort() const;

  private:
    struct Row;
    static const std::vector<Row>& Rows();

    std::weak_ptr<GemContext> parent_;
    enmBaudRate baud_rate_ = enmBaudRate::BaudRate9600;
    enmPortType port_type_ = enmPortType::PortTypeHSMS;
    std::int32_t retry_limit_ = 3;
    std::int32_t device_id_ = 0;
    enmConnectionMode connection_type_ = enmConnectionMode::ConnectionModePassive;
    std::string local_ip_;
    std::int32_t local_port_ = 5000;
    std::string remote_ip_;
    std::int32_t remote_port_ = 5000;
    std::string serial_port_;
    float t1_ = 0.5F;
    float t2_ = 10.0F;
    std::int32_t t3_ = 45;
    std::int32_t t4_ = 45;
    std::int32_t t5_ = 10;
    std::int32_t t6_ = 5;
    std::int32_t t7_ = 10;
    std::int32_t t8_ = 5;
    std::int32_t timeout_retry_ = 0;
};

}  // namespace kest
