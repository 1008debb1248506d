#include "gemdb/kest_rec_alarm.h"

#include "gemdb/record_text.h"

namespace kest {

void KestRecAlarm::SetName(std::string_view name) {
    name_ = RecordText(name, 100, "NULL");
}

void KestRecAlarm::SetGroup(std::string_view group) {
    group_ = RecordText(group, 50, "NORMAL");
}

void KestRecAlarm::SetTEXT(std::string_view text) {
    text_ = RecordText(text, 255, "NULL");
}

void KestRecAlarm::SetSetCEName(std::string_view name) {
    set_cename_ = RecordText(name, 100, "NULL");
}

void KestRecAlarm::SetClearCEName(std::string_view name) {
    clear_cename_ = RecordText(name, 100, "NULL");
}

}  // namespace kest
