#include "host/stream2_clock.h"

#include <optional>
#include <string_view>

#include "base/text.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "secs/build.h"
#include "services/value_rules.h"

namespace kest {

namespace {

// The two-digit (or four-digit) field at `from` (from 0), or -1 when it is not all digits.
int Field(std::string_view text, std::size_t from, std::size_t width) {
    int value = 0;
    for (char c : text.substr(from, width)) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int LastDay(int month) {
    switch (month) {
        case 2:
            return 29;  // a common year's 29 February passes here and is refused by the clock
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        default:
            return 31;
    }
}

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

// The local time a TIME text of 12 or 16 characters holds, or nothing when it is impossible.
std::optional<LocalTime> ReadTime(std::string_view text) {
    const bool long_form = text.size() == 16;
    LocalTime t;
    std::size_t at = long_form ? 4 : 2;
    t.year = long_form ? Field(text, 0, 4) : Field(text, 0, 2);
    if (t.year < 0 || (long_form && t.year < 2000)) return std::nullopt;
    if (!long_form) t.year += 2000;
    t.month = Field(text, at, 2);
    t.day = Field(text, at + 2, 2);
    t.hour = Field(text, at + 4, 2);
    t.minute = Field(text, at + 6, 2);
    t.second = Field(text, at + 8, 2);
    if (!InRange(t.month, 1, 12) || !InRange(t.day, 1, LastDay(t.month)) ||
        !InRange(t.hour, 0, 23) || !InRange(t.minute, 0, 59) || !InRange(t.second, 0, 59)) {
        return std::nullopt;
    }
    return t;
}

}  // namespace

void ReplyS2F17(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    AnswerWith(*trans, build::A(ClockText(control)));
}

void ReplyS2F25(GemContext&, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem& root = trans->Primary().RootItem();
    SecsItem abs(enmItemFormat::FormatBinary);
    if (root.BodyCount() > 0) abs.SetData(root.Item(1).Data());
    AnswerWith(*trans, std::move(abs));
}

void ReplyS2F31(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem& root = trans->Primary().RootItem();
    if (root.BodyCount() != 1 || root.Item(1).Format() != enmItemFormat::FormatAscii) {
        SendS9F7(control, *trans);
        return;
    }
    const std::string_view text = Trim(root.Item(1).Text());
    if (!ParseNumeric(text)) {
        SendS9F7(control, *trans);
        return;
    }
    if (text.size() != 12 && text.size() != 16) {
        SendS9F11(control, *trans);
        return;
    }
    const std::optional<LocalTime> time = ReadTime(text);
    if (!time) {
        SendS9F7(control, *trans);
        return;
    }
    const std::uint8_t tiack = control.SetLocalTime(*time) ? 0 : 1;
    AnswerWith(*trans, build::B({tiack}));
}

}  // namespace kest
