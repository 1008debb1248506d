#include "notify/log_lines.h"

namespace kest {

std::string ErrorLogLine(const KestError& error) {
    return "<ERROR> " + error.ErrSource + " - Line: " + std::to_string(error.ErrLine) + " [" +
           std::to_string(error.ErrCode) + "] " + error.ErrText;
}

std::string MethodLogLine(const KestMethod& method) {
    std::string line = "<METHOD> [" + method.ServiceName + "] " + method.MethodName;
    for (const auto& item : method.Inputs()) {
        line += " {INPUT:" + item.ItemName + "=" + item.ItemValue.ToText() + "}";
    }
    for (const auto& item : method.Outputs()) {
        line += " {OUTPUT:" + item.ItemName + "=" + item.ItemValue.ToText() + "}";
    }
    return line;
}

std::string EventLogLine(const KestEvent& event) {
    std::string line = "<EVENT> [" + event.ServiceName + "] " + event.EventName;
    for (const auto& item : event.Outputs()) {
        line += " {" + item.ItemName + "=" + item.ItemValue.ToText() + "}";
    }
    return line;
}

std::string CommandFormatText(enmItemFormat format) {
    switch (format) {
        case enmItemFormat::FormatList:
            return "L";
        case enmItemFormat::FormatBinary:
            return "B";
        case enmItemFormat::FormatBoolean:
            return "BL";
        case enmItemFormat::FormatI8:
        case enmItemFormat::FormatI1:
        case enmItemFormat::FormatI2:
        case enmItemFormat::FormatI4:
        case enmItemFormat::FormatF8:
        case enmItemFormat::FormatF4:
        case enmItemFormat::FormatU8:
        case enmItemFormat::FormatU1:
        case enmItemFormat::FormatU2:
        case enmItemFormat::FormatU4:
            return std::string(FormatName(format));
        default:
            return "A";
    }
}

std::string CommandLogLine(const KestCommand& command) {
    std::string line = "<COMMAND> RCMD=" + command.RCMD;
    if (command.IsEnhanced) line += ", OBJSPEC=" + command.OBJSPEC;
    for (const auto& item : command.Inputs()) {
        line += " {INPUT:" + item.CPNAME + "/" + CommandFormatText(item.CPFORMAT) + "=" +
                item.CPVAL.ToText() + "}";
    }
    return line;
}

}  // namespace kest
