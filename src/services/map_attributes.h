#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "secs/item.h"

namespace kest {

class GEMDB;

/// The item format of a stream 12 format name ("A", "B", "BL", "F4", "F8", "I1", "I2", "I4",
/// "I8", "L", "U1", "U2", "U4", "U8", "V"); nothing for any other name, "NotUsed" included.
std::optional<enmItemFormat> MapFormat(std::string_view name) noexcept;

/// An item of `format` holding `text`: several values of a number format separated by ",";
/// "NULL" or "" a zero-length item; a list an empty list. Raises KestException 13 or 6 for a
/// value that is not numeric or does not fit the format.
SecsItem MapItem(enmItemFormat format, const std::string& text);

/// The most occurrences a count row may ask for: a count beyond it is an overflow, so a wrong
/// row cannot make a message of billions of items.
inline constexpr std::size_t kMaxMapOccurrences = 1'000'000;

/// The equipment's stream 12 attributes ("secs_S12data_EquipToHost"), read once, looked up by
/// name and occurrence ("NotUsed" or "1", "2", ...) as the table's names compare: without case.
/// The first row of a name and occurrence counts.
class MapAttributes {
  public:
    explicit MapAttributes(GEMDB& db);

    /// Sets `item` to the attribute's format and value when a row exists and its format name is
    /// known; otherwise leaves it as it is. Raises KestException as `MapItem`.
    void Apply(SecsItem& item, std::string_view name, std::string_view number = "NotUsed") const;
    /// `item` for occurrence `number` (from 1).
    void Apply(SecsItem& item, std::string_view name, std::size_t number) const;

    /// The value of the single row `name`; "" without a row.
    std::string Text(std::string_view name) const;
    /// The value of the single row `name` as a count: 0 without a row; KestException 13 when it
    /// is not a number, 6 when it is negative or above kMaxMapOccurrences.
    std::size_t Count(std::string_view name) const;

  private:
    struct Row {
        std::string format;
        std::string value;
    };
    const Row* Find(std::string_view name, std::string_view number) const;

    std::unordered_map<std::string, Row> rows_;
};

}  // namespace kest
