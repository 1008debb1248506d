#pragma once

#include <string>

#include "secs/item.h"
#include "secs/message.h"

namespace kest {

/// True when `actual` matches `pattern`: an item of the variable format (`<V>` in SML) matches
/// any one item, lists match child by child with the same count, other items match format and
/// values exactly. On a mismatch `why` (when given) says where: "item 1.2: expected <U4 5>, got
/// <U4 6>".
bool MatchItem(const SecsItem& actual, const SecsItem& pattern, std::string* why = nullptr);

/// True when `actual` has the stream and function of `pattern` and, when the pattern has a body,
/// a body that matches it. The W-bit is not compared.
bool MatchMessage(const SecsMessage& actual, const SecsMessage& pattern,
                  std::string* why = nullptr);

}  // namespace kest
