#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kest {

class GemContext;
class KestRecAlarm;

/// Alarm reporting: sets or clears an alarm with S5F1, records its state in the database, and
/// reports the collection event the alarm links to its set or clear transition.
class GEMAlarm : public std::enable_shared_from_this<GEMAlarm> {
  public:
    /// Attaches the control (the control's factory member does it).
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    std::int32_t ALID() const noexcept { return alid_; }
    void SetALID(std::int32_t alid) noexcept { alid_ = alid; }
    /// True when the alarm is set, false when it is cleared.
    bool ALCD() const noexcept { return alcd_; }
    void SetALCD(bool alcd) noexcept { alcd_ = alcd; }
    /// The alarm text sent; "NULL" after a refused request.
    const std::string& ALTX() const noexcept { return altx_; }
    void SetALTX(std::string altx) { altx_ = std::move(altx); }
    /// "SetAlarmByALID" or "SetAlarmByName": the last requesting method.
    const std::string& RequestingMethod() const noexcept { return method_; }

    /// Sets (`alcd` true) or clears alarm `alid`. Errors 4001 (no such alarm), 4003 (disabled).
    /// `altx` "NULL" sends the alarm's own text.
    bool SetAlarmByALID(std::int32_t alid, bool alcd, const std::string& altx = "NULL");
    /// The same for the alarm named `name`. Errors 4002 (no such alarm), 4003 (disabled).
    bool SetAlarmByName(const std::string& name, bool alcd, const std::string& altx = "NULL");

  private:
    bool Report(GemContext& control, const KestRecAlarm& record, bool alcd, const std::string& altx,
                const char* method);

    std::weak_ptr<GemContext> parent_;
    std::int32_t alid_ = 0;
    bool alcd_ = false;
    std::string altx_ = "NULL";
    std::string method_;
};

}  // namespace kest
