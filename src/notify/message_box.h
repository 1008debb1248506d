#pragma once

#include <string>

namespace kest {

/// The kind of a message box: how a view should present it.
enum class BoxKind { Information, Warning, Critical };

/// Where message boxes go. A box never blocks the control's thread: it is a notification to the
/// view (the operator console shows it; a test records it; headless, it is printed).
class MessageBoxSink {
  public:
    virtual ~MessageBoxSink() = default;
    /// Presents `text` to the operator.
    virtual void MessageBox(const std::string& text, BoxKind kind) = 0;
};

/// A sink that writes boxes to standard error, for applications without a view.
class StderrMessageBoxes final : public MessageBoxSink {
  public:
    void MessageBox(const std::string& text, BoxKind kind) override;
};

}  // namespace kest
