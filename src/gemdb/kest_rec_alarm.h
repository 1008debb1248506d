#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

/// One alarm row (secs_alarm). Text setters cut, trim and replace an empty text by the default.
class KestRecAlarm {
  public:
    /// ALID.
    std::int32_t ID() const noexcept { return id_; }
    void SetID(std::int32_t id) noexcept { id_ = id; }
    /// Alarm name: at most 100 characters; empty gives "NULL".
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string_view name);
    /// Group: at most 50 characters; empty gives "NORMAL".
    const std::string& Group() const noexcept { return group_; }
    void SetGroup(std::string_view group);
    /// Alarm text (ALTX): at most 255 characters; empty gives "NULL".
    const std::string& TEXT() const noexcept { return text_; }
    void SetTEXT(std::string_view text);
    /// True when reporting of the alarm is enabled (ALED).
    bool Enable() const noexcept { return enable_; }
    void SetEnable(bool enable) noexcept { enable_ = enable; }
    /// Collection event reported when the alarm is set (0: none).
    std::int32_t SetCEID() const noexcept { return set_ceid_; }
    void SetSetCEID(std::int32_t ceid) noexcept { set_ceid_ = ceid; }
    /// Name of that event: at most 100 characters; empty gives "NULL".
    const std::string& SetCEName() const noexcept { return set_cename_; }
    void SetSetCEName(std::string_view name);
    /// Collection event reported when the alarm is cleared (0: none).
    std::int32_t ClearCEID() const noexcept { return clear_ceid_; }
    void SetClearCEID(std::int32_t ceid) noexcept { clear_ceid_ = ceid; }
    /// Name of that event: at most 100 characters; empty gives "NULL".
    const std::string& ClearCEName() const noexcept { return clear_cename_; }
    void SetClearCEName(std::string_view name);
    /// True while the alarm is set.
    bool AlarmSet() const noexcept { return alarm_set_; }
    void SetAlarmSet(bool set) noexcept { alarm_set_ = set; }

    friend bool operator==(const KestRecAlarm&, const KestRecAlarm&) = default;

  private:
    std::int32_t id_ = 0;
    std::string name_ = "NULL";
    std::string group_ = "NORMAL";
    std::string text_ = "NULL";
    bool enable_ = false;
    std::int32_t set_ceid_ = 0;
    std::string set_cename_ = "NULL";
    std::int32_t clear_ceid_ = 0;
    std::string clear_cename_ = "NULL";
    bool alarm_set_ = false;
};

}  // namespace kest
