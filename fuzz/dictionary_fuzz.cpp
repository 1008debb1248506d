// Loads arbitrary text as a message dictionary: it either loads or is refused with
// DictionaryError; any other exception escapes and fails the run. Whatever loads must be
// consistent: every template is found by its name and encodes as a wire message.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "secs/codec.h"
#include "secs/dictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view xml(reinterpret_cast<const char*>(data), size);
    kest::DictionaryLimits limits;
    limits.max_items = 10'000;
    kest::MessageDictionary dictionary;
    try {
        dictionary = kest::MessageDictionary::FromString(xml, "<fuzz>", limits);
    } catch (const kest::DictionaryError&) {
        return 0;
    }
    std::size_t found = 0;
    for (int stream = 0; stream <= 127; ++stream) {
        for (int function = 0; function <= 255; ++function) {
            const kest::MessageTemplate* entry = dictionary.Find(stream, function);
            if (entry == nullptr) continue;
            ++found;
            if (dictionary.Find(entry->name) != entry) std::abort();
            if (entry->message.Stream() != stream || entry->message.Function() != function) {
                std::abort();
            }
            if (entry->reply_expected && function % 2 == 0) std::abort();
            kest::EncodeBody(entry->message);  // raises only for what the loader must refuse
            if (function < 255 &&
                !(dictionary.ReplyShell(stream, function).Function() == function + 1)) {
                std::abort();
            }
        }
    }
    if (found != dictionary.Size()) std::abort();
    return 0;
}
