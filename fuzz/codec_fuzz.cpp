// Decodes arbitrary bytes; whatever decodes must re-encode to exactly the input's item, and
// decode again to the same item.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "secs/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kest::DecodeLimits limits;
    limits.max_message_size = 1 << 20;
    kest::SecsItem item;
    try {
        item = kest::DecodeItem(std::span(data, size), limits);
    } catch (const kest::SecsCodecError&) {
        return 0;
    }
    auto encoded = kest::EncodeItem(item);
    // Re-encoding may use fewer length bytes than the input did, never more.
    if (encoded.size() > size) std::abort();
    if (!(kest::DecodeItem(encoded, limits) == item)) std::abort();
    return 0;
}
