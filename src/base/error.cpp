#include "base/error.h"

namespace kest {

void ThrowOverflow() {
    throw KestException(errc::kOverflow, "Overflow");
}

void ThrowTypeMismatch() {
    throw KestException(errc::kTypeMismatch, "Type mismatch");
}

void ThrowSubscriptOutOfRange() {
    throw KestException(errc::kSubscriptOutOfRange, "Subscript out of range");
}

void ThrowInvalidArgument(const std::string& what) {
    throw KestException(errc::kInvalidArgument, "Invalid procedure call or argument: " + what);
}

}  // namespace kest
