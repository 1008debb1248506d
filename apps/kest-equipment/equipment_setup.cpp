#include "equipment_setup.h"

#include <fstream>
#include <string_view>

#include "base/error.h"
#include "gemdb/database_setup.h"
#include "secs/default_dictionary.h"

namespace kest {
std::string_view SampleEquipmentSql();  // compiled in from equipment.sql
}

namespace kest::equipment {

void PrepareDataDirectory(const std::filesystem::path& directory) {
    std::filesystem::create_directories(directory);
    auto database = directory / "GEM.mdb";
    if (!std::filesystem::exists(database)) {
        // Built beside the final name and moved into place, so a failed first run leaves no
        // half-made database behind.
        auto partial = directory / "GEM.mdb.new";
        CreateGemDatabase(partial, true);
        ApplyGemSql(partial, SampleEquipmentSql());
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

}  // namespace kest::equipment
