#include "services/map_attributes.h"

#include <array>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "base/variant.h"
#include "gemdb/gemdb.h"

namespace kest {

namespace {

constexpr std::array<std::pair<std::string_view, enmItemFormat>, 15> kFormatNames{{
    {"A", enmItemFormat::FormatAscii},
    {"B", enmItemFormat::FormatBinary},
    {"BL", enmItemFormat::FormatBoolean},
    {"F4", enmItemFormat::FormatF4},
    {"F8", enmItemFormat::FormatF8},
    {"I1", enmItemFormat::FormatI1},
    {"I2", enmItemFormat::FormatI2},
    {"I4", enmItemFormat::FormatI4},
    {"I8", enmItemFormat::FormatI8},
    {"L", enmItemFormat::FormatList},
    {"U1", enmItemFormat::FormatU1},
    {"U2", enmItemFormat::FormatU2},
    {"U4", enmItemFormat::FormatU4},
    {"U8", enmItemFormat::FormatU8},
    {"V", enmItemFormat::FormatVar},
}};

// Name and occurrence as one key, folded as the table's NOCASE columns compare them.
std::string Key(std::string_view name, std::string_view number) {
    std::string key = ToUpperAscii(name);
    key += '\x1f';
    key += ToUpperAscii(number);
    return key;
}

}  // namespace

std::optional<enmItemFormat> MapFormat(std::string_view name) noexcept {
    for (const auto& [text, format] : kFormatNames) {
        if (text == name) return format;
    }
    return std::nullopt;
}

SecsItem MapItem(enmItemFormat format, const std::string& text) {
    SecsItem item(format);
    if (format == enmItemFormat::FormatList || text.empty() || text == "NULL") return item;
    if (format == enmItemFormat::FormatAscii || format == enmItemFormat::FormatJIS8) {
        item.SetValue(Variant(text));
        return item;
    }
    for (std::string_view piece : Split(text, ','))
        item.AddValue(Variant(std::string(piece)));
    return item;
}

MapAttributes::MapAttributes(GEMDB& db) {
    for (MapDataRow& row : db.MapDataRows("secs_S12data_EquipToHost")) {
        rows_.try_emplace(Key(row.name, row.number),
                          Row{std::move(row.format), std::move(row.value)});
    }
}

const MapAttributes::Row* MapAttributes::Find(std::string_view name,
                                              std::string_view number) const {
    auto it = rows_.find(Key(name, number));
    return it == rows_.end() ? nullptr : &it->second;
}

void MapAttributes::Apply(SecsItem& item, std::string_view name, std::string_view number) const {
    const Row* row = Find(name, number);
    if (row == nullptr) return;
    const std::optional<enmItemFormat> format = MapFormat(row->format);
    if (!format) return;
    item = MapItem(*format, row->value);
}

void MapAttributes::Apply(SecsItem& item, std::string_view name, std::size_t number) const {
    Apply(item, name, std::to_string(number));
}

std::string MapAttributes::Text(std::string_view name) const {
    const Row* row = Find(name, "NotUsed");
    return row == nullptr ? std::string() : row->value;
}

std::size_t MapAttributes::Count(std::string_view name) const {
    const Row* row = Find(name, "NotUsed");
    if (row == nullptr) return 0;
    const std::int64_t count = Variant(row->value).ToInt64();
    if (count < 0 || static_cast<std::uint64_t>(count) > kMaxMapOccurrences) {
        throw KestException(errc::kOverflow, "Overflow");
    }
    return static_cast<std::size_t>(count);
}

}  // namespace kest
