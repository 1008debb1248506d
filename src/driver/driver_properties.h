#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "driver/driver_types.h"

namespace kest {

/// The protocol timers. T1 and T2 (SECS-I) are fractions of a second; the others whole seconds
/// as handed over, but kept in milliseconds so tests can run them short.
enum class ProtocolTimer { T1 = 1, T2, T3, T4, T5, T6, T7, T8 };

/// The driver's connection properties, in the order the control hands them over, with their
/// checks. Setters raise `KestException` 5 ("Invalid procedure call or argument") for a value
/// outside its range and change nothing then. Values take effect at the next `OpenPort`, except
/// T3, the retry count, the device ID, the log settings and the maximum message size, which the
/// driver reads at each message.
class DriverProperties {
  public:
    /// SECS-I line speed.
    enmBaudRate BaudRate() const noexcept { return baud_rate_; }
    void SetBaudRate(enmBaudRate value);
    /// True for a network port (HSMS), false for a serial one: handed over as "true unless the
    /// port type is RS232". Opening refuses a port type that contradicts it.
    bool NetworkPort() const noexcept { return network_port_; }
    void SetNetworkPort(bool value) noexcept { network_port_ = value; }
    /// The transport: HSMS and HSMS_SS run HSMS-SS; RS232 runs SECS-I on `SerialPort`, TCPIP
    /// runs SECS-I over TCP (connecting or listening as `ConnectionMode` says).
    enmPortType PortType() const noexcept { return port_type_; }
    void SetPortType(enmPortType value);
    /// SECS-I block retry limit (RTY), 0 to 31.
    int RetryLimit() const noexcept { return retry_limit_; }
    void SetRetryLimit(int value);
    /// The device ID of the messages sent, 0 to 32767.
    int DeviceID() const noexcept { return device_id_; }
    void SetDeviceID(int value);
    /// The driver plays the host rather than the equipment (handed over false). SECS-I uses it for
    /// the R-bit and line contention; HSMS-SS treats both sides alike.
    bool HostRole() const noexcept { return host_role_; }
    void SetHostRole(bool value) noexcept { host_role_ = value; }
    /// Active (connect) or passive (listen).
    enmConnectionMode ConnectionMode() const noexcept { return connection_mode_; }
    void SetConnectionMode(enmConnectionMode value);
    /// The SECS-II log also writes each body's bytes in hex (handed over false).
    bool LogRawBytes() const noexcept { return log_raw_bytes_; }
    void SetLogRawBytes(bool value) noexcept { log_raw_bytes_ = value; }
    /// The address a passive port listens on; empty or "0.0.0.0" for every interface.
    const std::string& LocalIPAddress() const noexcept { return local_ip_address_; }
    void SetLocalIPAddress(std::string value) { local_ip_address_ = std::move(value); }
    /// The TCP port a passive port listens on, 0 to 65535 (0: any free port).
    int LocalIPPort() const noexcept { return local_ip_port_; }
    void SetLocalIPPort(int value);
    /// The address an active port connects to (a numeric address or a host name).
    const std::string& RemoteIPAddress() const noexcept { return remote_ip_address_; }
    void SetRemoteIPAddress(std::string value) { remote_ip_address_ = std::move(value); }
    /// The TCP port an active port connects to, 1 to 65535.
    int RemoteIPPort() const noexcept { return remote_ip_port_; }
    void SetRemoteIPPort(int value);
    /// The serial device of SECS-I ("/dev/ttyS0").
    const std::string& SerialPort() const noexcept { return serial_port_; }
    void SetSerialPort(std::string value) { serial_port_ = std::move(value); }
    /// The SECS-II log is written (handed over true); it also needs `SECSIILogFile`.
    bool LogEnabled() const noexcept { return log_enabled_; }
    void SetLogEnabled(bool value) noexcept { log_enabled_ = value; }

    /// T1 inter-character (SECS-I), seconds, above 0.
    float T1() const noexcept;
    void SetT1(float seconds);
    /// T2 protocol (SECS-I), seconds, above 0.
    float T2() const noexcept;
    void SetT2(float seconds);
    /// T3 reply, whole seconds, at least 1 (a shorter value set in milliseconds reads as 0).
    int T3() const noexcept { return Seconds(ProtocolTimer::T3); }
    void SetT3(int seconds) { SetSeconds(ProtocolTimer::T3, seconds); }
    /// T4 inter-block (SECS-I).
    int T4() const noexcept { return Seconds(ProtocolTimer::T4); }
    void SetT4(int seconds) { SetSeconds(ProtocolTimer::T4, seconds); }
    /// T5 connect separation.
    int T5() const noexcept { return Seconds(ProtocolTimer::T5); }
    void SetT5(int seconds) { SetSeconds(ProtocolTimer::T5, seconds); }
    /// T6 control transaction.
    int T6() const noexcept { return Seconds(ProtocolTimer::T6); }
    void SetT6(int seconds) { SetSeconds(ProtocolTimer::T6, seconds); }
    /// T7 not selected.
    int T7() const noexcept { return Seconds(ProtocolTimer::T7); }
    void SetT7(int seconds) { SetSeconds(ProtocolTimer::T7, seconds); }
    /// T8 network inter-character.
    int T8() const noexcept { return Seconds(ProtocolTimer::T8); }
    void SetT8(int seconds) { SetSeconds(ProtocolTimer::T8, seconds); }
    /// Any timer in milliseconds, at least 1 ms and at most a day.
    std::chrono::milliseconds Timer(ProtocolTimer timer) const noexcept;
    void SetTimer(ProtocolTimer timer, std::chrono::milliseconds value);

