#include "base/error.h"

namespace kest {

void ThrowOverflow(std::source_location where) {
    throw KestException(errc::kOverflow, "Overflow", where);
}

void ThrowTypeMismatch(std::source_location where) {
    throw KestException(errc::kTypeMismatch, "Type mismatch", where);
}

void ThrowSubscriptOutOfRange(std::source_location where) {
    throw KestException(errc::kSubscriptOutOfRange, "Subscript out of range", where);
}

void ThrowInvalidArgument(const std::string& what, std::source_location where) {
    throw KestException(errc::kInvalidArgument, "Invalid procedure call or argument: " + what,
                        where);
}

}  // namespace kest
