#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "notify/error_trap.h"
#include "notify/notifications.h"

namespace kest {

/// What an application (or the operator window) hears from the control. Any member may be left
/// empty. Callbacks run on the control's thread, inside the call that raises them.
struct KestListener {
    std::function<void(const KestError&)> ErrorNotification{};
    std::function<void(const KestMethod&)> MethodNotification{};
    std::function<void(const KestEvent&)> EventNotification{};
    std::function<void(KestCommand&)> CommandNotification{};
};

/// Keeps a listener subscribed while it lives; destroying (or `Cancel`) unsubscribes.
class Subscription {
  public:
    Subscription() = default;
    Subscription(std::weak_ptr<std::vector<std::shared_ptr<KestListener>>> list,
                 std::weak_ptr<KestListener> listener)
        : list_(std::move(list)), listener_(std::move(listener)) {}
    Subscription(Subscription&&) noexcept = default;
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Cancel(); }

    /// Stops the notifications to this listener.
    void Cancel() noexcept;
    /// True while the listener is subscribed.
    bool Active() const noexcept { return !listener_.expired(); }

  private:
    std::weak_ptr<std::vector<std::shared_ptr<KestListener>>> list_;
    std::weak_ptr<KestListener> listener_;
};

/// The four notifications, delivered to every subscribed listener in subscription order.
/// A listener that throws does not stop the others and does not reach the control's caller;
/// its failure goes to the failure handler (the control's error trap).
class Notifier {
  public:
    /// Told of a listener that threw: the notification's name ("EventNotification") and the
    /// exception, described as the error trap describes it.
    using FailureHandler = std::function<void(const char* notification, const TrappedError&)>;
    void OnListenerFailure(FailureHandler handler) { on_failure_ = std::move(handler); }

    /// Adds a listener; it hears notifications until the returned subscription ends.
    [[nodiscard]] Subscription Subscribe(KestListener listener);

    void RaiseError(const KestError& error) const;
    void RaiseMethod(const KestMethod& method) const;
    void RaiseEvent(const KestEvent& event) const;
    void RaiseCommand(KestCommand& command) const;

    /// The number of listeners.
    std::size_t Count() const noexcept { return listeners_->size(); }

  private:
    template <typename Member, typename Arg>
    void Raise(Member member, Arg& arg, const char* notification) const;

    FailureHandler on_failure_;
    std::shared_ptr<std::vector<std::shared_ptr<KestListener>>> listeners_ =
        std::make_shared<std::vector<std::shared_ptr<KestListener>>>();
};

}  // namespace kest
