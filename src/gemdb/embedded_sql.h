#pragma once

#include <string_view>

namespace kest {

/// data/gem-schema.sql, compiled in: creates every table of the GEM database.
std::string_view GemSchemaSql();

/// data/gem-defaults.sql, compiled in: the rows a fresh GEM database needs.
std::string_view GemDefaultsSql();

}  // namespace kest
