#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

/// One variable row (secs_gemvar or secs_cusvar): a status variable, data variable or
/// equipment constant. Text setters cut, trim and replace an empty text by the default.
class KestRecVariable {
  public:
    /// VID.
    std::int32_t ID() const noexcept { return id_; }
    void SetID(std::int32_t id) noexcept { id_ = id; }
    /// Variable name: at most 100 characters; empty gives "NULL".
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string_view name);
    /// Group: at most 50 characters; empty gives "GEM".
    const std::string& Group() const noexcept { return group_; }
    void SetGroup(std::string_view group);
    /// Description: at most 255 characters; empty gives "NULL".
    const std::string& Description() const noexcept { return description_; }
    void SetDescription(std::string_view description);
    /// "SV", "DV" or "EC"; any other text (lower case included) stores "SV".
    const std::string& VarType() const noexcept { return var_type_; }
    void SetVarType(std::string_view var_type);
    /// SECS-II format code (the `enmItemFormat` value); 16 (ASCII) by default.
    int VarFormat() const noexcept { return var_format_; }
    void SetVarFormat(int format) noexcept { var_format_ = format; }
    /// Current value as text: trimmed, no length limit; empty gives "NULL".
    const std::string& Value() const noexcept { return value_; }
    void SetValue(std::string_view value);
    /// Default value, written as `Value`.
    const std::string& DefaultValue() const noexcept { return default_value_; }
    void SetDefaultValue(std::string_view value);
    /// Minimum ("NULL": none), written as `Value`.
    const std::string& Min() const noexcept { return min_; }
    void SetMin(std::string_view value);
    /// Maximum ("NULL": none), written as `Value`.
    const std::string& Max() const noexcept { return max_; }
    void SetMax(std::string_view value);
    /// Unit: at most 50 characters; empty gives "NULL".
    const std::string& Unit() const noexcept { return unit_; }
    void SetUnit(std::string_view unit);
    /// VID of the list variable this one belongs to; 0 for a top-level variable.
    std::int32_t ParentKey() const noexcept { return parent_key_; }
    void SetParentKey(std::int32_t key) noexcept { parent_key_ = key; }
    /// Orders the children of one parent: at most 50 characters; empty gives "NULL".
    const std::string& AccessID() const noexcept { return access_id_; }
    void SetAccessID(std::string_view access_id);
    /// Flag kept with the row.
    bool OrderByAccessID() const noexcept { return order_by_access_id_; }
    void SetOrderByAccessID(bool value) noexcept { order_by_access_id_ = value; }
    /// True when a list child's value holds several comma-separated values.
    bool AllowDuplicates() const noexcept { return allow_duplicates_; }
    void SetAllowDuplicates(bool value) noexcept { allow_duplicates_ = value; }

    friend bool operator==(const KestRecVariable&, const KestRecVariable&) = default;

  private:
    std::int32_t id_ = 0;
    std::string name_ = "NULL";
    std::string group_ = "GEM";
    std::string description_ = "NULL";
    std::string var_type_ = "SV";
    int var_format_ = 16;
    std::string value_ = "NULL";
    std::string default_value_ = "NULL";
    std::string min_ = "NULL";
    std::string max_ = "NULL";
    std::string unit_ = "NULL";
    std::int32_t parent_key_ = 0;
    std::string access_id_ = "NULL";
    bool order_by_access_id_ = false;
    bool allow_duplicates_ = false;
};

}  // namespace kest
