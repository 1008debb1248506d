#include "host/queued_acknowledges.h"

#include <optional>
#include <string>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "host/stream9_senders.h"
#include "queue/queue_store.h"
#include "secs/item.h"

namespace kest {

namespace {

// The code of a one-item reply, when it is one value that fits a byte.
std::optional<int> AckCode(const SecsMessage& reply) {
    const SecsItem& root = reply.RootItem();
    if (root.BodyCount() != 1) return std::nullopt;
    const SecsItem& code = root.Item(1);
    const bool numeric =
        code.Format() == enmItemFormat::FormatBinary || IsIntegerFormat(code.Format());
    if (!numeric || code.Count() != 1) return std::nullopt;
    const std::int64_t value = code.Value().ToInt64();
    if (value < 0 || value > 255) return std::nullopt;
    return static_cast<int>(value);
}

// S9F7 about the host's reply itself, which is the offending message.
void RefuseReply(GemContext& control, const SecsTransaction& trans) {
    const SecsMessage& reply = trans.Secondary();
    SendS9F7(control, trans.DeviceID(), reply.Stream(), reply.Function());
}

void QueueAckCode(GemContext& control, const SecsTransaction& trans, const char* name) {
    const std::optional<int> code = AckCode(trans.Secondary());
    if (!code) {
        RefuseReply(control, trans);
        return;
    }
    control.SendMsg(std::string(name) + "(" + std::to_string(*code) + ")", kAcknowledgeQueuePath);
}

}  // namespace

void ReplyS5F2(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    QueueAckCode(control, *trans, "ACKC5");
}

void ReplyS6F12(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    QueueAckCode(control, *trans, "ACKC6");
}

void ReplyS7F4(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    QueueAckCode(control, *trans, "ACKC7");
}

void ReplyS10F2(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    QueueAckCode(control, *trans, "ACKC10");
}

void ReplyS7F6(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem& root = trans->Secondary().RootItem();
    if (root.BodyCount() != 1 || !root.Item(1).IsList()) {
        RefuseReply(control, *trans);
        return;
    }
    const SecsItem& data = root.Item(1);
    if (data.Count() == 0) return;
    if (data.Count() != 2 || data.Item(1).Format() != enmItemFormat::FormatAscii) {
        RefuseReply(control, *trans);
        return;
    }
    control.SendMsg(std::string(data.Item(1).Text()) + ":Downloaded", kAcknowledgeQueuePath);
}

}  // namespace kest
