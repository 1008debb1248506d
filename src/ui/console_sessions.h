#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace kest {

/// The web console's administrator sessions and its login throttle. A session is a random
/// token (the cookie's value) that ends after an idle hour or at logout; failed logins are
/// counted, and after the third each further attempt must wait twice as long as the one
/// before (1 s, 2 s, 4 s ... up to a minute) until a login succeeds. Thread-safe: the console's
/// request threads share it.
class ConsoleSessions {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    explicit ConsoleSessions(Now now = [] { return Clock::now(); });

    /// A new session's token: 32 hexadecimal digits from the system's random source.
    std::string Open();
    /// Whether `token` names a live session; a live one's idle time starts again.
    bool Valid(const std::string& token);
    void Close(const std::string& token);

    /// How long a login must still wait; nothing when it may be tried now.
    std::optional<std::chrono::seconds> LoginWait();
    /// Counts a login attempt's result.
    void LoginFailed();
    void LoginSucceeded();

    static constexpr std::size_t kMaxSessions = 16;
    static constexpr std::chrono::minutes kIdleLimit{60};

  private:
    Now now_;
    std::mutex mutex_;
    std::unordered_map<std::string, Clock::time_point> sessions_;  // token -> last use
    int failures_ = 0;
    Clock::time_point next_login_{};
};

}  // namespace kest
