#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

/// One report definition row (secs_report). Text setters cut, trim and replace an empty text
/// by "NULL".
class KestRecReport {
  public:
    /// RPTID.
    std::int32_t ID() const noexcept { return id_; }
    void SetID(std::int32_t id) noexcept { id_ = id; }
    /// Report name: at most 100 characters.
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string_view name);
    /// Description: at most 255 characters.
    const std::string& Description() const noexcept { return description_; }
    void SetDescription(std::string_view description);
    /// True for the equipment's predefined reports, which survive "delete all reports".
    bool IsDefault() const noexcept { return is_default_; }
    void SetIsDefault(bool is_default) noexcept { is_default_ = is_default; }

    friend bool operator==(const KestRecReport&, const KestRecReport&) = default;

  private:
    std::int32_t id_ = 0;
    std::string name_ = "NULL";
    std::string description_ = "NULL";
    bool is_default_ = false;
};

}  // namespace kest
