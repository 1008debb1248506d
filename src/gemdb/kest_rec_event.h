#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

/// One collection event row (secs_gemevent or secs_cusevent). Text setters cut, trim and
/// replace an empty text by "NULL".
class KestRecEvent {
  public:
    /// CEID.
    std::int32_t ID() const noexcept { return id_; }
    void SetID(std::int32_t id) noexcept { id_ = id; }
    /// Event name: at most 100 characters.
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string_view name);
    /// Group: at most 50 characters.
    const std::string& Group() const noexcept { return group_; }
    void SetGroup(std::string_view group);
    /// Description: at most 255 characters.
    const std::string& TEXT() const noexcept { return text_; }
    void SetTEXT(std::string_view text);
    /// True when the event is reported.
    bool Enable() const noexcept { return enable_; }
    void SetEnable(bool enable) noexcept { enable_ = enable; }

    friend bool operator==(const KestRecEvent&, const KestRecEvent&) = default;

  private:
    std::int32_t id_ = 0;
    std::string name_ = "NULL";
    std::string group_ = "NULL";
    std::string text_ = "NULL";
    bool enable_ = false;
};

}  // namespace kest
