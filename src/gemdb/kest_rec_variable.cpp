#include "gemdb/kest_rec_variable.h"

#include "gemdb/record_text.h"

namespace kest {

void KestRecVariable::SetName(std::string_view name) {
    name_ = RecordText(name, 100, "NULL");
}

void KestRecVariable::SetGroup(std::string_view group) {
    group_ = RecordText(group, 50, "GEM");
}

void KestRecVariable::SetDescription(std::string_view description) {
    description_ = RecordText(description, 255, "NULL");
}

void KestRecVariable::SetVarType(std::string_view var_type) {
    bool known = var_type == "SV" || var_type == "DV" || var_type == "EC";
    var_type_ = known ? std::string(var_type) : "SV";
}

void KestRecVariable::SetValue(std::string_view value) {
    value_ = RecordText(value, 0, "NULL");
}

void KestRecVariable::SetDefaultValue(std::string_view value) {
    default_value_ = RecordText(value, 0, "NULL");
}

void KestRecVariable::SetMin(std::string_view value) {
    min_ = RecordText(value, 0, "NULL");
}

void KestRecVariable::SetMax(std::string_view value) {
    max_ = RecordText(value, 0, "NULL");
}

void KestRecVariable::SetUnit(std::string_view unit) {
    unit_ = RecordText(unit, 50, "NULL");
}

void KestRecVariable::SetAccessID(std::string_view access_id) {
    access_id_ = RecordText(access_id, 50, "NULL");
}

}  // namespace kest
