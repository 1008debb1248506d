#pragma once

#include <string_view>

namespace kest {

/// The text of data/Default.xml as compiled into the library (generated at build time).
std::string_view DefaultDictionaryXml();

}  // namespace kest
