#include "secs/message.h"

#include "base/error.h"

namespace kest {

std::string MessageName(int stream, int function) {
    std::string name = "S";
    name += std::to_string(stream);
    name += 'F';
    name += std::to_string(function);
    return name;
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
