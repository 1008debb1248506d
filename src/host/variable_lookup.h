#pragma once

#include <cstdint>
#include <optional>

#include "gemdb/kest_rec_variable.h"

namespace kest {

class GEMDB;

/// A variable and the table it was found in.
struct FoundVariable {
    KestRecVariable record;
    bool gem = false;  ///< found in the GEM table (else the user table)
};

/// Variable `id`: the GEM table first, then the user table. An ID beyond the tables' 32-bit
/// keys is unknown.
std::optional<FoundVariable> FindVariable(GEMDB& db, std::uint32_t id);

}  // namespace kest
