#include "ui/console_sessions.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace kest {

ConsoleSessions::ConsoleSessions(Now now) : now_(std::move(now)) {}

std::string ConsoleSessions::Open() {
    std::random_device random;  // the kernel's random source on Linux
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
        token += part;
    }
    const std::lock_guard lock(mutex_);
    const auto now = now_();
    std::erase_if(sessions_, [&](const auto& s) { return now - s.second > kIdleLimit; });
    if (sessions_.size() >= kMaxSessions) {
        // The least recently used session makes room: a forgotten browser must not lock out
        // the administrator.
        sessions_.erase(
            std::min_element(sessions_.begin(), sessions_.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; }));
    }
    sessions_[token] = now;
    return token;
}

bool ConsoleSessions::Valid(const std::string& token) {
    const std::lock_guard lock(mutex_);
    auto it = sessions_.find(token);
    if (it == sessions_.end()) return false;
    const auto now = now_();
    if (now - it->second > kIdleLimit) {
        sessions_.erase(it);
        return false;
    }
    it->second = now;
    return true;
}

void ConsoleSessions::Close(const std::string& token) {
    const std::lock_guard lock(mutex_);
    sessions_.erase(token);
}

std::optional<std::chrono::seconds> ConsoleSessions::LoginWait() {
    const std::lock_guard lock(mutex_);
    const auto now = now_();
    if (now >= next_login_) return std::nullopt;
    return std::chrono::ceil<std::chrono::seconds>(next_login_ - now);
}

void ConsoleSessions::LoginFailed() {
    const std::lock_guard lock(mutex_);
    ++failures_;
    if (failures_ < 3) return;
    const int doublings = std::min(failures_ - 3, 6);  // 1 s ... 64 s, held at a minute
    const auto wait = std::min<std::chrono::seconds>(std::chrono::seconds(1 << doublings),
                                                     std::chrono::minutes(1));
    next_login_ = now_() + wait;
}

void ConsoleSessions::LoginSucceeded() {
    const std::lock_guard lock(mutex_);
    failures_ = 0;
    next_login_ = {};
}

}  // namespace kest
