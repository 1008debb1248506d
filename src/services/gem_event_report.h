#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kest {

class GemContext;

/// Collection event reports: checks the event against the database and sends S6F11 with the
/// reports linked to it and the current values of their variables.
class GEMEventReport : public std::enable_shared_from_this<GEMEventReport> {
  public:
    /// Attaches the control (the control's factory member does it).
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    /// The event of the last request.
    std::int32_t CEID() const noexcept { return ceid_; }
    void SetCEID(std::int32_t ceid) noexcept { ceid_ = ceid; }
    /// The event's name; "NULL" after a refused request.
    const std::string& CEIDName() const noexcept { return ceid_name_; }
    void SetCEIDName(std::string name) { ceid_name_ = std::move(name); }
    /// "SendEventRptByCEID" or "SendEventRptByName": the last requesting method.
    const std::string& RequestingMethod() const noexcept { return method_; }

    /// Sends the report of event `ceid`. Errors 4023 (no such event), 4026 (disabled).
    bool SendEventRptByCEID(std::int32_t ceid);
    /// Sends the report of the event named `name`. Errors 4024 (empty), 4025 (no such event),
    /// 4026 (disabled).
    bool SendEventRptByName(const std::string& name);

  private:
    bool Start(GemContext& control, const char* method);

    std::weak_ptr<GemContext> parent_;
    std::int32_t ceid_ = 0;
    std::string ceid_name_ = "NULL";
    std::string method_;
};

}  // namespace kest
