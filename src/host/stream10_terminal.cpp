#include "host/stream10_terminal.h"

#include <algorithm>
#include <string>

#include "base/clock.h"
#include "base/text.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/report_ids.h"
#include "host/stream9_senders.h"

namespace kest {

namespace {

bool IsText(const SecsItem& item) {
    return item.Format() == enmItemFormat::FormatAscii;
}

// The lines trimmed and joined with "|"; blank text so far takes the next line without one.
std::string JoinLines(const SecsItem& lines) {
    std::string joined;
    for (const SecsItem& line : lines) {
        if (!joined.empty()) joined += '|';
        joined += Trim(line.Text());
    }
    return joined;
}

// Acknowledges, then stores and announces `text`, or closes the message window when it is empty.
void Display(GemContext& control, SecsTransaction& trans, const std::string& text) {
    AnswerAck(trans, 0);
    KestEvent event("GEMTerminal", "MessageReceived");
    if (text.empty()) {
        control.DisplayMessage("");
        event.AddOutput("TEXT", "NULL");
    } else {
        // Both displays are stamped "S10F3": the equipment software reads one row for either.
        const std::string message =
            "S10F3" + FormatLocal(control.GetClock()->Now(), "yyyymmdd hh:nn:ss") + "> " + text;
        control.Db().UpdateMessageToMDB("secsgem_host_to_equip", "S10F3", "MessageFromHost",
                                        message);
        event.AddOutput("TEXT", message);
    }
    control.FireEvent(event);
}

}  // namespace

void ReplyS10F3(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem* body = ReadPairBody(control, *trans);
    if (body == nullptr) return;
    const SecsItem& text = body->Item(2);
    if (!IsText(text)) {
        SendS9F7(control, *trans);
        return;
    }
    Display(control, *trans, std::string(Trim(text.Text())));
}

void ReplyS10F5(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem* body = ReadPairBody(control, *trans);
    if (body == nullptr) return;
    const SecsItem& lines = body->Item(2);
    if (!lines.IsList() || !std::all_of(lines.begin(), lines.end(), IsText)) {
        SendS9F7(control, *trans);
        return;
    }
    Display(control, *trans, JoinLines(lines));
}

}  // namespace kest
