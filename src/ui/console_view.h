#pragma once

#include <string>

#include "ui/frm_main_fields.h"

namespace kest {

/// What an open console shows, as the JSON its page reads: the states, the lists, the
/// settings tabs (never the administrator password), the result lines and the terminal
/// message window. `window_started` is false while the tool window is not loaded.
std::string ConsoleStateJson(const frmMainFields& fields, const std::string& terminal_text,
                             bool window_started);

/// A notification for the page's live log: its kind ("ERROR", "METHOD", "EVENT", "COMMAND")
/// and the log line the service log writes for it.
std::string ConsoleNoteJson(const std::string& kind, const std::string& line);

}  // namespace kest
