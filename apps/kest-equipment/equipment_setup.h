#pragma once

#include <filesystem>

namespace kest::equipment {

/// Prepares the data directory on first run: GEM.mdb from the GEM defaults plus the sample's
/// own variables, events, reports, alarms and remote commands, and the message dictionary
/// Default.xml. Files that exist are kept. Raises KestException when a file cannot be written.
void PrepareDataDirectory(const std::filesystem::path& directory);

}  // namespace kest::equipment
