#pragma once

#include <string>
#include <string_view>

#include "queue/queue_store.h"

namespace kest::tool {

/// "2026-12-06T19:40:00.123Z" for milliseconds since 1970 (UTC).
std::string IsoTime(std::int64_t unix_ms);

/// One line a message, fields split by tabs: ID, priority, sent time, queue, label, body.
/// Control bytes and the backslash are escaped (\t, \n, \\, \xNN) so a line stays one line;
/// a field that is not UTF-8 has its bytes above 0x7F escaped too.
std::string MessageLine(const QueueMessage& message);

/// One JSON object a message: id, queue, label, priority, body, sent (ISO), sent_ms.
std::string MessageJson(const QueueMessage& message);

/// A JSON string literal of `bytes`: text that is valid UTF-8 is kept as it is; otherwise every
/// byte above 0x7F is written as \u00XX so no byte is dropped or replaced.
std::string JsonString(std::string_view bytes);

/// `bytes` for a tab-separated line (see MessageLine).
std::string LineField(std::string_view bytes);

}  // namespace kest::tool
