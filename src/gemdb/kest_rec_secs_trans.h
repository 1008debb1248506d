#pragma once

#include <cstdint>

namespace kest {

/// One stream/function row (secs_trans): whether the primary is supported and spooled.
struct KestRecSecsTrans {
    std::int32_t stream = 0;
    std::int32_t function = 0;
    bool primary_support = false;  ///< the equipment accepts this primary
    bool spool_support = false;    ///< the message may be spooled
    bool spool_enable = false;     ///< the message is spooled now (S2F43 chooses)

    friend bool operator==(const KestRecSecsTrans&, const KestRecSecsTrans&) = default;
};

}  // namespace kest
