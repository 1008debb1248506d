#pragma once

#include <string>

namespace kest {

/// A stored value converted by its variable's format, so values and bounds compare as the
/// format means them: B a byte, BOOLEAN a Boolean, I1/I2/U1 a 16-bit and I4/U2 a 32-bit integer
/// (rounded half to even), I8/F4/F8/U8 a double, U4 a double cut to its whole part, any other
/// format the text itself.
struct FormatValue {
    bool numeric = false;
    double number = 0;
    std::string text;
};

/// `text` converted by the format whose `enmItemFormat` code is `format_code`. Raises
/// KestException 13 for text that is not numeric and 6 for a value that does not fit.
FormatValue ConvertByFormat(int format_code, const std::string& text);

/// -1, 0 or 1 as `a` is below, equal to or above `b` (text compares bytewise).
int CompareByFormat(const FormatValue& a, const FormatValue& b);

}  // namespace kest
