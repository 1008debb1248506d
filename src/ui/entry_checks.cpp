// What the operator window accepts from its fields, with the warnings it shows otherwise.
#include "ui/entry_checks.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "base/recipe_path.h"
#include "base/text.h"

namespace kest {

namespace {

EntryWarning Warn(std::string text, std::string field) {
    return EntryWarning{std::move(text), std::move(field)};
}

bool Blank(std::string_view text) {
    return Trim(text).empty();
}

// A number field: present, numeric, and within [0, high]. The texts name the field the way
// the window words its warnings.
EntryCheck CheckSeconds(std::string_view text, const std::string& what, std::int64_t high,
                        const std::string& field) {
    if (Blank(text)) return Warn("Please key in " + what + "!", field);
    const auto value = EnteredNumber(text);
    if (!value) return Warn("Please key in numeric for " + what + "!", field);
    if (*value < 0) return Warn(what + " cannot less than 0 second!", field);
    if (*value > high) {
        return Warn(what + " cannot exceed than " + std::to_string(high) + " second!", field);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> EnteredNumber(std::string_view text) {
    const std::string trimmed(Trim(text));
    if (trimmed.empty()) return std::nullopt;
    // Only plain decimal notation: strtod alone would also take "inf", "nan" and hex.
    if (trimmed.find_first_not_of("0123456789+-.eE") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (std::fabs(rounded) >= 9.2e18) return std::nullopt;  // beyond a 64-bit count
    return static_cast<std::int64_t>(rounded);
}

EntryCheck CheckCommunicationTab(std::string_view timeout, std::string_view heartbeat) {
    if (auto warning = CheckSeconds(timeout, "Establish Communication Timeout", 1800,
                                    "txtEstablishCommunicationTimeout")) {
        return warning;
    }
    return CheckSeconds(heartbeat, "HeartBeat", 60, "txtHeartBeat");
}

EntryCheck CheckSpoolCount(std::string_view count, std::int64_t bound) {
    const std::string field = "txtMaxSpoolTransmit";
    if (Blank(count)) return Warn("Please key in Maximum Message Count!", field);
    const auto value = EnteredNumber(count);
    if (!value) return Warn("Please key in numeric for Maximum Message Count!", field);
    if (*value < 0) return Warn("Maximum Message Count cannot less than 0!", field);
    if (*value > bound) {
        return Warn("Maximum Message Count cannot exceed than " + std::to_string(bound) + "!",
                    field);
    }
    return std::nullopt;
}

EntryCheck CheckRecipeTab(std::string_view directory, std::string_view extension) {
    if (Blank(directory)) return Warn("Please browse the Recipe Directory!", "txtRecipeDirectory");
    std::error_code error;
    if (!std::filesystem::is_directory(std::string(directory), error)) {
        return Warn("Recipe Directory not exist! Please browse again.", "txtRecipeDirectory");
    }
    if (Blank(extension)) return Warn("Please key in the File Extension!", "txtFileExtension");
    return std::nullopt;
}

EntryCheck CheckOptions(std::string_view name, std::string_view model, std::string_view revision,
                        std::string_view time_format) {
    if (Blank(name)) return Warn("Please key in the Equiment Name!", "txtEquipmentName");
    if (Blank(model)) return Warn("Please key in the Equiment Model!", "txtEquipmentModel");
    if (Blank(revision)) {
        return Warn("Please key in the Software Revision!", "txtSoftwareRevision");
    }
    if (time_format != "12 Bytes" && time_format != "16 Bytes") {
        return Warn("Please select the Time Format!", "cboTimeFormat");
    }
    return std::nullopt;
}

EntryCheck CheckLogin(std::string_view typed, std::string_view stored) {
    if (typed.empty()) return Warn("Please key in the Administrator Password!", "txtPassword");
    if (typed != stored) return Warn("Invalid Administrator Password!", "txtPassword");
    return std::nullopt;
}

EntryCheck CheckNewPassword(std::string_view password) {
    if (password.empty()) return Warn("Please key in the Password!", "txtNewPassword");
    if (password.find(' ') != std::string_view::npos) {
        return Warn("Please make sure no space in the Password!", "txtNewPassword");
    }
    return std::nullopt;
}

EntryCheck CheckDatabaseName(std::string_view file) {
    if (Blank(file)) return Warn("Please select the GEM Database!", "txtGEMDatabase");
    if (file.find(".mdb") == std::string_view::npos) {
        return Warn("Please select the correct GEM Database!", "txtGEMDatabase");
    }
    return std::nullopt;
}

EntryCheck CheckRecipeID(std::string_view id, std::string_view directory) {
    if (id.empty()) return Warn("Please key in the Recipe ID!", "txtRecipeID");
    if (id.find(' ') != std::string_view::npos) {
        return Warn("Please make sure no space in the Recipe ID!", "txtRecipeID");
    }
    const auto file = RecipeFilePath(std::string(directory), id);
    std::error_code error;
    if (!file || !std::filesystem::is_directory(file->parent_path(), error) ||
        !StaysInside(std::string(directory), *file)) {
        return Warn("Please key in Recipe ID with valid path!", "txtRecipeID");
    }
    return std::nullopt;
}

EntryCheck CheckTerminalText(std::string_view text) {
    if (text.empty()) return Warn("Please key in Terminal Message!", "txtTerminalMessage");
    return std::nullopt;
}

}  // namespace kest
