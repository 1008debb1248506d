#include "control/app_directory.h"

#include <fstream>

#include "base/error.h"
#include "gemdb/database_setup.h"
#include "secs/default_dictionary.h"

namespace kest {

void PrepareAppDirectory(const std::filesystem::path& directory, std::string_view equipment_sql) {
    std::filesystem::create_directories(directory);
    auto database = directory / "GEM.mdb";
    if (!std::filesystem::exists(database)) {
        // Built beside the final name and moved into place once complete.
        auto partial = directory / "GEM.mdb.new";
        CreateGemDatabase(partial, true);
        if (!equipment_sql.empty()) ApplyGemSql(partial, equipment_sql);
        std::filesystem::rename(partial, database);
    }
    auto dictionary = directory / "Default.xml";
    if (!std::filesystem::exists(dictionary)) {
        std::ofstream out(dictionary, std::ios::binary);
        std::string_view xml = DefaultDictionaryXml();
        out.write(xml.data(), static_cast<std::streamsize>(xml.size()));
        out.close();
        if (!out) throw KestException(75, "Path/File access error: " + dictionary.string());
    }
}

}  // namespace kest
