#pragma once

#include <ostream>
#include <string>

#include "notify/listener.h"

namespace kest::equipment {

/// How much the sample equipment prints.
enum class LogLevel { Error, Info, Debug };

/// A listener that prints every notification on one line ("<EVENT> [GEMControl] ...").
KestListener ConsoleListener(std::ostream& out, LogLevel level);

/// The level named `name` ("error", "info", "debug"), or nothing.
bool ParseLogLevel(const std::string& name, LogLevel& level);

}  // namespace kest::equipment
