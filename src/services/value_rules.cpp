#include "services/value_rules.h"

#include "base/text.h"
#include "core/gem_context.h"
#include "gemdb/gemdb.h"

namespace kest {

namespace {

enmItemFormat FormatOf(const KestRecVariable& record) {
    return FormatFromCode(record.VarFormat()).value_or(enmItemFormat::FormatAscii);
}

SecsItem IdList(const std::vector<std::int32_t>& ids, SecsItem list = SecsItem()) {
    for (std::int32_t id : ids) {
        SecsItem& item = list.AddItem(enmItemFormat::FormatU4);
        item.SetValue(id);
    }
    return list;
}

void FillChildren(GemContext& control, SecsItem& list, const KestRecVariable& parent,
                  std::set<std::int32_t>& visited);

void AppendChild(GemContext& control, SecsItem& list, const KestRecVariable& child,
                 std::set<std::int32_t>& visited) {
    enmItemFormat format = FormatOf(child);
    if (format == enmItemFormat::FormatList) {
        FillChildren(control, list.AddItem(), child, visited);
        return;
    }
    if (child.AllowDuplicates() && child.Value() != "NULL") {
        for (std::string_view piece : Split(child.Value(), ',')) {
            list.AddItem(ItemFromText(format, std::string(piece)));
        }
        return;
    }
    list.AddItem(ItemFromText(format, child.Value()));
}

void FillChildren(GemContext& control, SecsItem& list, const KestRecVariable& parent,
                  std::set<std::int32_t>& visited) {
    if (!visited.insert(parent.ID()).second) return;  // a cycle of parent keys
    GEMDB& db = control.Db();
    for (bool gem : {true, false}) {
        for (const KestRecVariable& child : db.VariableGetChild(parent, gem)) {
            AppendChild(control, list, child, visited);
        }
    }
}

}  // namespace

SecsItem ItemFromText(enmItemFormat format, const std::string& text) {
    SecsItem item(format);
    if (format == enmItemFormat::FormatList) return item;
    item.SetValue(Variant(text == "NULL" ? std::string() : text));
    return item;
}

std::string ClockText(GemContext& control) {
    bool twelve = Variant(control.GemVar("TimeFormat")).ToInt16() == 0;
    return FormatLocal(control.GetClock()->Now(), twelve ? "yymmddhhnnss" : "yyyymmddhhnnss00");
}

SecsItem VariableValueItem(GemContext& control, std::int32_t vid) {
    GEMDB& db = control.Db();
    if (auto gem = db.VariableGetRecord(vid, true)) return VariableValueItem(control, *gem, true);
    if (auto custom = db.VariableGetRecord(vid, false)) {
        return VariableValueItem(control, *custom, false);
    }
    return SecsItem();
}

SecsItem VariableValueItem(GemContext& control, const KestRecVariable& record, bool gem) {
    if (record.ParentKey() != 0) return SecsItem();
    enmItemFormat format = FormatOf(record);
    const std::string& name = record.Name();
    GEMDB& db = control.Db();
    if (format != enmItemFormat::FormatList) {
        if (gem && name == "Clock") return ItemFromText(format, ClockText(control));
        if (gem && name == "SpoolCountActual") {
            return ItemFromText(format, std::to_string(control.SpoolList().size()));
        }
        return ItemFromText(format, record.Value());
    }
    if (gem && name == "AlarmsEnable") return IdList(db.AlarmGetEnabled(true));
    if (gem && name == "AlarmsSet") return IdList(db.AlarmGetSet());
    if (gem && name == "EventsEnabled") {
        SecsItem gem_events = IdList(db.EventGetEnabled(true));
        return IdList(db.EventGetEnabled(false), std::move(gem_events));
    }
    SecsItem list;
    AddListItem(control, list, record);
    return list;
}

void AddListItem(GemContext& control, SecsItem& list, const KestRecVariable& parent) {
    std::set<std::int32_t> visited;
    FillChildren(control, list, parent, visited);
}

}  // namespace kest
