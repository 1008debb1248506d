#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/variant.h"
#include "secs/format.h"

namespace kest {

class SecsTransaction;

/// An error the control reports: where, which number, what, and the source line.
struct KestError {
    std::string ErrSource;     ///< object name, ":" and procedure name
    std::int32_t ErrCode = 0;  ///< error number
    std::string ErrText;       ///< error text
    std::int32_t ErrLine = 0;  ///< line reached
};

/// A named value of a notification.
struct KestItem {
    std::string ItemName;
    Variant ItemValue;
};

/// A GEM happening: a state change, a constant change, a trace set-up, a time-out ...
class KestEvent {
  public:
    KestEvent() = default;
    KestEvent(std::string service_name, std::string event_name)
        : ServiceName(std::move(service_name)), EventName(std::move(event_name)) {}

    std::string ServiceName;
    std::string EventName;

    /// The event's output items, in order.
    std::vector<KestItem>& Outputs() noexcept { return outputs_; }
    const std::vector<KestItem>& Outputs() const noexcept { return outputs_; }
    /// Appends an output item.
    void AddOutput(std::string name, Variant value) {
        outputs_.push_back({std::move(name), std::move(value)});
    }
    /// The value of the first output named `name`, or empty.
    Variant Output(const std::string& name) const;

  private:
    std::vector<KestItem> outputs_;
};

/// The outcome of a request of the application, named after the SEMI data items it carries.
class KestMethod {
  public:
    KestMethod() = default;
    KestMethod(std::string service_name, std::string method_name, std::int32_t tid = 0)
        : ServiceName(std::move(service_name)), MethodName(std::move(method_name)), TID(tid) {}

    std::string ServiceName;
    std::string MethodName;
    std::int32_t TID = 0;  ///< the transaction number of the transaction that produced it

    std::vector<KestItem>& Inputs() noexcept { return inputs_; }
    const std::vector<KestItem>& Inputs() const noexcept { return inputs_; }
    std::vector<KestItem>& Outputs() noexcept { return outputs_; }
    const std::vector<KestItem>& Outputs() const noexcept { return outputs_; }
    void AddInput(std::string name, Variant value) {
        inputs_.push_back({std::move(name), std::move(value)});
    }
    void AddOutput(std::string name, Variant value) {
        outputs_.push_back({std::move(name), std::move(value)});
    }
    /// The value of the first output named `name`, or empty.
    Variant Output(const std::string& name) const;

  private:
    std::vector<KestItem> inputs_;
    std::vector<KestItem> outputs_;
};

/// A parameter of a remote command (S2F41) and its acknowledge.
struct KestCmdItem {
    std::string CPNAME;
    enmItemFormat CPFORMAT = enmItemFormat::FormatAscii;
    Variant CPVAL;
    std::int32_t CPACK = 0;
};

/// A parameter of an enhanced remote command (S2F49) and its acknowledge.
struct KestEnCmdItem {
    std::string CPNAME;
    enmItemFormat CPFORMAT = enmItemFormat::FormatAscii;
    Variant CEPVAL;
    std::int32_t CEPACK = 0;
};

/// A remote command of the host, handed to the application and answered with `ReplyCommand`.
class KestCommand {
  public:
    /// A command with the defaults: RCMD "KestCommand", OBJSPEC and S2F49type "NULL", and the
    /// transaction number `tid`.
    explicit KestCommand(std::int32_t tid = 0) : tid_(tid) {}

    std::string S2F49type = "NULL";
    std::string RCMD = "KestCommand";
    std::int32_t HCACK = 0;
    std::string OBJSPEC = "NULL";
    bool IsEnhanced = false;

    std::vector<KestCmdItem>& Inputs() noexcept { return inputs_; }
    const std::vector<KestCmdItem>& Inputs() const noexcept { return inputs_; }
    using Output = std::variant<KestCmdItem, KestEnCmdItem>;
    std::vector<Output>& Outputs() noexcept { return outputs_; }
    const std::vector<Output>& Outputs() const noexcept { return outputs_; }
    /// Appends an output acknowledging parameter `CPNAME` of an S2F41 command with `CPACK`.
    void AddOutputs(std::string CPNAME, std::int32_t CPACK);
    /// Appends an output acknowledging parameter `CPNAME` of an S2F49 command with `CEPACK`.
    void AddEnOutputs(std::string CPNAME, std::int32_t CEPACK);

    /// The transaction number that keys the command among those waiting for a reply.
    std::int32_t TID() const noexcept { return tid_; }
    /// Seconds left before the command times out.
    std::int32_t Countdown() const noexcept { return countdown_; }
    void SetCountdown(std::int32_t seconds) noexcept { countdown_ = seconds; }
    /// The received primary to answer.
    const std::shared_ptr<SecsTransaction>& Transaction() const noexcept { return transaction_; }
    void SetTransaction(std::shared_ptr<SecsTransaction> t) { transaction_ = std::move(t); }

  private:
    std::vector<KestCmdItem> inputs_;
    std::vector<Output> outputs_;
    std::int32_t tid_;
    std::int32_t countdown_ = 0;
    std::shared_ptr<SecsTransaction> transaction_;
};

}  // namespace kest
