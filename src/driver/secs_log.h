#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "driver/transport.h"
#include "secs/message.h"

namespace kest {

class DriverProperties;

/// Which log: the SECS-II messages, or the SECS-I line control and blocks ("<SECSILogPath>/
/// SECSI_yyyy-mm-dd.log").
enum class SecsLogKind { SecsII, SecsI };

/// The SECS-II log: one entry per message sent or received (control messages and link notes
/// too), appended to a daily file. An entry is a line with the time, the direction and the
/// header, then the body in SML, indented:
///
///     2024/05/06 13:45:12.34 SEND S1F3 W SystemBytes=0x00000007 DeviceID=1
///       <L [1]
///         <U4 1>
///       >
///
/// It reads its settings (`SECSIILogFile`, `LogEnabled`, `LogRawBytes`) from the driver's
/// properties at every entry. A failing write never stops the protocol: the failure is handed
/// to the failure handler once, and again only after a write succeeded in between.
class SecsLog {
  public:
    SecsLog(const DriverProperties& properties, std::shared_ptr<Clock> clock,
            SecsLogKind kind = SecsLogKind::SecsII);
    ~SecsLog();
    SecsLog(const SecsLog&) = delete;
    SecsLog& operator=(const SecsLog&) = delete;

    /// The file for the day of `t`: "<dir>/SECSII.log" becomes "<dir>/SECSII_yyyy-mm-dd.log"
    /// (local date); a name without extension gets ".log".
    static std::filesystem::path DailyFile(const std::filesystem::path& base, Clock::TimePoint t);

    /// Called with a text when writing fails.
    void SetFailureHandler(std::function<void(const std::string&)> handler) {
        on_failure_ = std::move(handler);
    }
    /// True when entries are written (enabled and a file is named).
    bool Active() const noexcept;

    /// A data message. `message` is the decoded message, or null when its body could not be
    /// decoded (the raw bytes are written then); `remark` is appended to the header line.
    void Message(LogDirection direction, const MessageHeader& header, const SecsMessage* message,
                 std::span<const std::uint8_t> body, std::string_view remark = {});
    /// A control message, described by the transport.
    void Control(LogDirection direction, std::string_view what);
    /// A note about the link.
    void Note(std::string_view text);

  private:
    static std::string Stamp(Clock::TimePoint now);
    std::filesystem::path BasePath() const;
    const char* Name() const noexcept;
    void Write(const std::string& entry, Clock::TimePoint now);
    void CloseFile() noexcept;
    void Fail(const std::string& text);

    const DriverProperties& properties_;
    std::shared_ptr<Clock> clock_;
    SecsLogKind kind_;
    std::function<void(const std::string&)> on_failure_;
    std::FILE* file_ = nullptr;
    std::filesystem::path open_path_;
    bool failing_ = false;
};

}  // namespace kest
