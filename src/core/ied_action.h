#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kest {

class SecsTransaction;

/// The contract of every equipment-initiated transaction and of the host-message handler: the
/// control hands them driver events and times them out without knowing their kind.
class IEDAction {
  public:
    virtual ~IEDAction() = default;

    /// Seconds left before the transaction times out.
    virtual std::int32_t Timeout() const = 0;
    virtual void SetTimeout(std::int32_t seconds) = 0;
    /// The transaction number: the key in the control's list and the driver transaction's tag.
    virtual std::int32_t TID() const = 0;
    virtual void SetTID(std::int32_t tid) = 0;

    /// The class name of the service object that started it ("GEMAlarm"), for "GEMTimeout".
    virtual std::string SourceName() const = 0;
    /// The "MethodName" output of its "GEMTimeout" event; empty for none.
    virtual std::string TimeoutMethodName() const = 0;
    /// False for the host-message handler, which is never timed out.
    virtual bool TimesOut() const { return true; }

    /// The driver's port became connected.
    virtual void Connect() = 0;
    /// The driver's connection was lost.
    virtual void Disconnect(std::int32_t error_code, const std::string& error_text) = 0;
    /// The driver reported an error.
    virtual void SecsError(std::int32_t error_code, const std::string& error_text) = 0;
    /// A primary arrived from the host.
    virtual void ReceivedPrimary(const std::shared_ptr<SecsTransaction>& trans,
                                 std::int32_t error_code, const std::string& error_text) = 0;
    /// A reply arrived from the host (only replies that arrived without error).
    virtual void ReceivedSecondary(const std::shared_ptr<SecsTransaction>& trans,
                                   std::int32_t error_code, const std::string& error_text) = 0;
};

}  // namespace kest
