#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kest {

class GemContext;

/// Terminal request: sends a line of text for the host's operator terminal with S10F1 and
/// reports the host's S10F2 acknowledge.
class GEMTerminal : public std::enable_shared_from_this<GEMTerminal> {
  public:
    /// Attaches the control (the control's factory member does it).
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    /// The terminal number of the last request.
    std::int32_t TID() const noexcept { return tid_; }
    void SetTID(std::int32_t tid) noexcept { tid_ = tid; }
    /// The text of the last request; "NULL" after a refused request.
    const std::string& TEXT() const noexcept { return text_; }
    void SetTEXT(std::string text) { text_ = std::move(text); }

    /// Sends `text` to terminal `tid` (0 to 255) with S10F1; false when the control is not
    /// attached or on error 4022 (`tid` out of range). The port, communication and control
    /// states are checked by the send: a refused send reports error 6002 and "ACKC10" 6002.
    /// The outcome comes as `MethodNotification` "TerminalRequest" with "ACKC10".
    bool TerminalRequest(std::int32_t tid, const std::string& text);

  private:
    std::weak_ptr<GemContext> parent_;
    std::int32_t tid_ = 0;
    std::string text_ = "NULL";
};

}  // namespace kest
