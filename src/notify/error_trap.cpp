#include "notify/error_trap.h"

#include <exception>
#include <filesystem>
#include <new>

#include "base/error.h"

namespace kest {

namespace {
constexpr int kOutOfMemory = 7;
constexpr int kFileAccessError = 75;
}  // namespace

TrappedError DescribeCurrentException() {
    try {
        throw;
    } catch (const KestException& e) {
        return {e.Number(), e.what(), e.Line()};
    } catch (const std::bad_alloc&) {
        return {kOutOfMemory, "Out of memory", 0};
    } catch (const std::filesystem::filesystem_error& e) {
        return {kFileAccessError, std::string("Path/File access error: ") + e.what(), 0};
    } catch (const std::exception& e) {
        return {errc::kInvalidArgument, e.what(), 0};
    } catch (...) {
        return {errc::kInvalidArgument, "Unknown error", 0};
    }
}

bool TryTrapped(ErrorReporter* reporter, std::string_view source,
                const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (...) {
        TrappedError e = DescribeCurrentException();
        if (reporter != nullptr) {
            try {
                reporter->TriggerError(std::string(source), e.number, e.text, e.line);
            } catch (...) {
                // A failure inside the trap itself is swallowed.
            }
        }
        return false;
    }
}

}  // namespace kest
