#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "secs/item.h"

namespace kest {

class GemContext;
class SecsTransaction;

/// True when the primary of `trans` has `expected` top-level items (0 for a header-only
/// message, 1 for one with a body); otherwise sends S9F7 about it and returns false.
bool RequireBodyCount(GemContext& control, const SecsTransaction& trans, std::size_t expected);

/// The value of `item` when it is a U4 item of exactly one value.
std::optional<std::uint32_t> ReadU4Id(const SecsItem& item);

/// The values of `list` when it is a list whose every element is a U4 item holding exactly one
/// value (an SVID list, for example); nothing when it is malformed. Reads no position it has not
/// checked.
std::optional<std::vector<std::uint32_t>> ReadU4Ids(const SecsItem& list);

/// Replies with `body` as the whole reply body when the host waits for a reply.
void AnswerWith(SecsTransaction& trans, SecsItem body);

/// Replies the one-byte acknowledge `code` (format B) when the host waits for a reply.
void AnswerAck(SecsTransaction& trans, std::uint8_t code);

/// Replaces whatever the dictionary prepared as the body of the reply to `trans` with `body`.
void SetReplyBody(SecsTransaction& trans, SecsItem body);

}  // namespace kest
