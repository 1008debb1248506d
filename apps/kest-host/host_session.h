#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include <asio/io_context.hpp>

#include "driver/vortel_tool.h"

namespace kest::host {

/// How the host reaches the equipment.
struct SessionOptions {
    bool active = true;                 ///< connect (true) or listen (false)
    std::string address = "127.0.0.1";  ///< where to connect, or the address to listen on
    int port = 5000;
    std::string secs1_device;  ///< SECS-I on this serial device instead of HSMS
    bool secs1_tcp = false;    ///< SECS-I over the TCP connection instead of HSMS
    int device_id = 0;
    int t3_seconds = 45;
    std::chrono::milliseconds timeout{10000};  ///< default bound of every wait
    std::string log_file;                      ///< SECS-II log ("" for none)
    bool quiet = false;                        ///< print only failures
};

/// A host on our own driver: it sends primaries and waits for their replies, keeps the
/// equipment's primaries for `Await`, and answers them as configured (acknowledge 0 by default).
/// Single-threaded: every wait runs the io_context until its condition holds or it times out.
class HostSession final : public SecsDriverEvents,
                          public std::enable_shared_from_this<HostSession> {
  public:
    HostSession(asio::io_context& io, SessionOptions options, std::ostream& out);

    /// Opens the port and waits until the session is selected.
    bool Open();
    /// Closes the port and waits until the session ended.
    void Close();
    /// True while the session is selected.
    bool Connected() const noexcept { return connected_; }
    /// S1F13, expecting S1F14 with COMMACK 0.
    bool Establish();
    /// Sends `primary`; when it expects a reply, waits for it. Returns the reply, or nothing on
    /// a send failure or a time-out (both printed).
    std::optional<SecsMessage> Send(const SecsMessage& primary);
    /// Waits for a primary of the equipment matching `pattern` (received earlier or later).
    std::optional<SecsMessage> Await(const SecsMessage& pattern, std::chrono::milliseconds within);
    /// True when no primary matching `pattern` has come that an `Await` has not taken; prints
    /// the one that did.
    bool Absent(const SecsMessage& pattern);
    /// Answers the equipment's primaries of `stream`/`function` with `reply` from now on.
    void SetAnswer(int stream, int function, SecsMessage reply);
    /// Runs the session for `duration`, answering whatever comes.
    void Pause(std::chrono::milliseconds duration);

    const SessionOptions& Options() const noexcept { return options_; }
    std::ostream& Out() noexcept { return out_; }
    /// Prints `text` unless quiet.
    void Say(const std::string& text);

    // SecsDriverEvents
    void Connect() override;
    void Disconnect(int error_code, const std::string& error_text) override;
    void ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int error_code,
                         const std::string& error_text) override;
    void ReceivedSecondary(std::shared_ptr<SecsTransaction> trans, int error_code,
                           const std::string& error_text) override;
    void Error(const DriverError& error) override;

  private:
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds within);
    SecsMessage AnswerFor(const SecsMessage& primary) const;

    asio::io_context& io_;
    SessionOptions options_;
    std::ostream& out_;
    std::shared_ptr<VortelTool> driver_;
    bool connected_ = false;
    std::deque<SecsMessage> received_;
    std::map<std::pair<int, int>, SecsMessage> answers_;
    std::shared_ptr<SecsTransaction> waiting_;
    bool reply_arrived_ = false;
};

}  // namespace kest::host
