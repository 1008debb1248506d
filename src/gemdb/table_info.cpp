#include "gemdb/table_info.h"

#include <array>
#include <string>

#include "base/error.h"

namespace kest {

namespace {

using K = ColumnKind;

constexpr std::array<ColumnInfo, 10> kAlarmColumns{{
    {"alm_id", K::Long},
    {"alm_name", K::Text},
    {"alm_group", K::Text},
    {"alm_text", K::Text},
    {"alm_enable", K::YesNo},
    {"alm_set_ceid", K::Long},
    {"alm_set_cename", K::Text},
    {"alm_clr_ceid", K::Long},
    {"alm_clr_cename", K::Text},
    {"alm_set", K::YesNo},
}};

constexpr std::array<ColumnInfo, 5> kEventColumns{{
    {"evt_id", K::Long},
    {"evt_name", K::Text},
    {"evt_group", K::Text},
    {"evt_text", K::Text},
    {"evt_enable", K::YesNo},
}};

constexpr std::array<ColumnInfo, 4> kReportColumns{{
    {"rpt_id", K::Long},
    {"rpt_name", K::Text},
    {"rpt_desc", K::Text},
    {"rpt_default", K::YesNo},
}};

constexpr std::array<ColumnInfo, 15> kVariableColumns{{
    {"var_id", K::Long},
    {"var_name", K::Text},
    {"var_group", K::Text},
    {"var_desc", K::Text},
    {"var_type", K::Text},
    {"var_format", K::Text},
    {"var_val", K::Text},
    {"var_defaultval", K::Text},
    {"var_min", K::Text},
    {"var_max", K::Text},
    {"var_unit", K::Text},
    {"var_parentkey", K::Long},
    {"var_accessid", K::Text},
    {"var_orderby_accessid", K::YesNo},
    {"var_allowduplicates", K::YesNo},
}};

constexpr std::array<ColumnInfo, 2> kSettingColumns{{
    {"set_value", K::Text},
    {"set_defaultval", K::Text},
}};

constexpr std::array<ColumnInfo, 3> kTransColumns{{
    {"primary_support", K::YesNo},
    {"spool_support", K::YesNo},
    {"spool_enable", K::YesNo},
}};

constexpr std::array<ColumnInfo, 3> kMapColumns{{
    {"attribute_id", K::Long},
    {"attribute_name", K::Text},
    {"attribute_value", K::Text},
}};

// Built once, in record-type order.
const std::array<TableInfo, 10> kTables{{
    {"secs_alarm", "", "alm_id", "alm_name", kAlarmColumns},
    {"secs_cusevent", "secs_gemevent", "evt_id", "evt_name", kEventColumns},
    {"secs_report", "", "rpt_id", "rpt_name", kReportColumns},
    {"secs_cusvar", "secs_gemvar", "var_id", "var_name", kVariableColumns},
    {"secs_setting", "", "", "set_field", kSettingColumns},
    {"secs_evt_rpt", "", "", "", {}},
    {"secs_rpt_var", "", "", "", {}},
    {"limit_definition", "", "", "", {}},
    {"secs_trans", "", "stream", "", kTransColumns},
    {"secs_map_settings_default", "", "attribute_id", "", kMapColumns},
}};

}  // namespace

const ColumnInfo& TableInfo::Column(int field) const {
    if (field < 1 || static_cast<std::size_t>(field) > columns.size()) {
        ThrowInvalidArgument("field " + std::to_string(field) + " is not a column of " +
                             std::string(table));
    }
    return columns[static_cast<std::size_t>(field - 1)];
}

const TableInfo& GetTableInfo(GEM_RECORDTYPE type) {
    auto index = static_cast<int>(type);
    if (index < 1 || index > static_cast<int>(kTables.size())) {
        ThrowInvalidArgument("record type " + std::to_string(index));
    }
    return kTables[static_cast<std::size_t>(index - 1)];
}

}  // namespace kest
