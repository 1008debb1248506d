#pragma once

#include <cstddef>
#include <string>

#include "secs/item.h"

namespace kest {

/// The name of a message: "S" + stream + "F" + function in decimal ("S6F11").
std::string MessageName(int stream, int function);

/// One SECS-II message: stream, function, W-bit and a body of zero items (header only) or one.
/// The body hangs under `RootItem`, a list whose children are the body's top-level items.
class SecsMessage {
  public:
    SecsMessage() = default;
    /// A header-only message. Raises error 5 for a stream above 127 or a function above 255.
    SecsMessage(int stream, int function, bool reply_expected = false);
    SecsMessage(int stream, int function, bool reply_expected, SecsItem body);

    int Stream() const noexcept { return stream_; }
    /// Sets the stream, 0 to 127.
    void SetStream(int stream);
    int Function() const noexcept { return function_; }
    /// Sets the function, 0 to 255.
    void SetFunction(int function);
    /// The W-bit: the sender expects a reply.
    bool ReplyExpected() const noexcept { return reply_expected_; }
    void SetReplyExpected(bool reply_expected) noexcept { reply_expected_ = reply_expected; }

    /// The list whose children are the top-level items of the body.
    SecsItem& RootItem() noexcept { return root_; }
    const SecsItem& RootItem() const noexcept { return root_; }
    /// The top-level item at `position` (from 1).
    SecsItem& Item(std::size_t position) { return root_.Item(position); }
    const SecsItem& Item(std::size_t position) const { return root_.Item(position); }
    /// The number of top-level items: 0 for a header-only message, 1 with a body.
    std::size_t BodyCount() const noexcept { return root_.Count(); }

    /// "S" + stream + "F" + function.
    std::string Name() const { return MessageName(stream_, function_); }

    friend bool operator==(const SecsMessage& a, const SecsMessage& b) = default;

  private:
    int stream_ = 0;
    int function_ = 0;
    bool reply_expected_ = false;
    SecsItem root_;
};

}  // namespace kest
