#include "services/format_compare.h"

#include <cmath>

#include "base/variant.h"
#include "secs/format.h"

namespace kest {

FormatValue ConvertByFormat(int format_code, const std::string& text) {
    Variant value(text);
    auto format = FormatFromCode(format_code);
    FormatValue out;
    out.numeric = true;
    switch (format.value_or(enmItemFormat::FormatAscii)) {
        case enmItemFormat::FormatBinary:
            out.number = value.ToByte();
            break;
        case enmItemFormat::FormatBoolean:
            out.number = value.ToBool() ? 1 : 0;
            break;
        case enmItemFormat::FormatI1:
        case enmItemFormat::FormatI2:
        case enmItemFormat::FormatU1:
            out.number = value.ToInt16();
            break;
        case enmItemFormat::FormatI4:
        case enmItemFormat::FormatU2:
            out.number = value.ToInt32();
            break;
        case enmItemFormat::FormatI8:
        case enmItemFormat::FormatF4:
        case enmItemFormat::FormatF8:
        case enmItemFormat::FormatU8:
            out.number = value.ToDouble();
            break;
        case enmItemFormat::FormatU4:
            out.number = std::trunc(value.ToDouble());
            break;
        default:
            out.numeric = false;
            out.text = text;
            break;
    }
    return out;
}

int CompareByFormat(const FormatValue& a, const FormatValue& b) {
    if (a.numeric && b.numeric) return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    int c = a.text.compare(b.text);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace kest
