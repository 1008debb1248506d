#pragma once

#include <string>

#include "notify/notifications.h"

namespace kest {

/// "<ERROR> " + source + " - Line: " + line + " [" + code + "] " + text
std::string ErrorLogLine(const KestError& error);
/// "<METHOD> [" + service + "] " + method, then " {INPUT:name=value}" and " {OUTPUT:name=value}"
std::string MethodLogLine(const KestMethod& method);
/// "<EVENT> [" + service + "] " + event, then " {name=value}" per output
std::string EventLogLine(const KestEvent& event);
/// "<COMMAND> RCMD=" + RCMD, ", OBJSPEC=" + OBJSPEC when enhanced, then "
/// {INPUT:name/format=value}"
std::string CommandLogLine(const KestCommand& command);
/// The format text of a command parameter: "L", "B", "BL", "I8" ... "U4"; any other code "A".
std::string CommandFormatText(enmItemFormat format);

inline constexpr const char* kStartBanner = "************KestServer Started************";
inline constexpr const char* kStopBanner = "************KestServer Stopped************";

}  // namespace kest
