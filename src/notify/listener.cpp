#include "notify/listener.h"

#include <algorithm>

namespace kest {

Subscription& Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        Cancel();
        list_ = std::move(other.list_);
        listener_ = std::move(other.listener_);
    }
    return *this;
}

void Subscription::Cancel() noexcept {
    auto list = list_.lock();
    auto listener = listener_.lock();
    if (list && listener) std::erase(*list, listener);
    list_.reset();
    listener_.reset();
}

Subscription Notifier::Subscribe(KestListener listener) {
    auto shared = std::make_shared<KestListener>(std::move(listener));
    listeners_->push_back(shared);
    return Subscription(listeners_, shared);
}

template <typename Member, typename Arg>
void Notifier::Raise(Member member, Arg& arg, const char* notification) const {
    // A snapshot: a listener may subscribe or unsubscribe from inside its callback.
    auto snapshot = *listeners_;
    for (const auto& listener : snapshot) {
        // One cancelled by an earlier callback of this round hears nothing more.
        if (std::find(listeners_->begin(), listeners_->end(), listener) == listeners_->end()) {
            continue;
        }
        const auto& callback = (*listener).*member;
        if (!callback) continue;
        try {
            callback(arg);
        } catch (...) {
            // The application's handler failed: reported, and the next listener still hears it.
            if (on_failure_) on_failure_(notification, DescribeCurrentException());
        }
    }
}

void Notifier::RaiseError(const KestError& error) const {
    Raise(&KestListener::ErrorNotification, error, "ErrorNotification");
}

void Notifier::RaiseMethod(const KestMethod& method) const {
    Raise(&KestListener::MethodNotification, method, "MethodNotification");
}

void Notifier::RaiseEvent(const KestEvent& event) const {
    Raise(&KestListener::EventNotification, event, "EventNotification");
}

void Notifier::RaiseCommand(KestCommand& command) const {
    Raise(&KestListener::CommandNotification, command, "CommandNotification");
}

}  // namespace kest
