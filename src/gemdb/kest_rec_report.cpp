#include "gemdb/kest_rec_report.h"

#include "gemdb/record_text.h"

namespace kest {

void KestRecReport::SetName(std::string_view name) {
    name_ = RecordText(name, 100, "NULL");
}

void KestRecReport::SetDescription(std::string_view description) {
    description_ = RecordText(description, 255, "NULL");
}

}  // namespace kest
