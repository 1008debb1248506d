#include "base/error.h"

namespace kest {

void ThrowOverflow(int line) {
    throw KestException(errc::kOverflow, "Overflow", line);
}

void ThrowTypeMismatch(int line) {
    throw KestException(errc::kTypeMismatch, "Type mismatch", line);
}

void ThrowSubscriptOutOfRange(int line) {
    throw KestException(errc::kSubscriptOutOfRange, "Subscript out of range", line);
}

void ThrowInvalidArgument(const std::string& what, int line) {
    throw KestException(errc::kInvalidArgument, "Invalid procedure call or argument: " + what,
                        line);
}

}  // namespace kest
