#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace kest {

/// Whoever reports trapped errors: the control's `TriggerError`.
class ErrorReporter {
  public:
    virtual ~ErrorReporter() = default;
    /// Builds a `KestError`, logs it and raises `ErrorNotification`.
    virtual void TriggerError(const std::string& source, int code, const std::string& text,
                              int line) = 0;
};

/// Number, text and line of the exception being handled; call only inside a catch block.
/// KestException keeps its own; out of memory is 7, file system failures 75, anything else 5.
struct TrappedError {
    int number = 0;
    std::string text;
    int line = 0;
};
TrappedError DescribeCurrentException();

/// Runs `body` under the common error trap: a failure becomes one `TriggerError(source, ...)`
/// on `reporter` (when there is one). Returns whether `body` completed.
bool TryTrapped(ErrorReporter* reporter, std::string_view source,
                const std::function<void()>& body);

/// Runs `body` under the common error trap and returns its result, or `failure` when it failed.
template <typename Body, typename Result = std::invoke_result_t<Body>>
requires(!std::is_void_v<Result>) Result
    RunTrapped(ErrorReporter* reporter, std::string_view source, Body&& body,
               Result failure = Result{}) {
    std::optional<Result> result;
    if (TryTrapped(reporter, source, [&] { result.emplace(std::forward<Body>(body)()); })) {
        return std::move(*result);
    }
    return failure;
}

/// Runs a procedure without a result under the common error trap.
template <typename Body>
requires std::is_void_v<std::invoke_result_t<Body>>
void RunTrapped(ErrorReporter* reporter, std::string_view source, Body&& body) {
    TryTrapped(reporter, source, std::forward<Body>(body));
}

}  // namespace kest
