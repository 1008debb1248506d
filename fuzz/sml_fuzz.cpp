// Reads arbitrary text as SML (an item, then a message) and as hex. Whatever reads must print
// back to text that reads as an equal item, in both printed forms, and must survive the binary
// codec unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "secs/codec.h"
#include "secs/sml.h"
#include "secs/sml_hex.h"

namespace {

bool HoldsVariableFormat(const kest::SecsItem& item) {
    if (item.Format() == kest::enmItemFormat::FormatVar) return true;
    for (const kest::SecsItem& child : item) {
        if (HoldsVariableFormat(child)) return true;
    }
    return false;
}

void CheckItem(const kest::SecsItem& item, const kest::SmlLimits& limits) {
    if (!(kest::ParseSml(kest::ToSml(item), limits) == item)) std::abort();
    if (!(kest::ParseSml(kest::ToSmlLine(item), limits) == item)) std::abort();
    // The variable format reads and prints but has no encoding; everything else encodes.
    if (HoldsVariableFormat(item)) {
        try {
            kest::EncodeItem(item);
        } catch (const kest::SecsCodecError&) {
            return;
        }
        std::abort();
    }
    if (!(kest::DecodeItem(kest::EncodeItem(item)) == item)) std::abort();
}

void CheckMessage(const kest::SecsMessage& message, const kest::SmlLimits& limits) {
    if (!(kest::ParseSmlMessage(kest::ToSml(message), limits) == message)) std::abort();
    if (!(kest::ParseSmlMessage(kest::ToSmlLine(message), limits) == message)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    kest::SmlLimits limits;
    limits.max_text_size = 1 << 20;
    try {
        CheckItem(kest::ParseSml(text, limits), limits);
    } catch (const kest::SmlError&) {
    }
    try {
        CheckMessage(kest::ParseSmlMessage(text, limits), limits);
    } catch (const kest::SmlError&) {
    }
    try {
        auto bytes = kest::ParseHexText(text, 1 << 20);
        auto item = kest::DecodeItem(bytes);
        CheckItem(item, limits);
    } catch (const kest::SmlError&) {
    } catch (const kest::SecsCodecError&) {
    }
    return 0;
}
