#include "console.h"

#include "notify/log_lines.h"

namespace kest::equipment {

KestListener ConsoleListener(std::ostream& out, LogLevel level) {
    KestListener listener;
    listener.ErrorNotification = [&out](const KestError& e) {
        out << ErrorLogLine(e) << std::endl;
    };
    if (level == LogLevel::Error) return listener;
    listener.MethodNotification = [&out](const KestMethod& m) {
        out << MethodLogLine(m) << std::endl;
    };
    listener.EventNotification = [&out](const KestEvent& e) {
        out << EventLogLine(e) << std::endl;
    };
    listener.CommandNotification = [&out](KestCommand& c) {
        out << CommandLogLine(c) << std::endl;
    };
    return listener;
}

bool ParseLogLevel(const std::string& name, LogLevel& level) {
    if (name == "error")
        level = LogLevel::Error;
    else if (name == "info")
        level = LogLevel::Info;
    else if (name == "debug")
        level = LogLevel::Debug;
    else
        return false;
    return true;
}

}  // namespace kest::equipment
