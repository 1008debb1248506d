#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kest {

/// A refused entry: the warning the window shows and the field it sends the operator back to.
struct EntryWarning {
    std::string text;
    std::string field;
    friend bool operator==(const EntryWarning&, const EntryWarning&) = default;
};

/// No value when the entry is accepted.
using EntryCheck = std::optional<EntryWarning>;

/// A whole number typed by the operator: blanks around it are allowed, a fraction is rounded
/// to the nearest (half to even). Empty when the text is not a finite decimal number.
std::optional<std::int64_t> EnteredNumber(std::string_view text);

/// The communication tab: the establish-communication timeout (0-1800 s), then the heartbeat
/// (0-60 s), each present and numeric.
EntryCheck CheckCommunicationTab(std::string_view timeout, std::string_view heartbeat);

/// The spool tab's maximum message count: present, numeric, 0 to `bound`.
EntryCheck CheckSpoolCount(std::string_view count, std::int64_t bound);

/// The recipe tab: a directory that exists and a file extension.
EntryCheck CheckRecipeTab(std::string_view directory, std::string_view extension);

/// The options dialog: equipment name, model, software revision and a time format choice
/// ("12 Bytes" or "16 Bytes").
EntryCheck CheckOptions(std::string_view name, std::string_view model, std::string_view revision,
                        std::string_view time_format);

/// The login dialog: `typed` must match the stored administrator password.
EntryCheck CheckLogin(std::string_view typed, std::string_view stored);

/// The password dialog: a new password, not empty and without spaces.
EntryCheck CheckNewPassword(std::string_view password);

/// The database dialog: a database file name (it must contain ".mdb").
EntryCheck CheckDatabaseName(std::string_view file);

/// The download dialog's recipe ID: present, without spaces, and naming a file below the
/// recipe directory.
EntryCheck CheckRecipeID(std::string_view id, std::string_view directory);

/// The terminal message the operator sends.
EntryCheck CheckTerminalText(std::string_view text);

}  // namespace kest
