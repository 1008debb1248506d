#include "gemdb/kest_rec_event.h"

#include "gemdb/record_text.h"

namespace kest {

void KestRecEvent::SetName(std::string_view name) {
    name_ = RecordText(name, 100, "NULL");
}

void KestRecEvent::SetGroup(std::string_view group) {
    group_ = RecordText(group, 50, "NULL");
}

void KestRecEvent::SetTEXT(std::string_view text) {
    text_ = RecordText(text, 255, "NULL");
}

}  // namespace kest
