#pragma once

#include <map>
#include <string_view>
#include <utility>

#include "secs/dictionary.h"

namespace kest::detail {

/// The messages of a dictionary keyed by (stream, function).
using MessageTable = std::map<std::pair<int, int>, MessageTemplate>;

/// Parses the XML text of a message dictionary within `limits`. Raises `DictionaryError` whose
/// text starts with `origin`, the line and column (where known) and the element at fault.
MessageTable ParseDictionaryXml(std::string_view xml, std::string_view origin,
                                const DictionaryLimits& limits);

}  // namespace kest::detail
