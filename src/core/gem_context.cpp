#include "core/gem_context.h"

#include "gemdb/gemdb.h"

namespace kest {

std::string GemContext::GemVar(const std::string& name) const {
    return Db().VariableGetField(name, FLDID_VARIABLE::VAR_VAL, true).ToText();
}

bool GemContext::SetGemVar(const std::string& name, const Variant& value) const {
    return Db().VariableSetField(name, FLDID_VARIABLE::VAR_VAL, value, true);
}

std::string GemContext::Setting(const std::string& name) const {
    return Db().SettingGetField(name, FLDID_SETTING::SET_VALUE).ToText();
}

void GemContext::SetSetting(const std::string& name, const Variant& value) const {
    Db().SettingSetField(name, FLDID_SETTING::SET_VALUE, value);
}

}  // namespace kest
