#include "host/message_checks.h"

#include "driver/secs_transaction.h"
#include "host/stream9_senders.h"
#include "secs/build.h"

namespace kest {

bool RequireBodyCount(GemContext& control, const SecsTransaction& trans, std::size_t expected) {
    if (trans.Primary().RootItem().BodyCount() == expected) return true;
    SendS9F7(control, trans);
    return false;
}

std::optional<std::uint32_t> ReadU4Id(const SecsItem& item) {
    if (item.Format() != enmItemFormat::FormatU4 || item.Count() != 1) return std::nullopt;
    return static_cast<std::uint32_t>(item.Value().ToUInt64());
}

std::optional<std::vector<std::uint32_t>> ReadU4Ids(const SecsItem& list) {
    if (!list.IsList()) return std::nullopt;
    std::vector<std::uint32_t> ids;
    ids.reserve(list.Count());
    for (const SecsItem& item : list) {
        const std::optional<std::uint32_t> id = ReadU4Id(item);
        if (!id) return std::nullopt;
        ids.push_back(*id);
    }
    return ids;
}

void AnswerWith(SecsTransaction& trans, SecsItem body) {
    if (!trans.ReplyExpected()) return;
    SetReplyBody(trans, std::move(body));
    trans.Reply();
}

void AnswerAck(SecsTransaction& trans, std::uint8_t code) {
    AnswerWith(trans, build::B({code}));
}

void SetReplyBody(SecsTransaction& trans, SecsItem body) {
    SecsItem& root = trans.Secondary().RootItem();
    root.Clear();
    root.AddItem(std::move(body));
}

}  // namespace kest
