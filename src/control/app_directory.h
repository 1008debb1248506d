#pragma once

#include <filesystem>
#include <string_view>

namespace kest {

/// Makes `directory` ready for a control: creates it, and when they are missing, GEM.mdb from
/// the default schema and rows (plus the equipment's own `equipment_sql`, applied in the same
/// step) and the message dictionary Default.xml. Existing files are kept. Raises KestException
/// when a file cannot be written; a failed first run leaves no half-made database.
void PrepareAppDirectory(const std::filesystem::path& directory,
                         std::string_view equipment_sql = {});

}  // namespace kest
