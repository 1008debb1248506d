#include "secs/build.h"

namespace kest::build {

SecsItem A(std::string_view text) {
    SecsItem item(enmItemFormat::FormatAscii);
    item.AssignData(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return item;
}

SecsItem J(std::string_view text) {
    SecsItem item(enmItemFormat::FormatJIS8);
    item.AssignData(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return item;
}

SecsItem B(std::initializer_list<std::uint8_t> bytes) {
    SecsItem item(enmItemFormat::FormatBinary);
    item.AssignData(bytes.begin(), bytes.size());
    return item;
}

SecsItem Boolean(std::initializer_list<bool> values) {
    SecsItem item(enmItemFormat::FormatBoolean);
    for (bool v : values)
        item.AddValue(Variant(v));
    return item;
}

}  // namespace kest::build
