#include "secs/message.h"

#include "base/error.h"

namespace kest {

std::string MessageName(int stream, int function) {
    return "S" + std::to_string(stream) + "F" + std::to_string(function);
}

SecsMessage::SecsMessage(int stream, int function, bool reply_expected)
    : reply_expected_(reply_expected) {
    SetStream(stream);
    SetFunction(function);
}

SecsMessage::SecsMessage(int stream, int function, bool reply_expected, SecsItem body)
    : SecsMessage(stream, function, reply_expected) {
    root_.AddItem(std::move(body));
}

void SecsMessage::SetStream(int stream) {
    if (stream < 0 || stream > 127) ThrowInvalidArgument("stream " + std::to_string(stream));
    stream_ = stream;
}

void SecsMessage::SetFunction(int function) {
    if (function < 0 || function > 255) {
        ThrowInvalidArgument("function " + std::to_string(function));
    }
    function_ = function;
}

}  // namespace kest