    /// How often a primary is sent again when T3 expires before error 2012 is raised, 0 to 10.
    int T3RetryCount() const noexcept { return t3_retry_count_; }
    void SetT3RetryCount(int value);
    /// A reply must carry its primary's stream and function + 1 (or 0) besides its system bytes;
    /// any other is dropped as unexpected (handed over false).
    bool CheckReplyStream() const noexcept { return check_reply_stream_; }
    void SetCheckReplyStream(bool value) noexcept { check_reply_stream_ = value; }
    /// Closing the port drops the connection without sending Separate.req (handed over false).
    bool AbruptClose() const noexcept { return abrupt_close_; }
    void SetAbruptClose(bool value) noexcept { abrupt_close_ = value; }
    /// The process-program directory, kept for the control.
    const std::string& PPDirectory() const noexcept { return pp_directory_; }
    void SetPPDirectory(std::string value) { pp_directory_ = std::move(value); }

    /// The message dictionary file `LoadDictionary` reads; empty for the built-in dictionary.
    const std::string& DictionaryFile() const noexcept { return dictionary_file_; }
    void SetDictionaryFile(std::string value) { dictionary_file_ = std::move(value); }
    /// The SECS-II log: "<dir>/SECSII.log" writes "<dir>/SECSII_yyyy-mm-dd.log"; empty: no log.
    const std::string& SECSIILogFile() const noexcept { return secs2_log_file_; }
    void SetSECSIILogFile(std::string value) { secs2_log_file_ = std::move(value); }
    /// The directory of the SECS-I log.
    const std::string& SECSILogPath() const noexcept { return secs1_log_path_; }
    void SetSECSILogPath(std::string value) { secs1_log_path_ = std::move(value); }

    /// The largest message body accepted or sent, in bytes (default 16 MiB), at least 1.
    std::size_t MaxMessageSize() const noexcept { return max_message_size_; }
    void SetMaxMessageSize(std::size_t bytes);
    /// The most bytes waiting to be written to the socket (default 32 MiB: twice the largest
    /// message, and a bounded cost for a host that stopped reading), at least 1. A
    /// message that would take the total above it drops the connection with 3024: the remote
    /// entity stopped reading. A message alone always goes, so keep it above `MaxMessageSize`.
    std::size_t MaxSendQueueSize() const noexcept { return max_send_queue_size_; }
    void SetMaxSendQueueSize(std::size_t bytes);
    /// How long a write to the socket may make no progress (default 10 s, 1 ms to a day) before
    /// the connection is dropped with 3024: the remote entity stopped reading.
    std::chrono::milliseconds WriteTimeout() const noexcept { return write_timeout_; }
    void SetWriteTimeout(std::chrono::milliseconds value);

  private:
    int Seconds(ProtocolTimer timer) const noexcept;
    void SetSeconds(ProtocolTimer timer, int seconds);
    std::chrono::milliseconds& TimerRef(ProtocolTimer timer);

    enmBaudRate baud_rate_ = enmBaudRate::BaudRate9600;
    bool network_port_ = true;
    enmPortType port_type_ = enmPortType::PortTypeHSMS_SS;
    int retry_limit_ = 3;
    int device_id_ = 0;
    bool host_role_ = false;
    enmConnectionMode connection_mode_ = enmConnectionMode::ConnectionModePassive;
    bool log_raw_bytes_ = false;
    std::string local_ip_address_;
    int local_ip_port_ = 5000;
    std::string remote_ip_address_ = "127.0.0.1";
    int remote_ip_port_ = 5000;
    std::string serial_port_;
    bool log_enabled_ = true;
    std::chrono::milliseconds timers_[8] = {
        std::chrono::milliseconds(500),    std::chrono::milliseconds(10'000),
        std::chrono::milliseconds(45'000), std::chrono::milliseconds(45'000),
        std::chrono::milliseconds(10'000), std::chrono::milliseconds(5'000),
        std::chrono::milliseconds(10'000), std::chrono::milliseconds(5'000)};
    int t3_retry_count_ = 0;
    bool check_reply_stream_ = false;
    bool abrupt_close_ = false;
    std::string pp_directory_;
    std::string dictionary_file_;
    std::string secs2_log_file_;
    std::string secs1_log_path_;
    std::size_t max_message_size_ = 16 * 1024 * 1024;
    std::size_t max_send_queue_size_ = 32 * 1024 * 1024;
    std::chrono::milliseconds write_timeout_{10'000};
};

}  // namespace kest
