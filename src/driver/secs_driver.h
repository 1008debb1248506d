#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "driver/driver_properties.h"
#include "driver/secs_transaction.h"

namespace kest {

/// A driver error as fields, so the control acts on them without reading the text.
struct DriverError {
    /// One of the codes in driver/driver_errors.h.
    int code = 0;
    /// What the application is told (for 2012 and 2015 it ends with the message name).
    std::string text;
    /// The driver's source line that raised it.
    int line = 0;
    /// The message concerned, when there is one: stream, function, system bytes (0 for a message
    /// refused before it went out) and its name ("S6F11"); stream and function are -1 and the
    /// name is empty otherwise.
    int stream = -1;
    int function = -1;
    std::uint32_t system_bytes = 0;
    std::string message_name;

    /// True when the error concerns the message named `name`.
    bool Concerns(std::string_view name) const { return message_name == name; }
};

/// The five driver events, implemented by the control. Every event is raised on the driver's
/// executor, never from inside a call the control made to the driver.
class SecsDriverEvents {
  public:
    virtual ~SecsDriverEvents() = default;
    /// The session became SELECTED: messages can flow.
    virtual void Connect() = 0;
    /// The session left SELECTED; `error_code` says why (3002 closed by the remote entity, 3024
    /// network error or a remote entity that stopped reading, 3005/3014 a timer, 3006 the port
    /// was closed, 3007 a protocol violation).
    virtual void Disconnect(int error_code, const std::string& error_text) = 0;
    /// A primary arrived, with its reply shell in `Secondary`. A non-zero `error_code` (2016)
    /// says its body could not be decoded; the header fields are still exact.
    virtual void ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int error_code,
                                 const std::string& error_text) = 0;
    /// The reply to a primary sent with the W-bit arrived on the transaction that sent it.
    virtual void ReceivedSecondary(std::shared_ptr<SecsTransaction> trans, int error_code,
                                   const std::string& error_text) = 0;
    /// Anything else worth reporting (codes in driver/driver_errors.h).
    virtual void Error(const DriverError& error) = 0;
};

/// The SECS driver as the control sees it: transactions, the port, the dictionary and the
/// connection properties. `VortelTool` is the real one; tests of the GEM layer fake it.
class SecsDriver : public DriverProperties {
  public:
    virtual ~SecsDriver() = default;
    /// Where the events go. Held weakly: a listener that went away receives nothing.
    virtual void SetEvents(std::weak_ptr<SecsDriverEvents> events) = 0;
    /// A transaction for the dictionary's message `name` ("S6F11"), its primary pre-shaped.
    /// Raises `DictionaryError` "unknown message S99F1" for a name the dictionary lacks.
    virtual std::shared_ptr<SecsTransaction> CreateTransaction(std::string_view name) = 0;
    /// A transaction with an empty primary (S0F0, no body) to be shaped by the caller.
    virtual std::shared_ptr<SecsTransaction> CreateTransaction() = 0;
    /// Opens the port with the current properties (reopens it when open). Failures are raised
    /// through `Error`; success shows later as `Connect`.
    virtual void OpenPort() = 0;
    /// Closes the port and any listener; a selected session is separated first and ends with
    /// `Disconnect` 3006.
    virtual void ClosePort() = 0;
    /// Loads the dictionary named by `DictionaryFile` (the built-in one when that is empty).
    /// Raises `DictionaryError` naming the file and the fault; the previous dictionary stays.
    virtual void LoadDictionary() = 0;
};

}  // namespace kest
