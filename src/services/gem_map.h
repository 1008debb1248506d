#pragma once

#include <memory>
#include <string>

namespace kest {

class GemContext;

/// Wafer-map transfer: sends the stream 12 primary of a function number, its content taken from
/// the database table "secs_S12data_EquipToHost".
class GEMMap : public std::enable_shared_from_this<GEMMap> {
  public:
    /// Attaches the control (the control's factory member does it).
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    /// The function of the last request ("0" before any).
    const std::string& functionNo() const noexcept { return function_; }
    void SetfunctionNo(std::string function) { function_ = std::move(function); }
    /// "MapSetupDataSend" once it was requested.
    const std::string& RequestingMethod() const noexcept { return method_; }

    /// Sends the wafer-map primary of odd function `functionX` ("1" ... "19"); any other text
    /// sends nothing and its transaction times out. False only without a control.
    bool MapSetupDataSend(const std::string& functionX);
    /// Reports the collection event "GemMessageAcknowledge".
    bool ClearMessage();

  private:
    std::weak_ptr<GemContext> parent_;
    std::string function_ = "0";
    std::string method_;
};

/// The terminal message window's services.
class GEMessage {
  public:
    /// Attaches the control (the control's factory member does it).
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    const std::string& functionNo() const noexcept { return function_; }
    void SetfunctionNo(std::string function) { function_ = std::move(function); }

    /// Clears the terminal message shown to the operator, as its clear button does, and reports
    /// "GemMessageAcknowledge".
    bool ClearMessage();

  private:
    std::weak_ptr<GemContext> parent_;
    std::string function_ = "0";
};

}  // namespace kest
