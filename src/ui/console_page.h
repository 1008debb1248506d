#pragma once

#include <string_view>

namespace kest {

/// The console's one page: HTML, CSS and JavaScript, compiled in so nothing is fetched at run
/// time.
std::string_view ConsolePage();

}  // namespace kest
